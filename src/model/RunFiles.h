// RunFiles: the statistics files and console warnings of a run, shared by
// every component that logs - how a log is named, opened once per run, timed
// and flushed with the run, and how a warning about it is worded.
#pragma once
#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>

#include "core/Sstring.h"

class Network;

// The short statistics-file name part of a name: its first and last
// characters (a one-character name supplies both).
std::string FirstLast(const Sstring& name);

// Whether something repeated every `period` seconds from time `from` moves
// the clock: the period is positive and finite and from + period > from. A
// period that fails this would repeat at one instant for ever. The run's end
// time plays no part: a long run ends anyway once the traffic is done.
bool UsablePeriod(double from, double period);

// The periodic lines all logs of one run may still write together. One log
// is bounded by LogTimer::kMaxLines; many logs with tiny periods would still
// write many times that (and one event per line), so a run shares a budget.
struct LogLineBudget {
  static constexpr unsigned long kRunMaxLines = 2000000;
  unsigned long left = kRunMaxLines;
  bool told = false;  // the console was told the budget is spent
};

// The timer of a time-driven log: a line at time 0, then one every period.
// A log writes at most kMaxLines lines in a run, and the run's logs together
// at most LogLineBudget::kRunMaxLines: a tiny period would otherwise fill
// the disk (a million lines of a queue's counters take about 220 MB) and
// keep a long run busy long after its traffic is done.
class LogTimer {
 public:
  static constexpr unsigned long kMaxLines = 1000000;

  // Starts the count of a run; false when the period is not usable from
  // time 0 (the owner reports that; the log then keeps its first line).
  // Lines are also drawn from `run`, the budget of the run, when given.
  bool Start(double period, LogLineBudget* run = nullptr);
  // Counts the line the log `log` of `owner` (a `kind` of `block`) wrote at
  // t. True with the time of its next line; false when the log stops there:
  // the period is unusable, the log has kMaxLines lines, the run's budget is
  // spent, or the period no longer moves the clock at t (said once on the
  // console, the budget once per run).
  bool Next(double t, double& next, const Sstring& block, const char* kind, const Sstring& owner,
            const char* log);

 private:
  double period_ = 0;
  bool usable_ = false;
  unsigned long lines_ = 0;
  LogLineBudget* run_ = nullptr;
};

// A statistics file a component holds: its stream is made the first time it
// is needed (opened, or written to while closed, which writes nothing).
// Most components never log, and an idle std::ofstream costs about half a
// kilobyte and a locale set-up.
class LogFile {
 public:
  std::ofstream& operator*() {
    if (!f_) f_ = std::make_unique<std::ofstream>();
    return *f_;
  }
  bool is_open() const { return f_ && f_->is_open(); }
  void close() {
    if (f_) f_->close();
  }

 private:
  std::unique_ptr<std::ofstream> f_;
};

// Flushes a file written by a run; when it could not take everything (a
// full disk, a failing device), says so in one console line.
void ReportIfIncomplete(std::ostream& f, const std::string& path);

// Opens a statistics file of the current run of net for writing (created or
// truncated). The short name is used unless another file of this run already
// took it; then the long name is used and the console says so. A file that
// cannot be created is reported once. Returns true when the file is open.
bool OpenRunFileOf(Network& net, std::ofstream& f, const std::string& shortName,
                   const std::string& longName);
// Opens the log `prefix` of `owner`, a layer or queueing system of `block`:
// path + first and last characters of the block name + "_" + those of the
// owner's name + "_" + prefix + ".dat", or the full names when that is taken.
bool OpenShortNamedLogOf(Network& net, std::ofstream& f, const std::string& path,
                         const Sstring& block, const Sstring& owner, const char* prefix);
// Starts a console warning about `owner`, a "layer" or "queueing system"
// (the kind) of `block`: "run warning: block B kind O: "; the caller ends the line.
std::ostream& RunWarning(const Sstring& block, const char* kind, const Sstring& owner);
// One console line: a parameter of `owner` makes no sense; `consequence`
// says what the owner does instead.
void ReportNonsense(const Sstring& block, const char* kind, const Sstring& owner,
                    const char* parameter, const char* consequence);
// One console line: the period that `parameter` sets no longer moves the
// clock at time t (UsablePeriod fails there), so `owner` stops repeating.
void ReportStalledPeriod(const Sstring& block, const char* kind, const Sstring& owner,
                         const char* parameter, double t);
