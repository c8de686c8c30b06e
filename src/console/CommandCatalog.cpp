// The command list for help and completion, built once from the table.
#include "console/CommandCatalog.h"

const char* const kConsoleWords[3] = {"help", "quit", "exit"};

const std::vector<CommandEntry>& CommandCatalog() {
  static const std::vector<CommandEntry> entries = [] {
    std::vector<CommandEntry> list;
    for (const Command& row : AllCommands()) {
      CommandEntry e;
      for (const char* w : row.words)
        if (w) e.words.push_back(w);
      e.command = &row;
      list.push_back(std::move(e));
    }
    return list;
  }();
  return entries;
}
