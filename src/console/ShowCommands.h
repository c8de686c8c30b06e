// Listings of what a network holds, on the screen or, in file mode, as the
// commands that rebuild it (what save writes).
#pragma once
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/Sstring.h"

class Block;
class Network;
class Param;

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

// The commands that rebuild one item, as file mode writes them: the command
// line and the empty line after it (a parameter's text ends with its own).
std::string CreateBlockCommand(const Network& net, const Block& b);
// interfaceText: the interface word as written (quoted for a text).
std::string ConnectBlockCommand(const Network& net, const Sstring& name1, const Sstring& name2,
                                const std::string& interfaceText);
std::string CreateVccCommand(const Network& net, const Sstring& nci);
std::string ConnectVccBlockCommand(const Network& net, const Sstring& nci, const Sstring& added,
                                   const Sstring& key);
// Link `link` (from 1) of the VCC.
std::string CreateLinkCommand(const Network& net, const Sstring& nci, int link);
std::string CreateDcCommand(const Network& net, const Sstring& dci);
// "put parameter " what, the names quoted, and parameter `name` of p.
std::string PutParameterCommand(const char* what, std::initializer_list<Sstring> names,
                                const Param& p, const Sstring& name);
