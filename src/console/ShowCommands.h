// Listings of what a network holds, on the screen or, in file mode, as the
// commands that rebuild it (what save writes).
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "core/Sstring.h"

class Block;
class Network;

enum class ShowMode { Screen, File };

// One block's line (file mode: its "create block" command).
void ShowBlock(std::ostream& out, const Network& net, const Block& b, ShowMode mode);
void ShowBlocks(std::ostream& out, const Network& net, ShowMode mode);
void ShowConnections(std::ostream& out, const Network& net, ShowMode mode);
// VCC lists take the VCC identifiers in the order to write them.
void ShowVccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
              ShowMode mode);
void ShowVccsBlocks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                    ShowMode mode, bool trailingBlank = false);
void ShowVccsLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                   ShowMode mode, const Sstring* from = nullptr, const Sstring* to = nullptr);
void ShowDcs(std::ostream& out, const Network& net, const std::vector<Sstring>& dcs,
             ShowMode mode);
// The parameters of every block, of every layer of every block, or of every
// queueing system of every block.
void ShowBlockParameters(std::ostream& out, const Network& net, ShowMode mode);
void ShowLayerParameters(std::ostream& out, const Network& net, ShowMode mode);
void ShowQSParameters(std::ostream& out, const Network& net, ShowMode mode);
// One block's layer and queueing-system parameters (file mode).
void ShowBlockLayersAndQSs(std::ostream& out, const Network& net, const Sstring& block,
                           ShowMode mode);
void ShowNetworkParameters(std::ostream& out, const Network& net, ShowMode mode);
void ShowOneBlockParameters(std::ostream& out, const Network& net, const Sstring& block,
                            ShowMode mode);
