// RunFiles: log names, the once-per-run file claim and the run warnings.
#include "model/RunFiles.h"

#include <cmath>
#include <ostream>

#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"
#include "platform/Files.h"

std::string FirstLast(const Sstring& name) {
  if (name.empty()) return std::string();
  return std::string(1, name[0]) + name[name.length() - 1];
}

bool UsablePeriod(const Network& net, double period) {
  constexpr double kMaxRepetitions = 1e9;
  if (!std::isfinite(period) || !(period > 0)) return false;
  double end = net.GetKernel().RunEndTime();
  return !(end > 0) || end / period <= kMaxRepetitions;
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
  net.AddRunStream(&f);
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
