// The command table as rows of words, arguments and messages.
#include "console/CommandListing.h"

#include <ostream>
#include <sstream>
#include <string>

#include "console/CommandReader.h"
#include "console/CommandTable.h"
#include "model/Kernel.h"

namespace {

// The "... not exist" line the reader prints when a lookup fails.
std::string NotExist(const Command& row, const char* what, const char* argName) {
  return std::string(row.prefix) + "error: " + what + " \"<" + argName + ">\" not exist";
}

// Takes the one line the context printed, without its line break.
std::string TakeLine(std::ostringstream& printed) {
  std::string line = printed.str();
  if (!line.empty() && line.back() == '\n') line.pop_back();
  printed.str("");
  return line;
}

}  // namespace

void WriteCommandRows(std::ostream& out) {
  Kernel kernel;  // the context wants one; nothing is looked up in it
  std::istringstream noInput;
  for (const Command& row : AllCommands()) {
    std::string words, args;
    for (const char* w : row.words)
      if (w) words += (words.empty() ? "" : " ") + std::string(w);
    for (const ArgRule& a : row.args)
      if (a.kind != ArgKind::End) args += (args.empty() ? "" : " ") + std::string(a.name);
    out << words << '\t' << args;

    // The missing-argument messages come from the reader's own routine.
    std::ostringstream printed;
    CommandContext c(kernel, noInput, printed, row);
    const char* lateLookup[2] = {nullptr, nullptr};
    for (int i = 0; i < kMaxArgs && row.args[i].kind != ArgKind::End; ++i) {
      const ArgRule& a = row.args[i];
      if (a.kind == ArgKind::DataText) continue;  // the data table words its own
      c.Missing(i);
      out << '\t' << TakeLine(printed);
      switch (a.kind) {
        case ArgKind::Network: out << '\t' << NotExist(row, "network", a.name); break;
        case ArgKind::NewNetwork: out << '\t' << row.prefix << "error: network already exists"; break;
        case ArgKind::Block: out << '\t' << NotExist(row, "block", a.name); break;
        case ArgKind::Layer: out << '\t' << NotExist(row, "layer", a.name); break;
        case ArgKind::QS: out << '\t' << NotExist(row, "QS", a.name); break;
        case ArgKind::LateNetwork: lateLookup[0] = a.name; break;
        case ArgKind::LateLayer: lateLookup[1] = a.name; break;
        default: break;
      }
    }
    if (lateLookup[0]) out << '\t' << NotExist(row, "network", lateLookup[0]);
    if (lateLookup[1]) out << '\t' << NotExist(row, "layer", lateLookup[1]);
    out << '\n';
  }
}
