// The help command: commands from the command catalogue, parameters from a
// throwaway network holding one object of the kind asked for.
#include "console/Help.h"

#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

#include "atm/AtmModels.h"
#include "atm/QueueingSystem.h"
#include "console/CommandCatalog.h"
#include "console/CommandReader.h"
#include "console/Diagnostics.h"
#include "core/NumberFormat.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

namespace {

struct Kind {
  const char* word;   // as typed after help
  const char* model;  // block model, or nullptr for the network
};

const Kind kKinds[] = {
    {"network", nullptr},
    {"bte", "ATM B-TE"},
    {"switch", "ATM Switch"},
    {"application", "ATM Generic Application"},
};

void WriteParams(std::ostream& out, const char* title, const Param& p) {
  out << title << '\n';
  for (const auto& [name, parameter] : p.Parameters()) {
    std::ostringstream value;
    parameter.value.Write(value, NumberStyle::Screen);
    std::string text = value.str();
    for (char& ch : text)
      if (ch == '\n') ch = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << "  " << name << ' ' << text;
    if (!parameter.description.empty()) out << "   (" << parameter.description.str() << ')';
    out << '\n';
  }
}

void WriteBlock(std::ostream& out, const Block& b, std::vector<std::string>& seen) {
  std::vector<Sstring> names;
  if (b.ListLayers(names)) {
    for (const Sstring& n : names) {
      const Layer* layer = b.FindLayer(n);
      const std::string title = "layer " + n.str() + " (type " + layer->GetType().str() + "):";
      bool done = false;
      for (const std::string& s : seen) done = done || s == title;
      if (done) continue;
      seen.push_back(title);
      WriteParams(out, title.c_str(), *layer);
    }
  }
  names.clear();
  if (b.ListQSs(names)) {
    for (const Sstring& n : names) {
      const std::string title = "QS " + n.str() + ":";
      bool done = false;
      for (const std::string& s : seen) done = done || s == title;
      if (done) continue;
      seen.push_back(title);
      WriteParams(out, title.c_str(), *b.FindQS(n));
    }
  }
}

// The parameters of one kind, read from objects made in a network of their
// own and wired as a run needs them (layers appear when blocks connect).
void WriteKind(std::ostream& out, const Kind& kind) {
  RegisterAtmModels();
  Kernel scratch;
  scratch.CreateNetwork("help");
  Network& net = *scratch.FindNetwork("help");
  if (!kind.model) {
    WriteParams(out, "network parameters (put parameter network NETWORK ...):", net);
    return;
  }
  const std::string model = kind.model;
  std::vector<std::string> seen;
  if (model == "ATM Generic Application") {
    net.CreateBlock("T", "ATM B-TE", "terminal");
    const char* sources[] = {"CBR", "VBR_BATCH", "GENERIC"};
    for (const char* source : sources) {
      const Sstring name = Sstring("A_") + source;
      net.CreateBlock(name, kind.model, "application");
      if (Block* app = net.FindBlock(name)) app->PutParam("Traffic source", Sstring(source));
      net.ConnectBlock(name, "T", "app");
    }
    for (const char* source : sources) {
      const Block* app = net.FindBlock(Sstring("A_") + source);
      if (!app) continue;
      if (seen.empty())
        WriteParams(out, "block parameters (put parameter block NETWORK BLOCK ...):", *app);
      seen.push_back("block");
      WriteBlock(out, *app, seen);
    }
    return;
  }
  net.CreateBlock("B", kind.model, "equipment");
  net.CreateBlock("P", "ATM B-TE", "terminal");
  net.CreateBlock("A", "ATM Generic Application", "application");
  net.ConnectBlock("B", "P", "CB_PHYSICAL_LAYER");
  if (model == "ATM B-TE") net.ConnectBlock("A", "B", "app");
  const Block* b = net.FindBlock("B");
  if (!b) return;
  WriteParams(out, "block parameters (put parameter block NETWORK BLOCK ...):", *b);
  WriteBlock(out, *b, seen);
}

int Help(CommandContext& c) {
  std::istream& in = c.in;
  std::vector<std::string> words;
  for (Sstring w; in >> w;) words.push_back(w.str());
  std::ostream& out = platform::Out();

  if (words.size() == 1 || words.size() == 0) {
    const std::string what = words.empty() ? std::string() : words[0];
    for (const Kind& k : kKinds) {
      if (what == k.word || (k.model && what == k.model)) {
        WriteKind(out, k);
        return 1;
      }
    }
  }
  int shown = 0;
  for (const CommandEntry& e : CommandCatalog()) {
    bool match = words.size() <= e.words.size();
    for (size_t i = 0; i < words.size() && match; ++i) match = e.words[i] == words[i];
    if (!match) continue;
    if (!shown++ && words.empty()) out << "commands (help WORD... narrows the list):\n";
    out << "  " << CommandUsage(*e.command) << '\n';
  }
  if (words.empty()) {
    out << "  help [COMMAND WORDS | network | bte | switch | application]\n"
           "  quit | exit\n"
           "parameter_record: parameter_name type lines columns values description option\n"
           "data_record: key name type value\n"
           "block models: \"ATM B-TE\", \"ATM Switch\", \"ATM Generic Application\"\n";
  }
  if (!shown) {
    std::string asked;
    for (const std::string& w : words) asked += (asked.empty() ? "" : " ") + w;
    return diag::Error("help: no command or object kind \"" + asked +
                       "\"; try help, or help network, bte, switch, application");
  }
  return 1;
}

}  // namespace

const Command& HelpCommand() {
  static const Command help{{"help", nullptr, nullptr}, "help ", {}, &Help};
  return help;
}
