// The parameter, data and key commands: put/del parameter, put data, del key
// and del data on the target their arguments named, with the diagnostics for
// what the target's own operations accept or refuse without a word.
#pragma once

struct CommandContext;

// put parameter: stores one parameter record. Warns when the record adds a
// parameter the target did not have (naming the nearest one it has); when
// the record cannot be read, prints the legacy message and says why.
int PutParameter(CommandContext& c);
// del parameter: 1 as always; warns when there was no such parameter.
int DelParameter(CommandContext& c);
// put data: one data record; a type word that names no element type fails.
int PutData(CommandContext& c);
// del key / del data: the table's result; a refusal says what is missing.
int DelKey(CommandContext& c);
int DelData(CommandContext& c);
