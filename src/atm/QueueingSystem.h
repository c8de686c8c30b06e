// QueueingSystem: the cell buffer of an equipment interface - a priority
// ordered waiting room of bounded size followed by one server place. Layers
// call InsertCell and ServeCell directly; the system counts arrivals,
// discards, occupancy and delays and writes up to three statistics logs.
#pragma once
#include <fstream>
#include <memory>

#include "atm/DelayLog.h"
#include "core/CellPriorityQueue.h"
#include "core/ExactStatistics.h"
#include "core/Statistics.h"
#include "model/Component.h"
#include "model/ParameterTable.h"

class Block;

class QueueingSystem : public Component {
 public:
  QueueingSystem(const Sstring& name, Block& block);
  ~QueueingSystem() override;

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the parameters, opens the logs that are on, plans the time-driven
  // logging. Returns 1.
  int Start() override;
  // "LOG_BY_TIME" and "LOG_SAMPLE_STATISTICS". Returns 1.
  int HandleEvent(Event& e) override;
  // Closes the logs. Returns 1.
  int End() override;

  // 1: the cell was accepted and moved into the buffer. 0: the buffer was
  // full; the cell is left with the caller, who drops it.
  int InsertCell(Cell& cell, double t);
  // 1 when a cell left the server (moved into out); the serve also moves the
  // head of the buffer into the server.
  int ServeCell(Cell& out, double t);

  unsigned InSystem() const { return noBC_ + noSC_; }
  unsigned Buffered() const { return noBC_; }
  unsigned InServer() const { return noSC_; }

  // The network's "Path" when the queue was made: the prefix of its logs.
  const Sstring& OutputPath() const { return outputPath_.str(); }

  // Counters, for checks of conservation.
  unsigned Arrived() const { return noSRC_; }
  unsigned Accepted() const { return noBQC_; }
  unsigned Discarded() const { return noBDC_; }
  unsigned MovedToServer() const { return moved_; }
  unsigned Served() const { return served_; }
  // Buffer state: 0 empty, 1 holding cells, 2 full.
  int BufferState() const { return bs_; }

  // Exact figures of the run under way, kept whatever the log settings:
  // counts since BeginRunFigures (called at time 0 of every run), the
  // occupancy of the buffer over time, the time the server held a cell, the
  // total time the cells moved to the server waited in the buffer.
  void BeginRunFigures();
  unsigned RunArrived() const { return noSRC_ - runBase_.arrived; }
  unsigned RunAccepted() const { return noBQC_ - runBase_.accepted; }
  unsigned RunDiscarded() const { return noBDC_ - runBase_.discarded; }
  unsigned RunMoved() const { return moved_ - runBase_.moved; }
  double RunBufferDelaySum() const { return runDelaySum_; }
  const CountLevel& BufferLevel() const { return bufferLevel_; }
  const OnTime& ServerBusy() const { return serverBusy_; }

 private:
  struct Settings;
  static const ParamTable<Settings>& ParameterRows();
  // One "Ti"/"Ce" line: the counters at time t.
  void WriteCounters(std::ofstream& f, double t);
  // A "Ce" line when the cell trigger is on and the arrival count is a
  // multiple of the logging cell count.
  void MaybeWriteCellLine(double t) {
    if (cellOn_ && noSRC_ % loggingCells_ == 0) WriteCounters(*logs_->ce, t);
  }
  void WriteStatisticsLine(std::ofstream& f, double t);

  // What a cell's passage reads and writes, together (a large network's
  // queues are reached one cell at a time, each from outside the cache):
  // the counters, the settings they are checked against, the delays, the
  // level and busy-time statistics, the server and the buffer's head.
  unsigned noSRC_ = 0, noBQC_ = 0, noBDC_ = 0;
  int bs_ = 0;
  unsigned noBC_ = 0, moved_ = 0, served_ = 0;
  int ss_ = 0;
  unsigned noSC_ = 0;
  // The buffer's bound and the logging settings read at Start (the other
  // parameters are read into a local record there).
  unsigned bufferSize_ = 4294967295u;
  unsigned loggingCells_ = 1;  // 0 is taken as 1
  bool timeOn_ = false, cellOn_ = false, statsOn_ = false;
  double doBC_ = 0;
  double doSC_ = 0;
  double runDelaySum_ = 0;
  CountLevel bufferLevel_;
  OnTime serverBusy_;
  Cell server_;
  CellPriorityQueue buffer_;

  double loggingInterval_ = 0.001;
  Name outputPath_;  // interned: the queues of a network share a handful of paths

  // The logs and their statistics, made at the first Start with a log on and
  // kept from then on (their figures carry over from run to run): most
  // queues never log, and a large network has thousands of them.
  struct Logs {
    PeriodicLog ti{Word::LOG_BY_TIME};
    PeriodicLog ss{Word::LOG_SAMPLE_STATISTICS};
    LogFile ce;
    // NoBC and NoSC as time-weighted levels, DoBC as plain samples; fresh
    // for every run.
    Statistics noBC, doBC, noSC;
    double smNoBC = 0, svNoBC = 0, smDoBC = 0, svDoBC = 0, smNoSC = 0, svNoSC = 0;
  };
  std::unique_ptr<Logs> logs_;

  struct {
    unsigned arrived = 0, accepted = 0, discarded = 0, moved = 0;
  } runBase_;
};

// The queueing system named by the block's data-table entry (key, name),
// e.g. (physical layer, "PHY_QS"); null when there is none.
QueueingSystem* TableQS(const Block& block, const Sstring& key, const Sstring& name);
// The block's queueing system of that name, or null.
QueueingSystem* FindQueueingSystem(const Block& block, const Sstring& name);
