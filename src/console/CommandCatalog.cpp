// The command list for help and completion, built once from the table.
#include "console/CommandCatalog.h"

#include "console/CommandTable.h"

const char* const kConsoleWords[3] = {"help", "quit", "exit"};

const std::vector<CommandEntry>& CommandCatalog() {
  static const std::vector<CommandEntry> entries = [] {
    std::vector<CommandEntry> list;
    for (const CommandRow& row : AllCommands()) {
      CommandEntry e;
      for (const char* w : row.words)
        if (w) e.words.push_back(w);
      e.rule = FindRule(row.handlerName);
      list.push_back(std::move(e));
    }
    return list;
  }();
  return entries;
}

std::string ArgumentSynopsis(const CommandEntry& entry) {
  if (!entry.rule) return std::string();
  std::string text;
  for (const ArgRule& a : entry.rule->args) {
    if (a.kind == ArgKind::End) break;
    const char* name = a.name;
    if (a.kind == ArgKind::ParamText)
      name = "parameter_name type lines columns values description option";
    else if (a.kind == ArgKind::DataText)
      name = "key name type value";
    if (!text.empty()) text += ' ';
    text += name;
  }
  return text;
}
