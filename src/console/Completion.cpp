// Tab completion over the command catalogue and the kernel's names.
#include "console/Completion.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "atm/QueueingSystem.h"
#include "console/CommandCatalog.h"
#include "model/Kernel.h"
#include "model/Network.h"

namespace {

const char* const kBlockModels[] = {"ATM B-TE", "ATM Switch", "ATM Generic Application"};

// Argument words that name a block of the network.
const char* const kBlockWords[] = {"block_name",     "name1",          "name2",
                                   "first_block_name", "new_block_name", "old_block_name",
                                   "key_block_Name", "begin_app_name", "end_app_name"};

struct TypedWord {
  std::string text;  // without quotes
  size_t start;      // offset in the line
};

// Splits the line before the cursor as the command reader does (blanks
// separate words, double quotes hold blanks); the last word is the one under
// completion and may be empty.
std::vector<TypedWord> SplitWords(const std::string& line, bool& quoted) {
  std::vector<TypedWord> words;
  size_t i = 0;
  quoted = false;
  for (;;) {
    while (i < line.size() && std::strchr(" \t\n", line[i])) ++i;
    TypedWord w{std::string(), i};
    if (i >= line.size()) {
      words.push_back(w);
      return words;
    }
    if (line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      if (close == std::string::npos) {
        w.text = line.substr(i + 1);
        quoted = true;
        words.push_back(w);
        return words;
      }
      w.text = line.substr(i + 1, close - i - 1);
      i = close + 1;
      if (i >= line.size()) {  // a closed quote at the cursor is a finished word
        words.push_back(w);
        words.push_back(TypedWord{std::string(), i});
        return words;
      }
    } else {
      const size_t end = line.find_first_of(" \t\n", i);
      w.text = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
      i = end == std::string::npos ? line.size() : end;
      if (end == std::string::npos) {
        words.push_back(w);
        return words;
      }
    }
    words.push_back(w);
  }
}

// Names matching the word typed so far, quoted as the command reader wants
// them: all of them when one holds a blank or the word began with a quote,
// so that they share the typed prefix.
class Candidates {
 public:
  Candidates(const std::string& prefix, bool quoted) : prefix_(prefix), quote_(quoted) {}
  void Add(const std::string& name) {
    if (name.compare(0, prefix_.size(), prefix_) != 0) return;
    if (name.empty() || name.find_first_of(" \t\"") != std::string::npos) quote_ = true;
    names_.insert(name);
  }
  void Add(const Sstring& name) { Add(name.str()); }
  void Add(const char* name) { Add(std::string(name)); }
  // A text put in as it is (file paths).
  void AddRaw(const std::string& text) { raw_.insert(text); }
  std::vector<std::string> Take() const {
    std::set<std::string> all = raw_;
    for (const std::string& n : names_) all.insert(quote_ ? '"' + n + '"' : n);
    return {all.begin(), all.end()};
  }

 private:
  std::string prefix_;
  bool quote_;
  std::set<std::string> names_, raw_;
};

void AddFiles(const std::string& prefix, bool quoted, Candidates& out) {
  namespace fs = std::filesystem;
  const size_t slash = prefix.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : prefix.substr(0, slash + 1);
  const std::string base = prefix.substr(dir.size());
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.compare(0, base.size(), base) != 0) continue;
    if (name[0] == '.' && (base.empty() || base[0] != '.')) continue;
    std::string path = dir + name;
    const bool blank = quoted || path.find_first_of(" \t") != std::string::npos;
    if (it->is_directory(ec)) out.AddRaw((blank ? "\"" : "") + path + '/');
    else out.AddRaw(blank ? '"' + path + '"' : path);
  }
}

void AddParams(const Param* p, Candidates& out) {
  if (!p) return;
  for (const auto& entry : p->Parameters()) out.Add(entry.first);
}

