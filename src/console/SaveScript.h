// SaveScript: the script that save writes for a network, and that load turns
// back into the same network in a program that does not hold it yet.
#pragma once
#include <string>

class Network;

// The whole script. It is built command by command against a copy of the
// network that the script itself rebuilds in a kernel of its own, so every
// command written is one that succeeds when loaded; it ends with the
// commands that give the copy whatever setting and table entry of the
// network the earlier commands could not make (or made differently).
std::string SaveScript(const Network& net);
