// CommandTable: every console command as one row - its one to three command
// words, the arguments it reads, the prefix of its messages and its action.
// The dispatcher reads the command words from these rows, the argument reader
// (CommandReader) reads and checks the arguments from them, and `load` asks
// them which words start a command. A new command is one row and its action.
#pragma once
#include <string>

#include "core/Sstring.h"

struct CommandContext;

enum class ArgKind {
  End,          // marks the end of the argument list (a value-initialised rule)
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
  ParamText,    // the rest: one parameter record, read by the action
  DataText,     // the rest: one data record, read by the action
};

struct ArgRule {
  ArgKind kind;
  const char* name;     // as messages and listings name it
  const char* message;  // the missing-parameter message when it departs from the rule
};

// How the dispatcher answers an empty third command word (e.g. `show vcc ""`).
enum class EmptyThird {
  Incomplete,      // "exec error: incomplete instruction "
  EchoIt,          // unknow option, echoing the empty word as ""
  EchoSecondWord,  // unknow option, echoing the second word
};

// Runs a command once its arguments are read and checked; prints its own
// messages and returns 1 on success, 0 on failure.
using CommandAction = int (*)(CommandContext& c);

constexpr int kMaxArgs = 7;

struct Command {
  const char* words[3];   // one to three command words; unused ones are nullptr
  const char* prefix;     // printed before "error: ", quirks included ("create vcc  ")
  ArgRule args[kMaxArgs]; // in reading order; the first End rule ends the list
  CommandAction action;
  EmptyThird emptyThird = EmptyThird::Incomplete;  // read for three-word rows only
};

// The rows in grammar order. No row's words are a prefix of another row's.
struct CommandList {
  const Command* first;
  const Command* last;
  const Command* begin() const { return first; }
  const Command* end() const { return last; }
};
CommandList AllCommands();

// The first row whose first `depth` words equal words[0..depth-1]; nullptr
// if none does.
const Command* FindCommand(const Sstring words[], int depth);

// True when `word` is the first word of some command.
bool StartsCommand(const std::string& word);

// The command words and argument names of a row, blank-separated, e.g.
// "remove vcc network_name NCI" (for listings of the commands).
std::string CommandUsage(const Command& command);
