// QueueingSystem: insertion and service with their counters, the time-driven
// logging events and the three statistics logs ("Ti", "Ce", "SS").
#include "atm/QueueingSystem.h"

#include <ostream>
#include <utility>

#include "core/DatFormat.h"
#include "model/Block.h"
#include "model/Network.h"

namespace {
// The columns of the "Ti" and "Ce" logs.
constexpr std::initializer_list<const char*> kCounterColumns = {
    "Time", "NoSRC", "NoBQC", "NoBDC", "BS", "NoBC", "DoBC", "SS", "NoSC", "DoSC"};

// A time-weighted sample taken, the mean and variance copied out.
void Level(Statistics& s, double t, double x, double& mean, double& variance) {
  s.AddTimeSample(t, x);
  s.GetMeanVariance(mean, variance);
}
}  // namespace

// The parameters as Start reads them.
struct QueueingSystem::Settings {
  unsigned bufferSize = 4294967295u;
  Sstring timeTrigger = "OFF", cellTrigger = "OFF", sampleStatistics = "OFF";
  double loggingInterval = 0.001;
  unsigned loggingCells = 1;
};

const ParamTable<QueueingSystem::Settings>& QueueingSystem::ParameterRows() {
  static const ParamTable<Settings> rows = {
      // Not read: the size alone bounds the buffer.
      {"Buffer type", "INFINITE", "Buffer type (FINITE, INFINITE)"},
      {"Buffer size", 4294967295u, "Buffer size (0-4.294.967.295)", &Settings::bufferSize},
      {"Trigger by time status", "OFF", "Trigger by time status (ON, OFF)",
       &Settings::timeTrigger},
      {"Trigger by cell status", "OFF", "Trigger by cell status (ON, OFF)",
       &Settings::cellTrigger},
      {"Sample statistics status", "OFF", "Sample statistics status (ON, OFF)",
       &Settings::sampleStatistics},
      {"Logging every x secs", 0.001, "Logging output parameters every x secs",
       &Settings::loggingInterval},
      {"Logging every x cells", 1u, "Logging output parameters every x cells",
       &Settings::loggingCells},
  };
  return rows;
}

std::vector<ParameterInfo> QueueingSystem::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

// The logs go where the network's "Path" pointed when the queue was made.
QueueingSystem::QueueingSystem(const Sstring& name, Block& block)
    : Component(name, ComponentKind::QueueingSystem, block), outputPath_(NetworkPath()) {
  DeclareParameters(*this, ParameterRows());
}

// Cells still buffered or in the server are released with their holders.
QueueingSystem::~QueueingSystem() = default;

int QueueingSystem::Start() {
  Settings set;
  LoadParameters(*this, ParameterRows(), set);
  bufferSize_ = set.bufferSize;
  loggingInterval_ = set.loggingInterval;
  loggingCells_ = set.loggingCells == 0 ? 1 : set.loggingCells;
  timeOn_ = set.timeTrigger == "ON";
  cellOn_ = set.cellTrigger == "ON";
  statsOn_ = set.sampleStatistics == "ON";
  // An unusable interval keeps the first line only.
  CheckLogInterval(*this, loggingInterval_, timeOn_ || statsOn_,
                   "its logs keep only their first line in this run");
  if (!logs_) {
    if (!timeOn_ && !cellOn_ && !statsOn_) return 1;
    logs_ = std::make_unique<Logs>();
  }
  Logs& l = *logs_;
  const std::string& path = outputPath_.str().str();
  l.ti.Start(*this, timeOn_, path, "Ti", kCounterColumns, loggingInterval_);
  if (cellOn_ && OpenShortNamedLog(*l.ce, "Ce", path)) WriteDatHeader(*l.ce, kCounterColumns);
  if (statsOn_) {
    l.noBC = Statistics();
    l.doBC = Statistics();
    l.noSC = Statistics();
  }
  l.ss.Start(*this, statsOn_, path, "SS",
             {"Time", "SMNoBC", "SVNoBC", "SMDoBC", "SVDoBC", "SMNoSC", "SVNoSC", "DoSC"},
             loggingInterval_);
  if (cellOn_) WriteCounters(*l.ce, 0.0);
  return 1;
}

