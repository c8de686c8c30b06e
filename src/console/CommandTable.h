// CommandTable: the console's command grammar as data. One row per command
// word path names the handler; the dispatcher reads the allowed second and
// third words from these rows, and command units plug their handlers in by
// handler name with RegisterHandler.
#pragma once
#include <cstddef>
#include <iosfwd>

#include "core/Sstring.h"

class Kernel;

// A command handler: reads its own arguments from the stream (positioned just
// after the command words), prints its own messages and returns 1 on success,
// 0 on failure.
using Handler = int (*)(Kernel& kernel, std::istream& in);

// How the dispatcher answers an empty third command word (e.g. `show vcc ""`).
enum class EmptyThird {
  Incomplete,      // "exec error: incomplete instruction "
  EchoIt,          // unknow option, echoing the empty word as ""
  EchoSecondWord,  // unknow option, echoing the second word
};

struct CommandRow {
  const char* words[3];   // one to three command words; unused ones are nullptr
  const char* handlerName;  // e.g. "CmdCreateBlock"
  EmptyThird emptyThird;  // used for three-word rows only
  Handler handler;        // nullptr until the command's unit registers it
};

// The rows in grammar order. No row's words are a prefix of another row's.
struct CommandRows {
  const CommandRow* first;
  std::size_t count;
  const CommandRow* begin() const { return first; }
  const CommandRow* end() const { return first + count; }
};
CommandRows AllCommands();

// The row whose first `depth` words equal words[0..depth-1] (the first such
// row when several share that prefix); nullptr if none does.
const CommandRow* FindCommand(const Sstring words[], int depth);
// The row of a handler name; nullptr if no row has it.
const CommandRow* FindHandlerRow(const char* handlerName);

// Installs (or, with nullptr, removes) the handler of a row. Returns false,
// changing nothing, when no row has that handler name.
bool RegisterHandler(const char* handlerName, Handler handler);

// Registers the handlers of every command unit that exists. Idempotent; main
// calls it before the console loop, tests that need real handlers call it.
void InstallCommandHandlers();
