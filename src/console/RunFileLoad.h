// The file and load commands. Script loading is shared by `load` and the
// program's arguments.
#pragma once
#include <string>

#include "core/Sstring.h"

class Kernel;
struct CommandContext;

// file: checks that the file can be created and makes it the destination of
// the network's save; 0 after a message when it cannot be created.
int SetDestinationFile(CommandContext& c);

// The first word of a script line: a plain run of non-blank characters. A
// line whose first word starts a command (StartsCommand) begins a command;
// the lines after it, up to the next such line, continue it.
std::string ScriptLineFirstWord(const std::string& line);

// Executes the commands of a script file; 1 when every command succeeded.
// Failures print the command's own message and a "load error" line.
int LoadScript(Kernel& kernel, const Sstring& file);
