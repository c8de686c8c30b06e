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

std::string Position() {
  if (!gScript) return std::string();
  return gScript->file_ + ':' + std::to_string(gScript->line_) + ": ";
}

int Error(const std::string& text) {
  platform::Err() << Position() << "error: " << text << '\n';
  return 0;
}

bool Warning(const std::string& text) {
  ++gWarnings;
  platform::Err() << Position() << "warning: " << text << '\n';
  return gStrict;
}

ScriptScope::ScriptScope(const std::string& file) : outer_(gScript), file_(file) {
  gScript = this;
}

ScriptScope::~ScriptScope() { gScript = outer_; }

void ScriptScope::SetLine(long line) { line_ = line; }

}  // namespace diag
