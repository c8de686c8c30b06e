// One-line errors and warnings on standard error, with the script position.
#include "console/Diagnostics.h"

#include <ostream>

#include "platform/Console.h"

namespace diag {
namespace {
bool gStrict = false;
long gWarnings = 0;
const ScriptScope* gScript = nullptr;
}  // namespace

void SetStrict(bool on) { gStrict = on; }
bool Strict() { return gStrict; }
long WarningCount() { return gWarnings; }

std::string Position(long lineOffset) {
  if (!gScript) return std::string();
  const std::vector<long>& lines = gScript->lines_;
  long line = 0;
  if (!lines.empty())
    line = lineOffset >= 0 && static_cast<size_t>(lineOffset) < lines.size()
               ? lines[static_cast<size_t>(lineOffset)]
               : lines.front();
  return gScript->file_ + ':' + std::to_string(line) + ": ";
}

int Error(const std::string& text) {
  platform::Err() << Position() << "error: " << text << '\n';
  return 0;
}

bool Warning(const std::string& text, long lineOffset) {
  ++gWarnings;
  platform::Err() << Position(lineOffset) << "warning: " << text << '\n';
  return gStrict;
}

ScriptScope::ScriptScope(const std::string& file) : outer_(gScript), file_(file) {
  gScript = this;
}

ScriptScope::~ScriptScope() { gScript = outer_; }


}  // namespace diag
