// Every command's arguments and messages, in one table. A missing argument is
// reported as prefix + "error: missing parameter(s) '" + the names of it and
// of every named argument after it + "'"; the `message` column holds the few
// texts that depart from that rule.
#include <cstring>
#include <iterator>
#include <utility>

#include "console/CommandActions.h"
#include "console/CommandTable.h"

namespace {
constexpr ArgRule kEnd{ArgKind::End, nullptr, nullptr};
constexpr ArgRule kNet{ArgKind::Network, "network_name", nullptr};
constexpr ArgRule kBlock{ArgKind::Block, "block_name", nullptr};
constexpr ArgRule kLayer{ArgKind::Layer, "layer_name", nullptr};
constexpr ArgRule kQS{ArgKind::QS, "QS_name", nullptr};
constexpr ArgRule W(const char* name, const char* message = nullptr) {
  return ArgRule{ArgKind::Word, name, message};
}
constexpr ArgRule kParamText{
    ArgKind::ParamText, nullptr,
    "missing parameters ... 'parameter_name type lines columns values description option'  "};
constexpr ArgRule kDataText{ArgKind::DataText, nullptr, nullptr};

const CommandRule kRules[] = {
    // Topology.
    {"CmdCreateNetwork", "create network ", {{ArgKind::NewNetwork, "network_name", nullptr}, kEnd},
     CmdCreateNetwork},
    {"CmdRemoveNetwork", "remove network ", {kNet, kEnd}, CmdRemoveNetwork},
    {"CmdCreateBlock", "create block ",
     {kNet, W("block_name"), W("block_model"), W("block_type"), kEnd}, CmdCreateBlock},
    {"CmdRemoveBlock", "remove block ",
     {kNet, W("block_name", "missing parameters 'block_name'"), kEnd}, CmdRemoveBlock},
    {"CmdConnectBlock", "connect block ",
     {kNet, W("name1"), W("name2"), {ArgKind::AnyWord, "interface", nullptr}, kEnd},
     CmdConnectBlock},
    {"CmdDisconnectBlock", "disconnect block ", {kNet, W("block_name"), kEnd}, CmdDisconnectBlock},
    {"CmdCreateVcc", "create vcc  ",
     {kNet, W("NCI"), W("service_categorie"), {ArgKind::Number, "bandwidth", nullptr},
      W("first_block_name"), kEnd},
     CmdCreateVcc},
    {"CmdConnectVccBlock", "connect vcc  block ",
     {kNet, W("NCI"), W("new_block_name"), W("key_block_Name"), kEnd}, CmdConnectVccBlock},
    {"CmdDisconnectVccBlock", "disconnect vcc  block ",
     {kNet, W("NCI"), W("old_block_name"),
      W("key_block_Name", "missing parameters 'key_block_Name'"), kEnd},
     CmdDisconnectVccBlock},
    {"CmdRemoveVcc", "remove vcc  ", {kNet, W("NCI"), kEnd}, CmdRemoveVcc},
    {"CmdCreateLink", "create link ",
     {kNet, W("NCI"), W("name1"), W("name2"), {ArgKind::Label, "VPI", nullptr},
      {ArgKind::Label, "VCI", nullptr}, kEnd},
     CmdCreateLink},
    {"CmdRemoveLink", "remove link ", {kNet, W("NCI"), W("name1"), W("name2"), kEnd},
     CmdRemoveLink},
    {"CmdCreateDc", "create DC ", {kNet, W("DCI"), W("begin_app_name"), W("end_app_name"), kEnd},
     CmdCreateDc},
    {"CmdRemoveDc", "remove DC ", {kNet, W("DCI"), kEnd}, CmdRemoveDc},

    // Parameters, data and keys.
    {"CmdPutParameterNetwork", "put parameter network ", {kNet, kParamText, kEnd},
     CmdPutParameter},
    {"CmdPutParameterBlock", "put parameter block ", {kNet, kBlock, kParamText, kEnd},
     CmdPutParameter},
    {"CmdPutParameterLayer", "put parameter layer ", {kNet, kBlock, kLayer, kParamText, kEnd},
     CmdPutParameter},
    {"CmdPutParameterQS", "put parameter QS ", {kNet, kBlock, kQS, kParamText, kEnd},
     CmdPutParameter},
    {"CmdDelParameterNetwork", "del parameter network ", {kNet, W("parameter_name"), kEnd},
     CmdDelParameter},
    {"CmdDelParameterBlock", "del parameter block ", {kNet, kBlock, W("parameter_name"), kEnd},
     CmdDelParameter},
    {"CmdDelParameterLayer", "del parameter layer ",
     {kNet, kBlock, kLayer, W("parameter_name"), kEnd}, CmdDelParameter},
    {"CmdDelParameterQS", "del parameter QS ", {kNet, kBlock, kQS, W("parameter_name"), kEnd},
     CmdDelParameter},
    {"CmdPutDataNetwork", "put data network ",
     {{ArgKind::Network, "network_name", "missing parameters 'network_name'"}, kDataText, kEnd},
     CmdPutData},
    {"CmdPutDataBlock", "put data block ", {kNet, kBlock, kDataText, kEnd}, CmdPutData},
    {"CmdPutDataLayer", "put data layer ",
     {kNet, {ArgKind::Block, "block_name", "missing parameter 'block_name layer_name'"}, kLayer,
      kDataText, kEnd},
     CmdPutData},
    {"CmdDelKeyNetwork", "del key network ", {kNet, W("key"), kEnd}, CmdDelKey},
    {"CmdDelKeyBlock", "del key block ", {kNet, kBlock, W("key"), kEnd}, CmdDelKey},
    {"CmdDelKeyLayer", "del key layer ", {kNet, kBlock, kLayer, W("key"), kEnd}, CmdDelKey},
    {"CmdDelDataNetwork", "del data network ", {kNet, W("key"), W("data"), kEnd}, CmdDelData},
    {"CmdDelDataBlock", "del data block ", {kNet, kBlock, W("key"), W("data"), kEnd},
     CmdDelData},
    {"CmdDelDataLayer", "del data layer ",
     {kNet, kBlock, {ArgKind::LateLayer, "layer_name", nullptr},
      W("key", "missing parameter 'key data'"), W("data"), kEnd},
     CmdDelData},

    // Show.
    {"CmdShowNetwork", "show network ", {kNet, kEnd}, CmdShowNetwork},
    {"CmdShowBlock", "show block ", {kNet, kBlock, kEnd}, CmdShowBlock},
    {"CmdShowConnections", "show connections ", {kNet, kEnd}, CmdShowConnections},
    {"CmdShowVcc", "show vcc  ", {kNet, W("NCI"), kEnd}, CmdShowVcc},
    {"CmdShowVccBlocks", "show vcc  blocks ", {kNet, W("NCI"), kEnd}, CmdShowVccBlocks},
    {"CmdShowVccLink", "show VCC link ", {kNet, W("NCI"), W("name1"), W("name2"), kEnd},
     CmdShowVccLink},
    {"CmdShowVccLinks", "show VCC links ", {kNet, W("NCI"), kEnd}, CmdShowVccLinks},
    {"CmdShowVccs", "show vccs ", {kNet, kEnd}, CmdShowVccs},
    {"CmdShowVccsBlocks", "show vccs blocks ", {kNet, kEnd}, CmdShowVccsBlocks},
    {"CmdShowVccsLinks", "show vccs links ", {kNet, kEnd}, CmdShowVccsLinks},
    {"CmdShowDcs", "show DCs ", {kNet, kEnd}, CmdShowDcs},
    {"CmdShowDc", "show DC ", {kNet, W("DCI"), kEnd}, CmdShowDc},
    {"CmdShowTableNetwork", "show table network ", {kNet, kEnd}, CmdShowTable},
    {"CmdShowTableBlock", "show table block ", {kNet, kBlock, kEnd}, CmdShowTable},
    {"CmdShowTableLayer", "show table layer ", {kNet, kBlock, kLayer, kEnd}, CmdShowTable},
    {"CmdShowParameterNetwork", "show parameter network ", {kNet, kEnd}, CmdShowParameters},
    {"CmdShowParameterBlock", "show parameter block ", {kNet, kBlock, kEnd}, CmdShowParameters},
    {"CmdShowParameterLayer", "show parameter layer ", {kNet, kBlock, kLayer, kEnd},
     CmdShowParameters},
    {"CmdShowParameterQS", "show parameter QS ", {kNet, kBlock, kQS, kEnd}, CmdShowParameters},
    {"CmdShowParametersBlocks", "show parameters blocks ", {kNet, kEnd},
     CmdShowParametersBlocks},
    {"CmdShowParametersLayers", "show parameters layers ", {kNet, kEnd},
     CmdShowParametersLayers},
    {"CmdShowParametersQSs", "show parameters QSs ", {kNet, kEnd}, CmdShowParametersQSs},

    // Run, file, load, save.
    {"CmdRun", "run ",
     {{ArgKind::LateNetwork, "network_name", nullptr}, {ArgKind::Number, "simulation_time", nullptr},
      kEnd},
     CmdRun},
    {"CmdFile", "file ", {W("network_name"), W("file_name"), kEnd}, CmdFile},
    {"CmdLoad", "load ", {W("file_name"), kEnd}, CmdLoad},
    {"CmdSave", "save ", {kNet, kEnd}, CmdSave},
};

template <size_t I>
int Handle(Kernel& kernel, std::istream& in) {
  return RunCommand(kRules[I], kernel, in);
}

template <size_t... I>
void RegisterAll(std::index_sequence<I...>) {
  (RegisterHandler(kRules[I].handlerName, &Handle<I>), ...);
}
}  // namespace

const CommandRule* FindRule(const char* handlerName) {
  for (const CommandRule& rule : kRules)
    if (std::strcmp(rule.handlerName, handlerName) == 0) return &rule;
  return nullptr;
}

void RegisterArgumentCommands() { RegisterAll(std::make_index_sequence<std::size(kRules)>()); }
