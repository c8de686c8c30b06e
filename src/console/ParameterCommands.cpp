// Parameter, data and key commands on networks, blocks, layers and queues.
#include "console/CommandActions.h"
#include "model/Network.h"

namespace {
// The parameter set the command names: the most specific target resolved.
Param& TargetParam(CommandContext& c) {
  if (c.qs) return *c.qs;
  if (c.layer) return *c.layer;
  if (c.block) return *c.block;
  return *c.network;
}
DataTable& TargetTable(CommandContext& c) {
  if (c.layer) return *c.layer;
  if (c.block) return *c.block;
  return *c.network;
}
// Position of the argument after the target names.
int TextPosition(const CommandContext& c) {
  int i = 0;
  while (c.rule.args[i].kind != ArgKind::ParamText) ++i;
  return i;
}
}  // namespace

// A parameter text that is absent or cannot be read stores nothing.
int CmdPutParameter(CommandContext& c) {
  if (c.in.eof()) return c.Missing(TextPosition(c));
  if (!TargetParam(c).LoadParamIs(c.in)) return c.Missing(TextPosition(c));
  return 1;
}

int CmdDelParameter(CommandContext& c) {
  int last = c.LastArg();
  TargetParam(c).DelParam(c.words[last]);
  return 1;
}

int CmdPutData(CommandContext& c) { return TargetTable(c).LoadData(c.in, c.out); }

int CmdDelKey(CommandContext& c) {
  int last = c.LastArg();
  return TargetTable(c).DelKey(c.words[last]);
}

int CmdDelData(CommandContext& c) {
  int last = c.LastArg();
  return TargetTable(c).DelData(c.words[last - 1], c.words[last]);
}
