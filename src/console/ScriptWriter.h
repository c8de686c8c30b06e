// ScriptWriter: a network written as the script of commands that rebuilds it
// (what save writes and load reads back).
#pragma once
#include <iosfwd>

class Network;

// Writes the network's commands in the order loading needs them: the
// network and its parameters, each block (oldest first) with its parameters,
// the block connections, each block's layer and queueing-system parameters,
// the VCCs, their paths and links, the DCs, and last the settings and table
// entries those commands could not make (or made differently). Numbers are
// written exactly, each command followed by an empty line. The script is
// built command by command against a copy of the network that it rebuilds in
// a kernel of its own, so every command written succeeds when loaded, and
// loading it in a program that does not hold the network yet gives the same
// network.
void WriteNetworkScript(std::ostream& out, const Network& net);
