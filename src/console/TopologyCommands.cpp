// Topology commands: networks, blocks, wiring, VCCs, links and DCs.
#include "console/CommandActions.h"
#include "model/Kernel.h"
#include "model/Network.h"

// Argument positions follow the command's row in CommandArguments.cpp.
int CmdCreateNetwork(CommandContext& c) { return c.kernel.CreateNetwork(c.words[0]); }
int CmdRemoveNetwork(CommandContext& c) { return c.kernel.RemoveNetwork(c.words[0]); }
int CmdCreateBlock(CommandContext& c) {
  return c.network->CreateBlock(c.words[1], c.words[2], c.words[3]);
}
int CmdRemoveBlock(CommandContext& c) { return c.network->RemoveBlock(c.words[1]); }
int CmdConnectBlock(CommandContext& c) {
  return c.network->ConnectBlock(c.words[1], c.words[2], c.words[3]);
}
int CmdDisconnectBlock(CommandContext& c) { return c.network->DisconnectBlock(c.words[1]); }
int CmdCreateVcc(CommandContext& c) {
  return c.network->CreateVcc(c.words[1], c.words[2], c.numbers[3], c.words[4]);
}
int CmdConnectVccBlock(CommandContext& c) {
  return c.network->ConnectVccBlock(c.words[1], c.words[2], c.words[3]);
}
int CmdDisconnectVccBlock(CommandContext& c) {
  return c.network->DisconnectVccBlock(c.words[1], c.words[2], c.words[3]);
}
int CmdRemoveVcc(CommandContext& c) { return c.network->RemoveVcc(c.words[1]); }
int CmdCreateLink(CommandContext& c) {
  return c.network->CreateLink(c.words[1], c.words[2], c.words[3],
                               static_cast<unsigned>(c.numbers[4]),
                               static_cast<unsigned>(c.numbers[5]));
}
int CmdRemoveLink(CommandContext& c) {
  return c.network->RemoveLink(c.words[1], c.words[2], c.words[3]);
}
int CmdCreateDc(CommandContext& c) {
  return c.network->CreateDc(c.words[1], c.words[2], c.words[3]);
}
int CmdRemoveDc(CommandContext& c) { return c.network->RemoveDc(c.words[1]); }
