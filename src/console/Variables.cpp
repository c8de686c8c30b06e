// Variables: the definitions and the ${NAME} substitution.
#include "console/Variables.h"

#include <map>
#include <ostream>

#include "platform/Console.h"

namespace {
std::map<std::string, std::string>& Definitions() {
  static std::map<std::string, std::string> definitions;
  return definitions;
}

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

bool Fail(const std::string& file, long lineNumber, const std::string& what) {
  std::ostream& err = platform::Err();
  if (!file.empty()) err << file << ':' << lineNumber << ": ";
  err << "error: " << what << '\n';
  return false;
}
}  // namespace

bool ValidVariableName(const std::string& name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  for (char c : name)
    if (!IsNameChar(c)) return false;
  return true;
}

bool DefineVariable(const std::string& name, const std::string& value) {
  if (!ValidVariableName(name)) return false;
  Definitions()[name] = value;
  return true;
}

void ClearVariables() { Definitions().clear(); }

bool ExpandVariables(std::string& line, const std::string& file, long lineNumber) {
  size_t at = line.find("${");
  if (at == std::string::npos) return true;
  std::string out(line, 0, at);
  while (at != std::string::npos) {
    const size_t close = line.find('}', at + 2);
    const std::string name =
        line.substr(at + 2, close == std::string::npos ? std::string::npos : close - at - 2);
    if (close == std::string::npos || !ValidVariableName(name))
      return Fail(file, lineNumber,
                  "bad variable reference \"" + line.substr(at, close == std::string::npos
                                                                    ? std::string::npos
                                                                    : close - at + 1) +
                      "\" (expected ${NAME}, NAME of letters, digits and _)");
    auto found = Definitions().find(name);
    if (found == Definitions().end())
      return Fail(file, lineNumber,
                  "undefined variable ${" + name + "} (define it with -D " + name + "=VALUE)");
    out += found->second;
    const size_t next = line.find("${", close + 1);
    out.append(line, close + 1, next == std::string::npos ? std::string::npos : next - close - 1);
    at = next;
  }
  line = std::move(out);
  return true;
}
