// CommandRule: what a command reads and how it words its errors, as data.
// One routine (RunCommand) walks a command's argument list, prints the
// missing-parameter and not-exist messages built from the row, resolves the
// network, block, layer or queueing system named, and then calls the
// command's action with everything it read.
#pragma once
#include <iosfwd>

#include "core/Sstring.h"

class Kernel;
class Network;
class Block;
class Layer;
class Component;

enum class ArgKind {
  End,          // marks the end of the argument list
  Network,      // a network that must exist (looked up at once)
  NewNetwork,   // a network name that must not exist yet
  LateNetwork,  // a network looked up after the last argument (run)
  Block,        // a block of the network
  Layer,        // a layer of the block
  LateLayer,    // a layer looked up after the last argument (del data layer)
  QS,           // a queueing system of the block
  Word,         // one word, empty not allowed
  AnyWord,      // one word, an empty one is passed on
  Number,       // a decimal floating-point number
  Label,        // a VPI or VCI: an integer from 0 to 65535
  ParamText,    // the rest: one parameter record
  DataText,     // the rest: one data record
};

struct ArgRule {
  ArgKind kind;
  const char* name;     // as the messages name it; null for the text kinds
  const char* message;  // the missing-parameter message when it departs from the rule
};

struct CommandContext;
using CommandAction = int (*)(CommandContext& c);

constexpr int kMaxArgs = 7;

struct CommandRule {
  const char* handlerName;  // the dispatcher's row, e.g. "CmdCreateBlock"
  const char* prefix;       // the message prefix before "error: ", e.g. "create vcc  "
  ArgRule args[kMaxArgs];
  CommandAction action;
};

// Everything a command read, for its action.
struct CommandContext {
  CommandContext(Kernel& k, std::istream& i, std::ostream& o, const CommandRule& r)
      : kernel(k), in(i), out(o), rule(r) {}
  Kernel& kernel;
  std::istream& in;
  std::ostream& out;
  const CommandRule& rule;
  Network* network = nullptr;
  Block* block = nullptr;
  Layer* layer = nullptr;
  Component* qs = nullptr;
  Sstring words[kMaxArgs];  // by argument position
  double numbers[kMaxArgs] = {};
  bool fileMode = false;    // show commands: write rebuilding commands

  // Prints prefix + "error: " + text as one line; returns 0.
  int Fail(const char* text) const;
  // The missing-parameter message of argument i.
  int Missing(int i) const;
  // Position of the last argument of the command.
  int LastArg() const {
    int i = 0;
    while (i + 1 < kMaxArgs && rule.args[i + 1].kind != ArgKind::End) ++i;
    return i;
  }
};

// Reads the arguments of the rule from in, checking and resolving them in order,
// and calls its action. Returns the action's result, or 0 after a message.
int RunCommand(const CommandRule& rule, Kernel& kernel, std::istream& in);

// Installs the handlers of every command that has a rule in CommandArguments.cpp.
void RegisterArgumentCommands();
