// The argument reader shared by every command.
#include "console/CommandReader.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <sstream>
#include <vector>
#include <ostream>
#include <string>

#include "console/Diagnostics.h"
#include "core/NameHint.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

int CommandContext::Fail(const char* text) const {
  out << command.prefix << "error: " << text << '\n';
  return 0;
}

namespace {
bool IsText(ArgKind kind) { return kind == ArgKind::ParamText || kind == ArgKind::DataText; }
}  // namespace

// "missing parameter 'x'" or "missing parameters 'x y z'" naming argument i
// and every word or number argument after it, unless the row words it
// otherwise.
int CommandContext::Missing(int i) const {
  const ArgRule* args = command.args;
  if (args[i].message) return Fail(args[i].message);
  std::string names;
  int count = 0;
  for (int k = i; k < kMaxArgs && args[k].kind != ArgKind::End; ++k) {
    if (IsText(args[k].kind)) continue;
    names += (count++ ? " " : "");
    names += args[k].name;
  }
  std::string text = std::string(count > 1 ? "missing parameters '" : "missing parameter '") +
                     names + "'";
  return Fail(text.c_str());
}

int CommandContext::LastArg() const {
  int i = 0;
  while (i + 1 < kMaxArgs && command.args[i + 1].kind != ArgKind::End) ++i;
  return i;
}

Param& CommandContext::TargetParam() const {
  if (qs) return *qs;
  if (layer) return *layer;
  if (block) return *block;
  return *network;
}

DataTable& CommandContext::TargetTable() const {
  if (layer) return *layer;
  if (block) return *block;
  return *network;
}

std::string CommandContext::TargetText() const {
  std::string s;
  if (qs) s = "QS " + Quoted(qs->GetName()) + " of ";
  else if (layer) s = "layer " + Quoted(layer->GetName()) + " of ";
  if (block) s += "block " + Quoted(block->GetName());
  else s += "network " + Quoted(network->GetName());
  return s;
}

std::string CommandContext::Name() const {
  std::string s;
  for (const char* w : command.words)
    if (w) s += (s.empty() ? "" : " ") + std::string(w);
  return s;
}

int CommandContext::Error(const std::string& text) const {
  return diag::Error(Name() + ": " + text);
}

void CommandContext::Warn(const std::string& text, long lineOffset) {
  if (diag::Warning(Name() + ": " + text, lineOffset)) strictFailed_ = true;
}

namespace {
int NotExist(const CommandContext& c, const char* what, const Sstring& name) {
  c.out << c.command.prefix << "error: " << what << ' ' << name << " not exist\n";
  return 0;
}

// The next blank-separated token, left unread.
std::string PeekToken(std::istream& in) {
  in.clear();
  const std::streampos at = in.tellg();
  std::string token;
  in >> token;
  in.clear();
  in.seekg(at);
  return token;
}

// Reads a number; false when the input ended or the text is not a number.
// A number with other characters glued to it ("12abc") is read as before,
// the number alone, and warned about.
bool ReadNumber(CommandContext& c, int i, double& v) {
  std::istream& in = c.in;
  if (in.eof()) return false;
  const std::string token = PeekToken(in);
  if (!(in >> v)) {
    if (!token.empty())
      c.Error(std::string(c.command.args[i].name) + " " + Quoted(token) + " is not a number");
    return false;
  }
  const int next = in.peek();
  if (next != std::char_traits<char>::eof() && !std::isspace(next)) {
    const std::string rest = PeekToken(in);
    const bool last = i == c.LastArg();
    if (last) in.ignore(static_cast<std::streamsize>(rest.size()));  // the rest, not read
    c.Warn(std::string(c.command.args[i].name) + " " + Quoted(token) + " is read as the number " +
           token.substr(0, token.size() - rest.size()) + ", and " + Quoted(rest) +
           (last ? " is not read" : " as the next argument"));
  }
  return true;
}

// Where the stream stands in the command's text, and that text, when the
// stream is a string stream (lines always are).
struct Place {
  std::string text;
  size_t at = 0;
};
bool PlaceOf(std::istream& in, Place& p) {
  auto* ss = dynamic_cast<std::istringstream*>(&in);
  if (!ss) return false;
  in.clear();
  const std::streampos at = in.tellg();
  if (at < 0) return false;
  p.text = ss->str();
  p.at = std::min(static_cast<size_t>(at), p.text.size());
  return true;
}

// The first words of the console's commands.
std::vector<std::string> CommandWords() {
  std::vector<std::string> words;
  for (const Command& row : AllCommands())
    if (words.empty() || words.back() != row.words[0]) words.push_back(row.words[0]);
  return words;
}

// Warns about words the command did not read: extra arguments on its line
// or, in a script, a following line that the continuation rule joined to it
// (usually a misspelt command word). A rest that starts with "#" is a
// comment and is let be.
void WarnUnread(CommandContext& c) {
  Place p;
  if (!PlaceOf(c.in, p)) return;
  size_t start = p.text.find_first_not_of(" \t\r\n", p.at);
  if (start == std::string::npos || p.text[start] == '#') return;
  const auto begin = p.text.begin();
  const long offset = static_cast<long>(std::count(begin, begin + static_cast<long>(start), '\n'));
  // Reading a word may have taken the line break after it: the rest has a
  // line of its own when a break lies between the last text read and it.
  size_t read = p.at;
  while (read > 0 && std::isspace(static_cast<unsigned char>(p.text[read - 1]))) --read;
  const bool ownLine = p.text.find('\n', read) < start;
  size_t end = p.text.find('\n', start);
  std::string words = p.text.substr(start, end == std::string::npos ? end : end - start);
  while (!words.empty() && std::isspace(static_cast<unsigned char>(words.back()))) words.pop_back();
  if (words.size() > 60) words = words.substr(0, 57) + "...";
  if (!ownLine) {
    c.Warn("words after the last argument are not read: " + Quoted(words), offset);
    return;
  }
  const std::string first = words.substr(0, words.find_first_of(" \t"));
  const std::string close = ClosestName(first, CommandWords());
  c.Warn("the line " + Quoted(words) + " is joined to this command (it does not start with a "
         "command word) but is not read by it" +
         (close.empty() ? std::string() : "; did you mean " + Quoted(close) + "?"),
         offset);
}

bool HasText(const Command& command) {
  for (const ArgRule& a : command.args)
    if (IsText(a.kind)) return true;
  return false;
}
}  // namespace

