// The file and load commands. Script loading is shared by `load` and the
// program's arguments.
#pragma once
#include "core/Sstring.h"

class Kernel;
struct CommandContext;

// file: checks that the file can be created and makes it the destination of
// the network's save; 0 after a message when it cannot be created.
int SetDestinationFile(CommandContext& c);

// Executes the commands of a script file; 1 when every command succeeded.
// Failures print the command's own message and a "load error" line.
int LoadScript(Kernel& kernel, const Sstring& file);
