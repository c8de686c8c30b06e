// The console's commands, one row each, in grammar order. An argument missing
// from the input is reported as prefix + "error: missing parameter(s) '" +
// the names of it and of every word or number argument after it + "'"; an
// argument's `message` holds the few texts that depart from that rule.
// Actions of a line or two are written in their row; longer ones live in the
// unit of their command family (ShowCommands, RunFileLoad, SaveCommand).
#include "console/CommandTable.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "atm/AtmModels.h"
#include "console/CommandReader.h"
#include "console/ParameterCommands.h"
#include "console/RunFileLoad.h"
#include "console/SaveCommand.h"
#include "console/ShowCommands.h"
#include "core/NameHint.h"
#include "model/DataKeys.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "model/VccRecord.h"

namespace {

using E = EmptyThird;
using C = CommandContext;

constexpr ArgRule kNet{ArgKind::Network, "network_name", nullptr};
constexpr ArgRule kBlock{ArgKind::Block, "block_name", nullptr};
constexpr ArgRule kLayer{ArgKind::Layer, "layer_name", nullptr};
constexpr ArgRule kQS{ArgKind::QS, "QS_name", nullptr};
constexpr ArgRule W(const char* name, const char* message = nullptr) {
  return ArgRule{ArgKind::Word, name, message};
}
constexpr ArgRule kParamText{
    ArgKind::ParamText, "parameter_record",
    "missing parameters ... 'parameter_name type lines columns values description option'  "};
constexpr ArgRule kDataText{ArgKind::DataText, "data_record", nullptr};

int ShowTargetTable(C& c) {
  c.TargetTable().ShowTable(c.out);
  return 1;
}
int ShowTargetParameters(C& c) {
  c.TargetParam().GetParam(c.out);
  return 1;
}

// create vcc: what the network stores without a question - a category no
// layer or source knows, a bandwidth no DC can fit, a first block that is
// not equipment of the network - is warned about, then stored as before.
int CreateVcc(C& c) {
  const Sstring& category = c.words[2];
  const std::vector<std::string>& known = ServiceCategories();
  if (std::find(known.begin(), known.end(), category.str()) == known.end())
    c.Warn("unknown service category " + Quoted(category) +
           NameHint(category.str(), known, "categories"));
  const double bandwidth = c.numbers[3];
  if (!(bandwidth > 0)) {
    std::ostringstream text;
    text << "bandwidth " << bandwidth << " is not positive, so no DC fits in the VCC";
    c.Warn(text.str());
  }
  const Sstring& first = c.words[4];
  const Block* b = c.network->FindBlock(first);
  if (!b)
    c.Warn("first block " + Quoted(first) + " is not a block of network " +
           Quoted(c.network->GetName()) + c.network->BlockHint(first));
  else if (!b->IsEquipment())
    c.Warn("first block " + Quoted(first) + " is an application; a VCC starts at a terminal");
  return c.network->CreateVcc(c.words[1], category, bandwidth, first);
}

// connect block: a loop from a block to itself, or a second wiring of a pair,
// is made as it always was (saved networks may hold them), but rarely meant.
int ConnectBlock(C& c) {
  const Sstring &name1 = c.words[1], &name2 = c.words[2];
  if (name1 == name2 && c.network->FindBlock(name1))
    c.Warn("connects " + Quoted(name1) + " to itself");
  else if (c.network->AreNeighbours(name1, name2))
    c.Warn(Quoted(name1) + " and " + Quoted(name2) + " are already connected; this wires them "
           "a second time");
  return c.network->ConnectBlock(name1, name2, c.words[3]);
}

// create dc: a DC named like a VCC shares that VCC's record, and its bit
// rate replaces the VCC's bandwidth there; allowed, but warned about.
int CreateDc(C& c) {
  if (c.network->Peek(c.words[1], datakey::kStatus))
    c.Warn("DC " + Quoted(c.words[1]) + " takes the name of a VCC; the two share one record, "
           "whose \"Bandwidth\" becomes the DC's bit rate");
  return c.network->CreateDc(c.words[1], c.words[2], c.words[3]);
}

// show vcc ... and show dc: an identifier the network does not hold lists
// nothing; say so.
void WarnUnknownVcc(C& c) {
  if (!c.network->Peek(c.words[1], datakey::kStatus))
    c.Warn("no VCC " + Quoted(c.words[1]) + " in network " + Quoted(c.network->GetName()) +
           c.network->VccHint(c.words[1]));
}
int ShowVcc(C& c, void (*show)(C&)) {
  WarnUnknownVcc(c);
  show(c);
  return 1;
}

// Makes a block of a registered model; the ATM models are registered before
// the first block is made.
int CreateBlock(C& c) {
  static const bool registered = (RegisterAtmModels(), true);
  (void)registered;
  return c.network->CreateBlock(c.words[1], c.words[2], c.words[3]);
}

const Command kCommands[] = {
    // Topology.
    {{"create", "network"}, "create network ",
     {{ArgKind::NewNetwork, "network_name", nullptr}},
     [](C& c) { return c.kernel.CreateNetwork(c.words[0]); }},
    {{"create", "block"}, "create block ",
     {kNet, W("block_name"), W("block_model"), W("block_type")},
     CreateBlock},
    {{"create", "vcc"}, "create vcc  ",
     {kNet, W("NCI"), W("service_categorie"), {ArgKind::Number, "bandwidth", nullptr},
      W("first_block_name")},
     CreateVcc},
    {{"create", "link"}, "create link ",
     {kNet, W("NCI"), W("name1"), W("name2"), {ArgKind::Label, "VPI", nullptr},
      {ArgKind::Label, "VCI", nullptr}},
     [](C& c) {
       return c.network->CreateLink(c.words[1], c.words[2], c.words[3],
                                    static_cast<unsigned>(c.numbers[4]),
                                    static_cast<unsigned>(c.numbers[5]));
     }},
    {{"create", "dc"}, "create DC ", {kNet, W("DCI"), W("begin_app_name"), W("end_app_name")},
     CreateDc},
    {{"remove", "network"}, "remove network ", {kNet},
     [](C& c) { return c.kernel.RemoveNetwork(c.words[0]); }},
    {{"remove", "block"}, "remove block ",
     {kNet, W("block_name", "missing parameters 'block_name'")},
     [](C& c) { return c.network->RemoveBlock(c.words[1]); }},
    {{"remove", "vcc"}, "remove vcc  ", {kNet, W("NCI")},
     [](C& c) { return c.network->RemoveVcc(c.words[1]); }},
    {{"remove", "link"}, "remove link ", {kNet, W("NCI"), W("name1"), W("name2")},
     [](C& c) { return c.network->RemoveLink(c.words[1], c.words[2], c.words[3]); }},
    {{"remove", "dc"}, "remove DC ", {kNet, W("DCI")},
     [](C& c) { return c.network->RemoveDc(c.words[1]); }},
    {{"connect", "block"}, "connect block ",
     {kNet, W("name1"), W("name2"), {ArgKind::AnyWord, "interface", nullptr}},
     ConnectBlock},
    {{"connect", "vcc", "block"}, "connect vcc  block ",
     {kNet, W("NCI"), W("new_block_name"), W("key_block_Name")},
     [](C& c) { return c.network->ConnectVccBlock(c.words[1], c.words[2], c.words[3]); },
     E::EchoSecondWord},
    {{"disconnect", "block"}, "disconnect block ", {kNet, W("block_name")},
     [](C& c) { return c.network->DisconnectBlock(c.words[1]); }},
    {{"disconnect", "vcc", "block"}, "disconnect vcc  block ",
     {kNet, W("NCI"), W("old_block_name"),
      W("key_block_Name", "missing parameters 'key_block_Name'")},
     [](C& c) { return c.network->DisconnectVccBlock(c.words[1], c.words[2], c.words[3]); },
     E::EchoSecondWord},

    // Show (ShowCommands.cpp).
    {{"show", "network"}, "show network ", {kNet},
     [](C& c) { ShowBlocks(c.out, *c.network); return 1; }},
    {{"show", "block"}, "show block ", {kNet, kBlock},
     [](C& c) { ShowBlock(c.out, *c.network, *c.block); return 1; }},
    {{"show", "connections"}, "show connections ", {kNet},
     [](C& c) { ShowConnections(c.out, *c.network); return 1; }},
    {{"show", "vcc", "network"}, "show vcc  ", {kNet, W("NCI")},
     [](C& c) { return ShowVcc(c, [](C& c) { ShowVccs(c.out, *c.network, {c.words[1]}); }); },
     E::EchoIt},
    {{"show", "vcc", "blocks"}, "show vcc  blocks ", {kNet, W("NCI")},
     [](C& c) {
       return ShowVcc(c, [](C& c) { ShowVccsBlocks(c.out, *c.network, {c.words[1]}, true); });
     },
     E::EchoIt},
    {{"show", "vcc", "link"}, "show VCC link ", {kNet, W("NCI"), W("name1"), W("name2")},
     [](C& c) {
       const VccRecord vcc(*c.network, c.words[1]);
       bool found = false;
       for (int j = 1; j <= vcc.LinkCount(); ++j) {
         const VccLink l = vcc.Link(j);
         found = found || (l.begin == c.words[2] && l.end == c.words[3]);
       }
       if (!found && c.network->Peek(c.words[1], datakey::kStatus))
         c.Warn("VCC " + Quoted(c.words[1]) + " has no link from " + Quoted(c.words[2]) + " to " +
                Quoted(c.words[3]) + " (links run in the direction they were made)");
       return ShowVcc(c, [](C& c) {
         ShowVccsLinks(c.out, *c.network, {c.words[1]}, &c.words[2], &c.words[3]);
       });
     },
     E::EchoIt},
    {{"show", "vcc", "links"}, "show VCC links ", {kNet, W("NCI")},
     [](C& c) { return ShowVcc(c, [](C& c) { ShowVccsLinks(c.out, *c.network, {c.words[1]}); }); },
     E::EchoIt},
    {{"show", "vccs", "network"}, "show vccs ", {kNet},
     [](C& c) { ShowVccs(c.out, *c.network, c.network->VccIds()); return 1; }, E::EchoIt},
    {{"show", "vccs", "blocks"}, "show vccs blocks ", {kNet},
     [](C& c) { ShowVccsBlocks(c.out, *c.network, c.network->VccIds()); return 1; }, E::EchoIt},
    {{"show", "vccs", "links"}, "show vccs links ", {kNet},
     [](C& c) { ShowVccsLinks(c.out, *c.network, c.network->VccIds()); return 1; }, E::EchoIt},
    {{"show", "dcs"}, "show DCs ", {kNet},
     [](C& c) { ShowDcs(c.out, *c.network, c.network->DcIds()); return 1; }},
    {{"show", "dc"}, "show DC ", {kNet, W("DCI")},
     [](C& c) {
       if (!c.network->Peek(c.words[1], datakey::kBeginApplication))
         c.Warn("no DC " + Quoted(c.words[1]) + " in network " + Quoted(c.network->GetName()) +
                c.network->DcHint(c.words[1]));
       ShowDcs(c.out, *c.network, {c.words[1]});
       return 1;
     }},
    {{"show", "table", "network"}, "show table network ", {kNet}, ShowTargetTable},
    {{"show", "table", "block"}, "show table block ", {kNet, kBlock}, ShowTargetTable},
    {{"show", "table", "layer"}, "show table layer ", {kNet, kBlock, kLayer}, ShowTargetTable},
    {{"show", "parameters", "network"}, "show parameter network ", {kNet}, ShowTargetParameters},
    {{"show", "parameters", "block"}, "show parameter block ", {kNet, kBlock},
     ShowTargetParameters},
    {{"show", "parameters", "layer"}, "show parameter layer ", {kNet, kBlock, kLayer},
     ShowTargetParameters},
    {{"show", "parameters", "QS"}, "show parameter QS ", {kNet, kBlock, kQS}, ShowTargetParameters},
    {{"show", "parameters", "blocks"}, "show parameters blocks ", {kNet},
     [](C& c) { ShowBlockParameters(c.out, *c.network); return 1; }},
    {{"show", "parameters", "layers"}, "show parameters layers ", {kNet},
     [](C& c) { ShowLayerParameters(c.out, *c.network); return 1; }},
    {{"show", "parameters", "QSs"}, "show parameters QSs ", {kNet},
     [](C& c) { ShowQSParameters(c.out, *c.network); return 1; }},

    // Parameters, data and keys.
    {{"put", "parameter", "network"}, "put parameter network ", {kNet, kParamText}, PutParameter},
    {{"put", "parameter", "block"}, "put parameter block ", {kNet, kBlock, kParamText},
     PutParameter},
    {{"put", "parameter", "layer"}, "put parameter layer ", {kNet, kBlock, kLayer, kParamText},
     PutParameter},
    {{"put", "parameter", "QS"}, "put parameter QS ", {kNet, kBlock, kQS, kParamText},
     PutParameter},
    {{"put", "data", "network"}, "put data network ",
     {{ArgKind::Network, "network_name", "missing parameters 'network_name'"}, kDataText},
     PutData},
    {{"put", "data", "block"}, "put data block ", {kNet, kBlock, kDataText}, PutData},
    {{"put", "data", "layer"}, "put data layer ",
     {kNet, {ArgKind::Block, "block_name", "missing parameter 'block_name layer_name'"}, kLayer,
      kDataText},
     PutData},
    {{"del", "parameter", "network"}, "del parameter network ", {kNet, W("parameter_name")},
     DelParameter},
    {{"del", "parameter", "block"}, "del parameter block ", {kNet, kBlock, W("parameter_name")},
     DelParameter},
    {{"del", "parameter", "layer"}, "del parameter layer ",
     {kNet, kBlock, kLayer, W("parameter_name")}, DelParameter},
    {{"del", "parameter", "QS"}, "del parameter QS ", {kNet, kBlock, kQS, W("parameter_name")},
     DelParameter},
    {{"del", "key", "network"}, "del key network ", {kNet, W("key")}, DelKey},
    {{"del", "key", "block"}, "del key block ", {kNet, kBlock, W("key")}, DelKey},
    {{"del", "key", "layer"}, "del key layer ", {kNet, kBlock, kLayer, W("key")}, DelKey},
    {{"del", "data", "network"}, "del data network ", {kNet, W("key"), W("data")}, DelData},
    {{"del", "data", "block"}, "del data block ", {kNet, kBlock, W("key"), W("data")}, DelData},
    {{"del", "data", "layer"}, "del data layer ",
     {kNet, kBlock, {ArgKind::LateLayer, "layer_name", nullptr},
      W("key", "missing parameter 'key data'"), W("data")},
     DelData},

    // Run, file, load and save (RunFileLoad.cpp, SaveCommand.cpp).
    {{"run"}, "run ",
     {{ArgKind::LateNetwork, "network_name", nullptr},
      {ArgKind::Number, "simulation_time", nullptr}},
     RunNetwork},
    {{"file"}, "file ", {W("network_name"), W("file_name")}, SetDestinationFile},
    {{"save"}, "save ", {kNet}, SaveNetwork},
    {{"load"}, "load ", {W("file_name")}, [](C& c) { return LoadScript(c.kernel, c.words[0]); }},
};

}  // namespace

