// Diagnostics: the console's messages on standard error. Each is one line,
// "error: ..." or "warning: ...", prefixed with "FILE:LINE: " while a script
// is being loaded, so that a mistake can be found in the file. Standard
// output, where the legacy messages go, is left as it is.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace diag {

// --strict: every warning fails the command that gave it.
void SetStrict(bool on);
bool Strict();

// Prints "error: text"; returns 0, the result of a failed command.
int Error(const std::string& text);
// Prints "warning: text"; returns true when the command must fail for it
// (strict mode). lineOffset: the lines below the first line of the script
// command that the warning is about.
bool Warning(const std::string& text, long lineOffset = 0);

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
  // The file lines of the command being executed, one per line of its text
  // (comment and empty lines are not part of it).
  void SetLines(std::vector<long> lines) { lines_ = std::move(lines); }

 private:
  const ScriptScope* outer_;
  std::string file_;
  std::vector<long> lines_;
  friend std::string Position(long lineOffset);
};

// "FILE:LINE: " inside a script, else empty. LINE is that of the command's
// first line, or of its line lineOffset below.
std::string Position(long lineOffset = 0);

}  // namespace diag
