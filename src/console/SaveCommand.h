// The save command: writes a network as a script to its destination file.
#pragma once

struct CommandContext;

// Writes the network of the arguments to the file set by `file`; 0 after a
// message when none is set or the file cannot be created.
int SaveNetwork(CommandContext& c);
