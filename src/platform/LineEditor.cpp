// Line editing over libedit's own (histedit) interface.
#include "platform/LineEditor.h"

#include <histedit.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <ostream>

#include "platform/Console.h"
#include "platform/Interrupt.h"

namespace platform {

struct LineEditor::State {
  EditLine* el = nullptr;
  History* history = nullptr;
  std::string historyFile;
  Completer completer;
  std::string prompt;
  bool cancelled = false;
  bool saveFailed = false;
};

namespace {

LineEditor::State& StateOf(EditLine* el) {
  void* data = nullptr;
  el_get(el, EL_CLIENTDATA, &data);
  return *static_cast<LineEditor::State*>(data);
}

char* Prompt(EditLine* el) { return const_cast<char*>(StateOf(el).prompt.c_str()); }

// Reads one character for libedit. It waits with WaitForInput so that a
// signal wakes it: SIGINT becomes a typed Ctrl-C (bound to Cancel), SIGTERM
// ends the reading.
int GetChar(EditLine*, wchar_t* out) {
  char bytes[MB_LEN_MAX];
  size_t n = 0;
  for (;;) {
    if (!WaitForInput(STDIN_FILENO)) {
      if (InterruptSignal() != SIGINT) return -1;
      ClearInterrupt();
      *out = L'\003';
      return 1;
    }
    char c;
    const ssize_t r = read(STDIN_FILENO, &c, 1);
    if (r == 0) return 0;
    if (r < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return -1;
    }
    bytes[n++] = c;
    std::mbstate_t state{};
    const size_t k = std::mbrtowc(out, bytes, n, &state);
    if (k == static_cast<size_t>(-2) && n < sizeof bytes) continue;  // more bytes to come
    if (k == static_cast<size_t>(-1) || k == static_cast<size_t>(-2))
      *out = static_cast<unsigned char>(bytes[0]);
    return 1;
  }
}

// Ctrl-C: the line is dropped; it stays on the screen, marked as shells do.
unsigned char Cancel(EditLine* el, int) {
  StateOf(el).cancelled = true;
  std::fputs("^C\n", stdout);
  std::fflush(stdout);
  return CC_NEWLINE;
}

// Characters (not bytes) in a UTF-8 text, as el_deletestr counts.
int CharCount(const std::string& s) {
  int n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// Shows the candidates in columns under the line being edited.
void List(const std::vector<std::string>& candidates) {
  size_t width = 0;
  for (const std::string& c : candidates) width = std::max(width, c.size());
  width += 2;
  const size_t perLine = std::max<size_t>(1, 78 / width);
  std::string text = "\n";
  for (size_t i = 0; i < candidates.size(); ++i) {
    text += candidates[i];
    if ((i + 1) % perLine == 0 || i + 1 == candidates.size()) text += '\n';
    else text.append(width - candidates[i].size(), ' ');
  }
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

unsigned char Complete(EditLine* el, int) {
  LineEditor::State& s = StateOf(el);
  const LineInfo* li = el_line(el);
  const std::string before(li->buffer, li->cursor);
  LineEditor::Completion c = s.completer ? s.completer(before) : LineEditor::Completion();
  if (c.candidates.empty() || c.wordStart > before.size()) return CC_REFRESH_BEEP;
  const std::string typed = before.substr(c.wordStart);
  std::string common = CommonPrefix(c.candidates);
  if (c.candidates.size() == 1 && common.back() != '/') common += ' ';
  if (c.candidates.size() == 1 || common.size() > typed.size()) {
    el_deletestr(el, CharCount(typed));
    el_insertstr(el, common.c_str());
    return CC_REFRESH;
  }
  List(c.candidates);
  return CC_REDISPLAY;
}

}  // namespace

std::string CommonPrefix(const std::vector<std::string>& candidates) {
  if (candidates.empty()) return std::string();
  std::string common = candidates[0];
  for (const std::string& c : candidates) {
    size_t i = 0;
    while (i < common.size() && i < c.size() && common[i] == c[i]) ++i;
    common.resize(i);
  }
  return common;
}

std::string HistoryFileInHome(const char* name) {
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home || !*home) return std::string();
  return std::string(home) + '/' + name;
}

LineEditor::LineEditor(const char* program, const std::string& historyFile, Completer completer)
    : state_(std::make_unique<State>()) {
  std::setlocale(LC_CTYPE, "");  // multibyte input; numbers keep the C rules
  State& s = *state_;
  s.historyFile = historyFile;
  s.completer = std::move(completer);
  HistEvent ev;
  s.history = history_init();
  history(s.history, &ev, H_SETSIZE, 1000);
  history(s.history, &ev, H_SETUNIQUE, 1);
  // No file yet at the first start: nothing to say.
  if (!s.historyFile.empty()) history(s.history, &ev, H_LOAD, s.historyFile.c_str());

  s.el = el_init(program, stdin, stdout, stderr);
  el_set(s.el, EL_CLIENTDATA, &s);
  el_set(s.el, EL_EDITOR, "emacs");
  el_set(s.el, EL_HIST, history, s.history);
  el_set(s.el, EL_PROMPT, &Prompt);
  el_set(s.el, EL_GETCFN, &GetChar);
  // The wide form keeps the static names; the narrow one copies them and
  // never frees the copies.
  el_wset(s.el, EL_ADDFN, L"celvane-complete", L"Complete the word", &Complete);
  el_wset(s.el, EL_ADDFN, L"celvane-cancel", L"Drop the line", &Cancel);
  el_set(s.el, EL_BIND, "^I", "celvane-complete", nullptr);
  el_set(s.el, EL_BIND, "^C", "celvane-cancel", nullptr);
  el_source(s.el, nullptr);  // the user's own bindings (~/.editrc), if any
}

LineEditor::~LineEditor() {
  el_end(state_->el);
  history_end(state_->history);
}

LineEditor::Status LineEditor::Read(const char* prompt, std::string& line) {
  State& s = *state_;
  s.prompt = prompt;
  s.cancelled = false;
  int count = 0;
  const char* text = el_gets(s.el, &count);
  if (!text) {
    if (InterruptRequested()) return Status::Terminated;
    return Status::End;
  }
  if (s.cancelled) return Status::Cancelled;
  line.assign(text, static_cast<size_t>(count));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.find_first_not_of(" \t") == std::string::npos) return Status::Line;
  HistEvent ev;
  history(s.history, &ev, H_ENTER, line.c_str());
  if (!s.historyFile.empty() && history(s.history, &ev, H_SAVE, s.historyFile.c_str()) < 0 &&
      !s.saveFailed) {
    s.saveFailed = true;
    Err() << "warning: cannot write the history file " << s.historyFile << '\n';
  }
  return Status::Line;
}

}  // namespace platform
