// RunFiles: log names, the once-per-run file claim and the run warnings.
#include "model/RunFiles.h"

#include <cmath>
#include <ostream>

#include "model/Network.h"
#include "platform/Console.h"
#include "platform/Files.h"

std::string FirstLast(const Sstring& name) {
  if (name.empty()) return std::string();
  return std::string(1, name[0]) + name[name.length() - 1];
}

bool UsablePeriod(double from, double period) {
  return std::isfinite(period) && period > 0 && from + period > from;
}

bool LogTimer::Start(double period, LogLineBudget* run) {
  period_ = period;
  lines_ = 0;
  run_ = run;
  usable_ = UsablePeriod(0.0, period);
  return usable_;
}

bool LogTimer::Next(double t, double& next, const Sstring& block, const char* kind,
                    const Sstring& owner, const char* log) {
  if (!usable_) return false;
  if (++lines_ >= kMaxLines) {
    RunWarning(block, kind, owner) << "parameter \"Logging every x secs\" gives " << kMaxLines
                                   << " lines of its log " << Sstring(log) << " by time " << t
                                   << "; the log stops there\n";
    return false;
  }
  if (run_ && run_->left == 0) {
    if (!run_->told)
      platform::Out() << "run warning: the logs of this run wrote " << LogLineBudget::kRunMaxLines
                      << " periodic lines by time " << t << "; they stop there\n";
    run_->told = true;
    return false;
  }
  if (run_) --run_->left;
  next = t + period_;
  if (next > t) return true;
  ReportStalledPeriod(block, kind, owner, "Logging every x secs", t);
  return false;
}

void ReportIfIncomplete(std::ostream& f, const std::string& path) {
  if (f.flush()) return;
  platform::Out() << "run warning: cannot write the file " << Sstring(path)
                  << "; it is incomplete\n";
}

bool OpenRunFileOf(Network& net, std::ofstream& f, const std::string& shortName,
                   const std::string& longName) {
  std::ostream& out = platform::Out();
  std::string path = shortName;
  if (!net.ClaimRunFile(path)) {
    path = longName;
    if (!net.ClaimRunFile(path)) return false;
    out << "run warning: " << Sstring(shortName) << " is taken by another log of this run; writing "
        << Sstring(longName) << '\n';
  }
  platform::EnsureParentDirectory(path);
  f = platform::OpenForWriting(path);
  if (!f) {
    out << "run warning: cannot create the file " << Sstring(path) << '\n';
    return false;
  }
  net.AddRunStream(&f, path);
  return true;
}

bool OpenShortNamedLogOf(Network& net, std::ofstream& f, const std::string& path,
                         const Sstring& block, const Sstring& owner, const char* prefix) {
  const std::string tail = std::string("_") + prefix + ".dat";
  return OpenRunFileOf(net, f, path + FirstLast(block) + "_" + FirstLast(owner) + tail,
                       path + block.str() + "_" + owner.str() + tail);
}

std::ostream& RunWarning(const Sstring& block, const char* kind, const Sstring& owner) {
  return platform::Out() << "run warning: block " << block << ' ' << kind << ' ' << owner << ": ";
}

void ReportNonsense(const Sstring& block, const char* kind, const Sstring& owner,
                    const char* parameter, const char* consequence) {
  RunWarning(block, kind, owner) << "parameter " << Sstring(parameter) << " makes no sense; "
                                 << consequence << '\n';
}

void ReportStalledPeriod(const Sstring& block, const char* kind, const Sstring& owner,
                         const char* parameter, double t) {
  RunWarning(block, kind, owner) << "parameter " << Sstring(parameter)
                                 << " no longer moves the clock at time " << t
                                 << "; it stops repeating there\n";
}
