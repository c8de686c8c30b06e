// The save command: writes a network as a script to its destination file.
#pragma once

struct CommandContext;

// Writes the network of the arguments to the file set by `file`; 0 after a
// message when none is set, the file cannot be created or not all of the
// script reached it (a full disk).
int SaveNetwork(CommandContext& c);
