// CommandReader: the one routine that reads a command's arguments. It walks
// the argument list of the command's row, prints the missing-parameter and
// not-exist messages built from the row, resolves the network, block, layer
// or queueing system named, and then calls the row's action.
#pragma once
#include <iosfwd>

#include "console/CommandTable.h"

class Kernel;
class Network;
class Block;
class Layer;
class Component;
class Param;
class DataTable;

// Everything a command read, for its action.
struct CommandContext {
  CommandContext(Kernel& k, std::istream& i, std::ostream& o, const Command& r)
      : kernel(k), in(i), out(o), command(r) {}
  Kernel& kernel;
  std::istream& in;   // positioned after the last argument read
  std::ostream& out;
  const Command& command;
  Network* network = nullptr;
  Block* block = nullptr;
  Layer* layer = nullptr;
  Component* qs = nullptr;
  Sstring words[kMaxArgs];  // by argument position
  double numbers[kMaxArgs] = {};

  // Prints prefix + "error: " + text as one line; returns 0.
  int Fail(const char* text) const;
  // Prints the missing-parameter message of argument i; returns 0.
  int Missing(int i) const;
  // Position of the last argument of the command.
  int LastArg() const;
  // The word of the last argument.
  const Sstring& LastWord() const { return words[LastArg()]; }
  // The most specific parameter set or data table the arguments named.
  Param& TargetParam() const;
  DataTable& TargetTable() const;
};

// Reads the arguments of the command from in, checking and resolving them in
// order, and calls its action. Returns the action's result, or 0 after a
// message.
int RunCommand(const Command& command, Kernel& kernel, std::istream& in);
