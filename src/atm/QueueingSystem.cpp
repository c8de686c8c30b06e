// QueueingSystem: insertion and service with their counters, the time-driven
// logging events and the three statistics logs ("Ti", "Ce", "SS").
#include "atm/QueueingSystem.h"

#include <ostream>
#include <utility>

#include "core/DatFormat.h"
#include "model/Block.h"
#include "model/EventPriorityQueue.h"
#include "model/Layer.h"
#include "model/Network.h"

namespace {
void WriteCounterHeader(std::ostream& f) {
  WriteDatHeader(f,
                 {"Time", "NoSRC", "NoBQC", "NoBDC", "BS", "NoBC", "DoBC", "SS", "NoSC", "DoSC"});
}

// A time-weighted sample taken, the mean and variance copied out.
void Level(Statistics& s, double t, double x, double& mean, double& variance) {
  s.AddTimeSample(t, x);
  s.GetMeanVariance(mean, variance);
}
}  // namespace

QueueingSystem::QueueingSystem(const Sstring& name, Block& block)
    : name_(name), nameId_(name), block_(block) {
  SetParamBlockName(name);
  PutParam("Buffer type", Sstring("INFINITE"), "Buffer type (FINITE, INFINITE)", "SHOW");
  PutParam("Buffer size", 4294967295u, "Buffer size (0-4.294.967.295)", "SHOW");
  PutParam("Trigger by time status", Sstring("OFF"), "Trigger by time status (ON, OFF)", "SHOW");
  PutParam("Trigger by cell status", Sstring("OFF"), "Trigger by cell status (ON, OFF)", "SHOW");
  PutParam("Sample statistics status", Sstring("OFF"), "Sample statistics status (ON, OFF)",
           "SHOW");
  PutParam("Logging every x secs", 0.001, "Logging output parameters every x secs", "SHOW");
  PutParam("Logging every x cells", 1u, "Logging output parameters every x cells", "SHOW");
  block_.GetNetwork().GetParam("Path", outputPath_);
}

// Cells still buffered or in the server are released with their holders.
QueueingSystem::~QueueingSystem() = default;

int QueueingSystem::Start() {
  GetParam("Buffer type", bufferType_);
  GetParam("Buffer size", bufferSize_);
  GetParam("Trigger by time status", timeTrigger_);
  GetParam("Trigger by cell status", cellTrigger_);
  GetParam("Sample statistics status", sampleStatistics_);
  GetParam("Logging every x secs", loggingInterval_);
  GetParam("Logging every x cells", loggingCells_);
  if (loggingCells_ == 0) loggingCells_ = 1;
  timeOn_ = timeTrigger_ == "ON";
  cellOn_ = cellTrigger_ == "ON";
  statsOn_ = sampleStatistics_ == "ON";
  periodOk_ = UsablePeriod(block_.GetNetwork(), loggingInterval_);
  if ((timeOn_ || statsOn_) && !periodOk_) ReportBadInterval();

  if (timeOn_ && OpenLog(ti_, "Ti")) WriteCounterHeader(ti_);
  if (cellOn_ && OpenLog(ce_, "Ce")) WriteCounterHeader(ce_);
  if (statsOn_ && OpenLog(ssLog_, "SS"))
    WriteDatHeader(ssLog_,
                   {"Time", "SMNoBC", "SVNoBC", "SMDoBC", "SVDoBC", "SMNoSC", "SVNoSC", "DoSC"});

  if (timeOn_) Schedule(0.0, Word::LOG_BY_TIME);
  if (cellOn_) WriteCounters(ce_, 0.0);
  if (statsOn_) {
    statNoBC_ = Statistics();
    statDoBC_ = Statistics();
    statNoSC_ = Statistics();
    Schedule(0.0, Word::LOG_SAMPLE_STATISTICS);
  }
  return 1;
}

int QueueingSystem::HandleEvent(Event& e) {
  current_ = &e;
  // A non-positive interval keeps the first line only (reported at Start).
  if (e.type == Word::LOG_BY_TIME) {
    WriteCounters(ti_, e.time);
    if (periodOk_) Schedule(e.time + loggingInterval_, Word::LOG_BY_TIME);
  } else if (e.type == Word::LOG_SAMPLE_STATISTICS) {
    WriteStatisticsLine(e.time);
    if (periodOk_) Schedule(e.time + loggingInterval_, Word::LOG_SAMPLE_STATISTICS);
  }
  return 1;
}

int QueueingSystem::End() {
  if (ti_.is_open()) ti_.close();
  if (ce_.is_open()) ce_.close();
  if (ssLog_.is_open()) ssLog_.close();
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

void QueueingSystem::WriteStatisticsLine(double t) {
  WriteDatLine(ssLog_, {t, smNoBC_, svNoBC_, smDoBC_, svDoBC_, smNoSC_, svNoSC_, doSC_});
}

void QueueingSystem::Schedule(double t, Name type) {
  Event e;
  e.time = t;
  e.type = type;
  e.sourceBlock = e.destinationBlock = block_.GetNameId();
  e.sourceLayer = e.destinationLayer = nameId_;
  block_.GetNetwork().Queue().Add(std::move(e));
}

// The queue's "Path" is the one it was made with.
bool QueueingSystem::OpenLog(std::ofstream& f, const char* prefix) {
  return OpenShortNamedLogOf(block_.GetNetwork(), f, outputPath_.str(), block_.GetName(), name_,
                             prefix);
}

void QueueingSystem::ReportBadInterval() const {
  ReportNonsense(block_.GetName(), "queueing system", name_, "Logging every x secs",
                 "its logs keep only their first line in this run");
}
