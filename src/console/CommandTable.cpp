// The command grammar rows and the handler registry over them.
#include "console/CommandTable.h"

#include <cstring>

namespace {

using E = EmptyThird;

// Constant-initialised, so registration never races static construction.
CommandRow gRows[] = {
    {{"create", "network"}, "CmdCreateNetwork", E::Incomplete, nullptr},
    {{"create", "block"}, "CmdCreateBlock", E::Incomplete, nullptr},
    {{"create", "vcc"}, "CmdCreateVcc", E::Incomplete, nullptr},
    {{"create", "link"}, "CmdCreateLink", E::Incomplete, nullptr},
    {{"create", "dc"}, "CmdCreateDc", E::Incomplete, nullptr},
    {{"remove", "network"}, "CmdRemoveNetwork", E::Incomplete, nullptr},
    {{"remove", "block"}, "CmdRemoveBlock", E::Incomplete, nullptr},
    {{"remove", "vcc"}, "CmdRemoveVcc", E::Incomplete, nullptr},
    {{"remove", "link"}, "CmdRemoveLink", E::Incomplete, nullptr},
    {{"remove", "dc"}, "CmdRemoveDc", E::Incomplete, nullptr},
    {{"connect", "block"}, "CmdConnectBlock", E::Incomplete, nullptr},
    {{"connect", "vcc", "block"}, "CmdConnectVccBlock", E::EchoSecondWord, nullptr},
    {{"disconnect", "block"}, "CmdDisconnectBlock", E::Incomplete, nullptr},
    {{"disconnect", "vcc", "block"}, "CmdDisconnectVccBlock", E::EchoSecondWord, nullptr},
    {{"show", "network"}, "CmdShowNetwork", E::Incomplete, nullptr},
    {{"show", "block"}, "CmdShowBlock", E::Incomplete, nullptr},
    {{"show", "connections"}, "CmdShowConnections", E::Incomplete, nullptr},
    {{"show", "vcc", "network"}, "CmdShowVcc", E::EchoIt, nullptr},
    {{"show", "vcc", "blocks"}, "CmdShowVccBlocks", E::EchoIt, nullptr},
    {{"show", "vcc", "link"}, "CmdShowVccLink", E::EchoIt, nullptr},
    {{"show", "vcc", "links"}, "CmdShowVccLinks", E::EchoIt, nullptr},
    {{"show", "vccs", "network"}, "CmdShowVccs", E::EchoIt, nullptr},
    {{"show", "vccs", "blocks"}, "CmdShowVccsBlocks", E::EchoIt, nullptr},
    {{"show", "vccs", "links"}, "CmdShowVccsLinks", E::EchoIt, nullptr},
    {{"show", "dcs"}, "CmdShowDcs", E::Incomplete, nullptr},
    {{"show", "dc"}, "CmdShowDc", E::Incomplete, nullptr},
    {{"show", "table", "network"}, "CmdShowTableNetwork", E::Incomplete, nullptr},
    {{"show", "table", "block"}, "CmdShowTableBlock", E::Incomplete, nullptr},
    {{"show", "table", "layer"}, "CmdShowTableLayer", E::Incomplete, nullptr},
    {{"show", "parameters", "network"}, "CmdShowParameterNetwork", E::Incomplete, nullptr},
    {{"show", "parameters", "block"}, "CmdShowParameterBlock", E::Incomplete, nullptr},
    {{"show", "parameters", "layer"}, "CmdShowParameterLayer", E::Incomplete, nullptr},
    {{"show", "parameters", "QS"}, "CmdShowParameterQS", E::Incomplete, nullptr},
    {{"show", "parameters", "blocks"}, "CmdShowParametersBlocks", E::Incomplete, nullptr},
    {{"show", "parameters", "layers"}, "CmdShowParametersLayers", E::Incomplete, nullptr},
    {{"show", "parameters", "QSs"}, "CmdShowParametersQSs", E::Incomplete, nullptr},
    {{"put", "parameter", "network"}, "CmdPutParameterNetwork", E::Incomplete, nullptr},
    {{"put", "parameter", "block"}, "CmdPutParameterBlock", E::Incomplete, nullptr},
    {{"put", "parameter", "layer"}, "CmdPutParameterLayer", E::Incomplete, nullptr},
    {{"put", "parameter", "QS"}, "CmdPutParameterQS", E::Incomplete, nullptr},
    {{"put", "data", "network"}, "CmdPutDataNetwork", E::Incomplete, nullptr},
    {{"put", "data", "block"}, "CmdPutDataBlock", E::Incomplete, nullptr},
    {{"put", "data", "layer"}, "CmdPutDataLayer", E::Incomplete, nullptr},
    {{"del", "parameter", "network"}, "CmdDelParameterNetwork", E::Incomplete, nullptr},
    {{"del", "parameter", "block"}, "CmdDelParameterBlock", E::Incomplete, nullptr},
    {{"del", "parameter", "layer"}, "CmdDelParameterLayer", E::Incomplete, nullptr},
    {{"del", "parameter", "QS"}, "CmdDelParameterQS", E::Incomplete, nullptr},
    {{"del", "key", "network"}, "CmdDelKeyNetwork", E::Incomplete, nullptr},
    {{"del", "key", "block"}, "CmdDelKeyBlock", E::Incomplete, nullptr},
    {{"del", "key", "layer"}, "CmdDelKeyLayer", E::Incomplete, nullptr},
    {{"del", "data", "network"}, "CmdDelDataNetwork", E::Incomplete, nullptr},
    {{"del", "data", "block"}, "CmdDelDataBlock", E::Incomplete, nullptr},
    {{"del", "data", "layer"}, "CmdDelDataLayer", E::Incomplete, nullptr},
    {{"run"}, "CmdRun", E::Incomplete, nullptr},
    {{"file"}, "CmdFile", E::Incomplete, nullptr},
    {{"save"}, "CmdSave", E::Incomplete, nullptr},
    {{"load"}, "CmdLoad", E::Incomplete, nullptr},
};

CommandRow* MutableHandlerRow(const char* handlerName) {
  for (CommandRow& row : gRows)
    if (std::strcmp(row.handlerName, handlerName) == 0) return &row;
  return nullptr;
}

}  // namespace

CommandRows AllCommands() { return {gRows, sizeof gRows / sizeof gRows[0]}; }

const CommandRow* FindCommand(const Sstring words[], int depth) {
  for (const CommandRow& row : gRows) {
    int i = 0;
    while (i < depth && row.words[i] && words[i] == row.words[i]) ++i;
    if (i == depth) return &row;
  }
  return nullptr;
}

const CommandRow* FindHandlerRow(const char* handlerName) { return MutableHandlerRow(handlerName); }

bool RegisterHandler(const char* handlerName, Handler handler) {
  CommandRow* row = MutableHandlerRow(handlerName);
  if (!row) return false;
  row->handler = handler;
  return true;
}
