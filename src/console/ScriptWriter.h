// ScriptWriter: a network written as the script of commands that rebuilds it
// (what save writes and load reads back).
#pragma once
#include <iosfwd>

class Network;

// Writes the network's commands in the order loading needs them: the
// network and its parameters, each block with its parameters, the block
// connections, each block's layer and queueing-system parameters, the VCCs,
// their paths and links, and the DCs. Numbers are written exactly, each
// command followed by an empty line.
void WriteNetworkScript(std::ostream& out, const Network& net);
