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

const ParamTable<QueueingSystem>& QueueingSystem::ParameterRows() {
  static const ParamTable<QueueingSystem> rows = {
      {"Buffer type", "INFINITE", "Buffer type (FINITE, INFINITE)", &QueueingSystem::bufferType_},
      {"Buffer size", 4294967295u, "Buffer size (0-4.294.967.295)", &QueueingSystem::bufferSize_},
      {"Trigger by time status", "OFF", "Trigger by time status (ON, OFF)",
       &QueueingSystem::timeTrigger_},
      {"Trigger by cell status", "OFF", "Trigger by cell status (ON, OFF)",
       &QueueingSystem::cellTrigger_},
      {"Sample statistics status", "OFF", "Sample statistics status (ON, OFF)",
       &QueueingSystem::sampleStatistics_},
      {"Logging every x secs", 0.001, "Logging output parameters every x secs",
       &QueueingSystem::loggingInterval_},
      {"Logging every x cells", 1u, "Logging output parameters every x cells",
       &QueueingSystem::loggingCells_},
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
  LoadParameters(*this, ParameterRows());
  if (loggingCells_ == 0) loggingCells_ = 1;
  timeOn_ = timeTrigger_ == "ON";
  cellOn_ = cellTrigger_ == "ON";
  statsOn_ = sampleStatistics_ == "ON";
  // An unusable interval keeps the first line only.
  CheckLogInterval(*this, loggingInterval_, timeOn_ || statsOn_,
                   "its logs keep only their first line in this run");
  const std::string path = outputPath_.str();
  ti_.Start(*this, timeOn_, path, "Ti", kCounterColumns, loggingInterval_);
  if (cellOn_ && OpenShortNamedLog(*ce_, "Ce", path)) WriteDatHeader(*ce_, kCounterColumns);
  if (statsOn_) {
    statNoBC_ = Statistics();
    statDoBC_ = Statistics();
    statNoSC_ = Statistics();
  }
  ssLog_.Start(*this, statsOn_, path, "SS",
               {"Time", "SMNoBC", "SVNoBC", "SMDoBC", "SVDoBC", "SMNoSC", "SVNoSC", "DoSC"},
               loggingInterval_);
  if (cellOn_) WriteCounters(*ce_, 0.0);
  return 1;
}

int QueueingSystem::HandleEvent(Event& e) {
  if (!ti_.Handle(*this, e, [&](std::ofstream& f, double t) { WriteCounters(f, t); }))
    ssLog_.Handle(*this, e, [&](std::ofstream& f, double t) { WriteStatisticsLine(f, t); });
  return 1;
}

int QueueingSystem::End() {
  ti_.End();
  if (ce_.is_open()) ce_.close();
  ssLog_.End();
  statNoBC_ = Statistics();
  statDoBC_ = Statistics();
  statNoSC_ = Statistics();
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
  if (statsOn_) Level(statNoBC_, t, noBC_, smNoBC_, svNoBC_);
  MaybeWriteCellLine(t);
  return accepted;
}

int QueueingSystem::ServeCell(Cell& out, double t) {
  MaybeWriteCellLine(t);
  int handedOut = 0;
  if (ss_ == 1) {
    --noSC_;
    if (statsOn_) Level(statNoSC_, t, noSC_, smNoSC_, svNoSC_);
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
    if (statsOn_) Level(statNoBC_, t, noBC_, smNoBC_, svNoBC_);
    ++moved_;
    bs_ = noBC_ == 0 ? 0 : 1;
    buffer_.Pop(server_);
    doBC_ = t - server_.QueueTime();
    runDelaySum_ += doBC_;
    bufferLevel_.Down(t, noBC_);
    if (statsOn_) {
      statDoBC_.AddSample(doBC_);
      statDoBC_.GetMeanVariance(smDoBC_, svDoBC_);
    }
    server_.SetQueueTime(t);
    ++noSC_;
    if (statsOn_) Level(statNoSC_, t, noSC_, smNoSC_, svNoSC_);
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
  WriteDatLine(f, {t, smNoBC_, svNoBC_, smDoBC_, svDoBC_, smNoSC_, svNoSC_, doSC_});
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
