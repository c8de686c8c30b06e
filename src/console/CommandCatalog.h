// CommandCatalog: the commands as help and completion see them - their words
// and their arguments - read from the command table, so neither can drift
// from what the dispatcher accepts.
#pragma once
#include <string>
#include <vector>

#include "console/CommandReader.h"

struct CommandEntry {
  std::vector<std::string> words;  // "create", "block"
  const CommandRule* rule;         // its arguments; nullptr when it has none listed
};

// Every command, in the table's order.
const std::vector<CommandEntry>& CommandCatalog();

// The arguments of a command as help shows them, e.g.
// "network_name block_name block_model block_type".
std::string ArgumentSynopsis(const CommandEntry& entry);

// Words the console itself answers besides the table's commands.
extern const char* const kConsoleWords[3];  // help, quit, exit
