// The actions of the console commands, one unit per command family. Each runs
// after RunCommand has read and checked the command's arguments.
#pragma once
#include "console/CommandReader.h"

// Topology (TopologyCommands.cpp).
int CmdCreateNetwork(CommandContext& c);
int CmdRemoveNetwork(CommandContext& c);
int CmdCreateBlock(CommandContext& c);
int CmdRemoveBlock(CommandContext& c);
int CmdConnectBlock(CommandContext& c);
int CmdDisconnectBlock(CommandContext& c);
int CmdCreateVcc(CommandContext& c);
int CmdConnectVccBlock(CommandContext& c);
int CmdDisconnectVccBlock(CommandContext& c);
int CmdRemoveVcc(CommandContext& c);
int CmdCreateLink(CommandContext& c);
int CmdRemoveLink(CommandContext& c);
int CmdCreateDc(CommandContext& c);
int CmdRemoveDc(CommandContext& c);

// Parameters, data and keys (ParameterCommands.cpp).
int CmdPutParameter(CommandContext& c);
int CmdDelParameter(CommandContext& c);
int CmdPutData(CommandContext& c);
int CmdDelKey(CommandContext& c);
int CmdDelData(CommandContext& c);

// Show (ShowCommands.cpp).
int CmdShowNetwork(CommandContext& c);
int CmdShowBlock(CommandContext& c);
int CmdShowConnections(CommandContext& c);
int CmdShowVccs(CommandContext& c);
int CmdShowVcc(CommandContext& c);
int CmdShowVccsBlocks(CommandContext& c);
int CmdShowVccBlocks(CommandContext& c);
int CmdShowVccsLinks(CommandContext& c);
int CmdShowVccLinks(CommandContext& c);
int CmdShowVccLink(CommandContext& c);
int CmdShowDcs(CommandContext& c);
int CmdShowDc(CommandContext& c);
int CmdShowTable(CommandContext& c);
int CmdShowParameters(CommandContext& c);
int CmdShowParametersBlocks(CommandContext& c);
int CmdShowParametersLayers(CommandContext& c);
int CmdShowParametersQSs(CommandContext& c);

// Run, file, load and save (RunFileLoad.cpp, SaveCommand.cpp).
int CmdRun(CommandContext& c);
int CmdFile(CommandContext& c);
int CmdLoad(CommandContext& c);
int CmdSave(CommandContext& c);