int QueueingSystem::HandleEvent(Event& e) {
  if (!logs_) return 1;  // no log was ever on: the event is none of a log's
  Logs& l = *logs_;
  if (!l.ti.Handle(*this, e, [&](std::ofstream& f, double t) { WriteCounters(f, t); }))
    l.ss.Handle(*this, e, [&](std::ofstream& f, double t) { WriteStatisticsLine(f, t); });
  return 1;
}

int QueueingSystem::End() {
  if (!logs_) return 1;
  Logs& l = *logs_;
  l.ti.End();
  if (l.ce.is_open()) l.ce.close();
  l.ss.End();
  l.noBC = Statistics();
  l.doBC = Statistics();
  l.noSC = Statistics();
  return 1;
}

int QueueingSystem::InsertCell(Cell& cell, double t) {
  ++noSRC_;
  if (bs_ == 0) MaybeWriteCellLine(t);
  int accepted = 0;
  if (bs_ == 2) {
    ++noBDC_;
  } else {
    cell.SetQueueTime(t);
    buffer_.Insert(std::move(cell));
    ++noBQC_;
    ++noBC_;
    bs_ = noBC_ == bufferSize_ ? 2 : 1;
    accepted = 1;
    bufferLevel_.Up(t, noBC_);
  }
  if (statsOn_) Level(logs_->noBC, t, noBC_, logs_->smNoBC, logs_->svNoBC);
  MaybeWriteCellLine(t);
  return accepted;
}

int QueueingSystem::ServeCell(Cell& out, double t) {
  MaybeWriteCellLine(t);
  int handedOut = 0;
  if (ss_ == 1) {
    --noSC_;
    if (statsOn_) Level(logs_->noSC, t, noSC_, logs_->smNoSC, logs_->svNoSC);
    out = std::move(server_);
    server_ = Cell();
    doSC_ = t - out.QueueTime();
    // The server stays empty unless the buffer refills it below.
    if (bs_ == 0) serverBusy_.Off(t);
    ss_ = 0;
    ++served_;
    handedOut = 1;
  }
  if (bs_ != 0) {
    --noBC_;
    if (statsOn_) Level(logs_->noBC, t, noBC_, logs_->smNoBC, logs_->svNoBC);
    ++moved_;
    bs_ = noBC_ == 0 ? 0 : 1;
    buffer_.Pop(server_);
    doBC_ = t - server_.QueueTime();
    runDelaySum_ += doBC_;
    bufferLevel_.Down(t, noBC_);
    if (statsOn_) {
      logs_->doBC.AddSample(doBC_);
      logs_->doBC.GetMeanVariance(logs_->smDoBC, logs_->svDoBC);
    }
    server_.SetQueueTime(t);
    ++noSC_;
    if (statsOn_) Level(logs_->noSC, t, noSC_, logs_->smNoSC, logs_->svNoSC);
    if (!handedOut) serverBusy_.On(t);
    ss_ = 1;
  }
  MaybeWriteCellLine(t);
  return handedOut;
}

void QueueingSystem::BeginRunFigures() {
  runBase_ = {noSRC_, noBQC_, noBDC_, moved_};
  runDelaySum_ = 0;
  bufferLevel_.Reset(0.0, noBC_);
  serverBusy_.Reset(0.0, noSC_ > 0);
}

void QueueingSystem::WriteCounters(std::ofstream& f, double t) {
  WriteDatLine(f, {t, noSRC_, noBQC_, noBDC_, bs_, noBC_, doBC_, ss_, noSC_, doSC_});
}

void QueueingSystem::WriteStatisticsLine(std::ofstream& f, double t) {
  const Logs& l = *logs_;
  WriteDatLine(f, {t, l.smNoBC, l.svNoBC, l.smDoBC, l.svDoBC, l.smNoSC, l.svNoSC, doSC_});
}

QueueingSystem* FindQueueingSystem(const Block& block, const Sstring& name) {
  // The block holds only queueing systems under that kind.
  return static_cast<QueueingSystem*>(block.FindQS(name));
}

QueueingSystem* TableQS(const Block& block, const Sstring& key, const Sstring& name) {
  Sstring qsName;
  if (!block.PeekData(key, name, qsName)) return nullptr;
  return FindQueueingSystem(block, qsName);
}