CommandList AllCommands() { return {std::begin(kCommands), std::end(kCommands)}; }

namespace {
// The rows of one first command word lie within [first, last), in table
// order; rows of other words may sit between them. Every script line asks
// for its command word, so the table is not searched from its top.
struct RowSpan {
  const Command* first;
  const Command* last;
};
const std::unordered_map<std::string, RowSpan>& RowsByFirstWord() {
  static const std::unordered_map<std::string, RowSpan> index = [] {
    std::unordered_map<std::string, RowSpan> m;
    for (const Command& row : kCommands) {
      auto it = m.find(row.words[0]);
      if (it == m.end()) m.emplace(row.words[0], RowSpan{&row, &row + 1});
      else it->second.last = &row + 1;
    }
    return m;
  }();
  return index;
}
}  // namespace

const Command* FindCommand(const Sstring words[], int depth) {
  const Command* first = std::begin(kCommands);
  const Command* last = std::end(kCommands);
  if (depth > 0) {
    const auto& index = RowsByFirstWord();
    auto it = index.find(words[0].str());
    if (it == index.end()) return nullptr;
    first = it->second.first;
    last = it->second.last;
  }
  for (const Command* row = first; row != last; ++row) {
    int i = 0;
    while (i < depth && row->words[i] && words[i] == row->words[i]) ++i;
    if (i == depth) return row;
  }
  return nullptr;
}

bool StartsCommand(const std::string& word) { return RowsByFirstWord().count(word) != 0; }

std::string CommandUsage(const Command& command) {
  std::string s;
  for (const char* w : command.words)
    if (w) s += (s.empty() ? "" : " ") + std::string(w);
  for (const ArgRule& a : command.args)
    if (a.kind != ArgKind::End) s += ' ' + std::string(a.name);
  return s;
}
