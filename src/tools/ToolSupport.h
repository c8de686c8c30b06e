// ToolSupport: what celvane-sweep and celvane-plot share - finding and
// running external programs, shell quoting, CSV fields and the shortest
// text of a number that reads back unchanged.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tools {

// The full path of an executable found in PATH, or nothing.
std::optional<std::string> FindInPath(const std::string& name);
// The directory that holds the running program ("" when unknown).
std::string ProgramDirectory();
// Runs argv[0] (searched in PATH) with the arguments and waits for it.
// Returns its exit status, 128 + the signal that ended it, or -1 when it
// could not be started.
int RunProgram(const std::vector<std::string>& argv);
// The first line the program writes to standard output, or "" when it
// cannot be run.
std::string FirstOutputLine(const std::vector<std::string>& argv);

// A word for the POSIX shell: as it is when it needs no quoting, otherwise
// in single quotes.
std::string ShellQuote(const std::string& word);

// A CSV field: quoted (doubling inner quotes) when it holds a comma, a
// quote or a line break.
std::string CsvField(const std::string& text);
// The fields of one CSV line, quotes resolved.
std::vector<std::string> SplitCsvLine(const std::string& line);

// The shortest decimal text that reads back as x; "" for NaN.
std::string NumberText(double x);

}  // namespace tools