int RunCommand(const Command& command, Kernel& kernel, std::istream& in) {
  CommandContext c(kernel, in, platform::Out(), command);
  int lateNetwork = -1, lateLayer = -1;
  for (int i = 0; i < kMaxArgs && command.args[i].kind != ArgKind::End; ++i) {
    const ArgRule& a = command.args[i];
    switch (a.kind) {
      case ArgKind::Number:
        if (!ReadNumber(c, i, c.numbers[i])) return c.Missing(i);
        continue;
      case ArgKind::Label: {
        double v;
        if (!ReadNumber(c, i, v)) return c.Missing(i);
        if (v < 0 || v > 65535 || v != static_cast<long>(v)) {
          std::ostringstream text;
          text << a.name << ' ' << v << " is not a whole number from 0 to 65535";
          c.Error(text.str());
          return c.Missing(i);
        }
        c.numbers[i] = v;
        continue;
      }
      case ArgKind::ParamText:
      case ArgKind::DataText:
        continue;  // the action reads the rest of the input itself
      default:
        break;
    }
    if (in.eof()) return c.Missing(i);
    in >> c.words[i];
    if (c.words[i].empty() && a.kind != ArgKind::AnyWord) return c.Missing(i);
    const Sstring& w = c.words[i];
    switch (a.kind) {
      case ArgKind::Network:
        c.network = kernel.FindNetwork(w);
        if (!c.network) return NotExist(c, "network", w);
        break;
      case ArgKind::NewNetwork:
        if (kernel.ExistNetwork(w)) return c.Fail("network already exists");
        break;
      case ArgKind::LateNetwork:
        lateNetwork = i;
        break;
      case ArgKind::Block:
        c.block = c.network->FindBlock(w);
        if (!c.block) return NotExist(c, "block", w);
        break;
      case ArgKind::Layer:
        c.layer = c.block->FindLayer(w);
        if (!c.layer) return NotExist(c, "layer", w);
        break;
      case ArgKind::LateLayer:
        lateLayer = i;
        break;
      case ArgKind::QS:
        c.qs = c.block->FindQS(w);
        if (!c.qs) return NotExist(c, "QS", w);
        break;
      default:
        break;
    }
  }
  if (lateNetwork >= 0) {
    c.network = kernel.FindNetwork(c.words[lateNetwork]);
    if (!c.network) return NotExist(c, "network", c.words[lateNetwork]);
  }
  if (lateLayer >= 0) {
    c.layer = c.block->FindLayer(c.words[lateLayer]);
    if (!c.layer) return NotExist(c, "layer", c.words[lateLayer]);
  }
  // Commands that read only words are checked for unread words before they
  // act; those that read a parameter or data record, after.
  const bool reads = command.args[0].kind != ArgKind::End;
  const bool text = HasText(command);
  if (reads && !text) WarnUnread(c);
  if (c.network) c.network->TakeRefusal();
  const int result = command.action(c);
  if (!result) {
    // The model refused without a word of its own: say why.
    if (c.network) {
      const std::string why = c.network->TakeRefusal();
      if (!why.empty()) c.Error(why);
    }
    return 0;
  }
  if (reads && text) WarnUnread(c);
  return c.StrictFailed() ? 0 : result;
}
