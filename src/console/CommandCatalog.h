// CommandCatalog: the commands as help and completion see them - their words
// and their arguments - read from the command table, so neither can drift
// from what the dispatcher accepts.
#pragma once
#include <string>
#include <vector>

#include "console/CommandTable.h"

struct CommandEntry {
  std::vector<std::string> words;  // "create", "block"
  const Command* command;          // its row: arguments and usage
};

// Every command, in the table's order.
const std::vector<CommandEntry>& CommandCatalog();

// Words the console itself answers besides the table's commands.
extern const char* const kConsoleWords[3];  // help, quit, exit
