// Diagnostics: the console's messages on standard error. Each is one line,
// "error: ..." or "warning: ...", prefixed with "FILE:LINE: " while a script
// is being loaded, so that a mistake can be found in the file. Standard
// output, where the legacy messages go, is left as it is.
#pragma once
#include <string>

namespace diag {

// --strict: every warning fails the command that gave it.
void SetStrict(bool on);
bool Strict();

// Prints "error: text"; returns 0, the result of a failed command.
int Error(const std::string& text);
// Prints "warning: text"; returns true when the command must fail for it
// (strict mode).
bool Warning(const std::string& text);

// Warnings printed since the program started.
long WarningCount();

// While alive, messages name this script and the line last set; scripts
// loaded from a script nest.
class ScriptScope {
 public:
  explicit ScriptScope(const std::string& file);
  ~ScriptScope();
  ScriptScope(const ScriptScope&) = delete;
  ScriptScope& operator=(const ScriptScope&) = delete;
  // The line of the command being executed.
  void SetLine(long line);

 private:
  const ScriptScope* outer_;
  std::string file_;
  long line_ = 0;
  friend std::string Position();
};

// "FILE:LINE: " inside a script, else empty.
std::string Position();

}  // namespace diag
