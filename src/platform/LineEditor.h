// LineEditor: line editing at a terminal through libedit - cursor keys,
// history kept in a file from one start to the next, Tab completion from a
// caller's list of candidates, and Ctrl-C clearing the line. Used only when
// standard input and output are terminals.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class LineEditor {
 public:
  // What Tab may put in place of the text from wordStart to the cursor.
  struct Completion {
    size_t wordStart = 0;
    std::vector<std::string> candidates;
  };
  // Given the line up to the cursor, the candidates for the word there.
  using Completer = std::function<Completion(const std::string& beforeCursor)>;

  // historyFile empty: the history lives only as long as the editor.
  LineEditor(const char* program, const std::string& historyFile, Completer completer);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  enum class Status {
    Line,        // a line was entered
    Cancelled,   // Ctrl-C (or SIGINT) dropped the line being typed
    End,         // end of input (Ctrl-D on an empty line)
    Terminated,  // SIGTERM arrived
  };
  Status Read(const char* prompt, std::string& line);

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// The history file in the user's home folder, empty when there is none.
std::string HistoryFileInHome(const char* name);

// The longest text every candidate starts with.
std::string CommonPrefix(const std::vector<std::string>& candidates);

}  // namespace platform