// The names argument `index` of the command can take, given the words read
// before it.
void AddArgument(const Kernel& kernel, const CommandEntry& entry, const std::vector<TypedWord>& args,
                 size_t index, Candidates& out) {
  const Command& command = *entry.command;
  const Network* net = nullptr;
  const Block* block = nullptr;
  const Param* object = nullptr;  // the last network, block, layer or QS named
  for (size_t i = 0; i < index && i < size_t(kMaxArgs); ++i) {
    const ArgRule& a = command.args[i];
    const Sstring w(args[i].text);
    if (a.kind == ArgKind::Network || a.kind == ArgKind::LateNetwork) {
      net = kernel.FindNetwork(w);
      object = net;
    } else if (a.kind == ArgKind::Block && net) {
      block = net->FindBlock(w);
      object = block;
    } else if ((a.kind == ArgKind::Layer || a.kind == ArgKind::LateLayer) && block) {
      object = block->FindLayer(w);
    } else if (a.kind == ArgKind::QS && block) {
      object = block->FindQS(w);
    } else if (a.kind == ArgKind::ParamText || a.kind == ArgKind::DataText) {
      return;  // inside a record: only its first word is completed
    }
  }
  if (index >= size_t(kMaxArgs)) return;
  const ArgRule& a = command.args[index];
  const std::string name = a.name ? a.name : "";
  std::vector<Sstring> names;
  switch (a.kind) {
    case ArgKind::Network:
    case ArgKind::LateNetwork:
      for (const Sstring& n : kernel.NetworkNames()) out.Add(n);
      return;
    case ArgKind::Block:
      if (net) net->ForEachBlock([&](const Block& b) { out.Add(b.GetName()); });
      return;
    case ArgKind::Layer:
    case ArgKind::LateLayer:
      if (block && block->ListLayers(names))
        for (const Sstring& n : names) out.Add(n);
      return;
    case ArgKind::QS:
      if (block && block->ListQSs(names))
        for (const Sstring& n : names) out.Add(n);
      return;
    case ArgKind::ParamText:
      AddParams(object, out);
      return;
    case ArgKind::Word:
    case ArgKind::AnyWord:
      break;
    default:
      return;
  }
  if (name == "network_name") {
    for (const Sstring& n : kernel.NetworkNames()) out.Add(n);
  } else if (name == "file_name") {
    AddFiles(args[index].text, false, out);
  } else if (name == "block_model") {
    for (const char* m : kBlockModels) out.Add(m);
  } else if (name == "parameter_name") {
    AddParams(object, out);
  } else if (name == "NCI" && net) {
    for (const Sstring& n : net->VccIds()) out.Add(n);
  } else if (name == "DCI" && net) {
    for (const Sstring& n : net->DcIds()) out.Add(n);
  } else if (net) {
    for (const char* w : kBlockWords)
      if (name == w) net->ForEachBlock([&](const Block& b) { out.Add(b.GetName()); });
  }
}

// Command words after `done` words already typed (help skips its own word).
void AddCommandWords(const std::vector<TypedWord>& typed, size_t first, Candidates& out) {
  const size_t depth = typed.size() - 1 - first;
  for (const CommandEntry& e : CommandCatalog()) {
    if (e.words.size() <= depth) continue;
    bool match = true;
    for (size_t i = 0; i < depth && match; ++i) match = e.words[i] == typed[first + i].text;
    if (match) out.Add(e.words[depth]);
  }
}

}  // namespace

platform::LineEditor::Completion CompleteCommandLine(const Kernel& kernel,
                                                     const std::string& beforeCursor) {
  bool quoted = false;
  std::vector<TypedWord> words = SplitWords(beforeCursor, quoted);
  const TypedWord& current = words.back();
  Candidates out(current.text, quoted);
  platform::LineEditor::Completion result;
  result.wordStart = current.start;

  if (words.size() == 1) {
    AddCommandWords(words, 0, out);
    for (const char* w : kConsoleWords) out.Add(w);
  } else if (words[0].text == "help") {
    AddCommandWords(words, 1, out);
    if (words.size() == 2)
      for (const char* w : {"network", "bte", "switch", "application"}) out.Add(w);
  } else if (words[0].text == "load" || words[0].text == "file") {
    // The file name: the last argument of both.
    if (words.size() == (words[0].text == "load" ? 2u : 3u))
      AddFiles(current.text, quoted, out);
    else if (words.size() == 2)
      for (const Sstring& n : kernel.NetworkNames()) out.Add(n);
  } else {
    for (const CommandEntry& e : CommandCatalog()) {
      const size_t typed = words.size() - 1;
      bool match = true;
      for (size_t i = 0; i < e.words.size() && i < typed && match; ++i)
        match = e.words[i] == words[i].text;
      if (!match) continue;
      if (typed < e.words.size()) {
        out.Add(e.words[typed]);
      } else {
        std::vector<TypedWord> args(words.begin() + static_cast<long>(e.words.size()), words.end());
        AddArgument(kernel, e, args, args.size() - 1, out);
        break;
      }
    }
  }
  result.candidates = out.Take();
  return result;
}
