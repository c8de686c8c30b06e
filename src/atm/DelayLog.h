// DelayLog and PeriodicLog: the statistics logs of the components that log
// as time passes. A PeriodicLog writes one line at time 0 and then one every
// interval, driven by events of one type its owner plans to itself (the
// queueing system's "Ti" and "SS" logs). A DelayLog logs measured delays per
// sample ("Ce") and their running mean and variance periodically ("SS")
// (the terminal ATM layer's cell delays, the traffic receiver's packet delays).
#pragma once
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>

#include "core/Statistics.h"
#include "model/Component.h"
#include "model/ParameterTable.h"
#include "model/RunFiles.h"

// Checks, at Start, the interval of an owner's periodic logs: when it does
// not move the clock and one of the logs is on, says so once on the console
// (`consequence` tells what the logs do instead: keep their first line).
void CheckLogInterval(const Component& owner, double interval, bool anyOn,
                      const char* consequence);

class PeriodicLog {
 public:
  explicit PeriodicLog(Word eventType) : type_(eventType) {}

  // When on: opens the log `prefix` (a literal) of the owner under path,
  // writes the column names and plans the first line at time 0. Lines follow
  // every interval while the LogTimer allows (a usable interval, at most
  // LogTimer::kMaxLines lines, a clock that still moves).
  void Start(Component& owner, bool on, const std::string& path, const char* prefix,
             std::initializer_list<const char*> columns, double interval);
  // For this log's event: writes a line with line(stream, time), plans the
  // next one and returns true; false for any other event.
  template <class Line>
  bool Handle(Component& owner, const Event& e, Line&& line) {
    if (e.type != type_) return false;
    line(*file_, e.time);
    double next = 0;
    if (timer_.Next(e.time, next, owner.GetBlockName(), owner.KindWord(), owner.GetName(),
                    prefix_))
      owner.ScheduleSelf(next, type_);
    return true;
  }
  void End();
  bool On() const { return on_; }

 private:
  Word type_;
  bool on_ = false;
  const char* prefix_ = "";
  LogTimer timer_;  // this log's lines in this run
  LogFile file_;
};

// The three parameters of a delay log, filled at every Start.
struct DelayLogSettings {
  Sstring cellStatus = "OFF";    // "Trigger by cell status": a "Ce" line per delay
  Sstring sampleStatus = "OFF";  // "Sample statistics status": the "SS" log
  double interval = 0.001;       // "Logging every x secs"
};

class DelayLog {
 public:
  // The parameter rows the owning layer declares.
  static const ParamTable<DelayLogSettings>& ParameterRows();

  // Reads the settings from the owner, opens the logs that are on (columns
  // "Time" and `delayColumn` for "Ce", "Time", `meanColumn`, `varianceColumn`
  // for "SS"), writes the last delay as the "Ce" line of time 0 and plans
  // the "SS" lines from time 0.
  void Start(Component& owner, const char* delayColumn, const char* meanColumn,
             const char* varianceColumn);
  // A delay measured at t.
  void Add(double t, double delay);
  // "LOG_SAMPLE_STATISTICS": writes the "SS" line and plans the next; true
  // when the event was this log's. Inline: the owners call it on every event.
  bool Handle(Component& owner, const Event& e) {
    return e.type == Word::LOG_SAMPLE_STATISTICS && WriteSample(owner, e);
  }
  // Closes the logs.
  void End();

  // The last delay and the statistics cover every run since the owner was made.
  double Last() const { return last_; }
  double Mean() const { return mean_; }
  double Variance() const { return variance_; }

 private:
  bool WriteSample(Component& owner, const Event& e);

  // The logs and the statistics behind the "SS" lines, made at the first
  // Start with a log on and kept from then on: most owners never log.
  struct Logs {
    LogFile cellLog;
    PeriodicLog sampleLog{Word::LOG_SAMPLE_STATISTICS};
    Statistics delays;
  };
  bool cellOn_ = false, sampleOn_ = false;
  std::unique_ptr<Logs> logs_;
  double last_ = 0, mean_ = 0, variance_ = 0;
};
