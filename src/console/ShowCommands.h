// The listings of the show commands: what a network holds, one line per
// block, connection, VCC, link or DC, and the parameter listings. Every read
// here leaves the tables unchanged.
#pragma once
#include <iosfwd>
#include <optional>
#include <vector>

#include "core/ElementTypes.h"
#include "core/Sstring.h"

class Block;
class Network;

void ShowBlock(std::ostream& out, const Network& net, const Block& b);
void ShowBlocks(std::ostream& out, const Network& net);
void ShowConnections(std::ostream& out, const Network& net);
// VCC and DC listings take the identifiers in the order to list them; ids
// without a record are skipped.
void ShowVccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs);
void ShowVccsBlocks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                    bool trailingBlank = false);
// Only the links from `from` to `to` when both are given.
void ShowVccsLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                   const Sstring* from = nullptr, const Sstring* to = nullptr);
void ShowDcs(std::ostream& out, const Network& net, const std::vector<Sstring>& dcs);
// The parameters of every block, of every layer of every block, or of every
// queueing system of every block.
void ShowBlockParameters(std::ostream& out, const Network& net);
void ShowLayerParameters(std::ostream& out, const Network& net);
void ShowQSParameters(std::ostream& out, const Network& net);

// The interface word of the connection between blocks a and b, stored under
// either order of the pair; nullptr when there is none.
std::optional<Scalar> ConnectionInterface(const Network& net, const Sstring& a,
                                          const Sstring& b);
