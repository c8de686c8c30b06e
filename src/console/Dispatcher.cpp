// Command word reading and dispatch over the command table.
#include "console/Dispatcher.h"

#include <istream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "console/CommandReader.h"
#include "console/CommandTable.h"
#include "console/Help.h"
#include "core/Sstring.h"
#include "platform/Console.h"

namespace {

const char kIncomplete[] = "exec error: incomplete instruction ";
const char kUnknownOption[] = "exec error: unknow option ";
const char kUnknownInstruction[] = "exec error: unknow instruction ";

const Command* Reject(const char* message) {
  platform::Out() << message << '\n';
  return nullptr;
}

const Command* Reject(const char* message, const Sstring& word) {
  platform::Out() << message << word << '\n';
  return nullptr;
}

}  // namespace

int ExecuteLine(Kernel& kernel, const char* line) {
  // Making a string stream costs more than many commands take to run, and a
  // script runs one per line: each nesting depth (load runs lines within a
  // line) keeps one and resets it.
  static std::vector<std::unique_ptr<std::istringstream>> streams;
  static size_t depth = 0;
  if (streams.size() <= depth) streams.push_back(std::make_unique<std::istringstream>());
  std::istringstream& in = *streams[depth];
  in.str(line ? line : "");
  in.clear();
  in.flags(std::ios_base::dec | std::ios_base::skipws);
  in.width(0);
  struct Nest {
    Nest() { ++depth; }
    ~Nest() { --depth; }
  } nest;
  return Dispatch(kernel, in);
}

int Dispatch(Kernel& kernel, std::istream& in) {
  int answer = 1;
  const Command* command = ReadCommandWords(in, answer);
  return command ? RunCommand(*command, kernel, in) : answer;
}

const Command* ReadCommandWords(std::istream& in, int& answer) {
  answer = 0;
  // The command word is a plain run of non-blank characters (quotes are not
  // special in it). Words starting with "#" are skipped, so "#note" is a
  // comment while "# note" makes "note" the command word. A command word of
  // any length is read whole; one longer than 99 characters cannot be a
  // command and gets the usual unknow instruction answer.
  std::string command;
  do {
    if (!in.good()) {  // input has ended: nothing (more) to execute
      answer = 1;
      return nullptr;
    }
    command.clear();
    in >> command;
  } while (command.empty() || command[0] == '#');
  in.get();  // the character separating the command word from the next word

  Sstring words[3] = {Sstring(command)};
  const Command* row = FindCommand(words, 1);
  if (!row) {
    if (words[0] == "help") return &HelpCommand();
    return Reject(kUnknownInstruction, words[0]);
  }

  // Read further words while the rows of this prefix need one; the rows say
  // which words are allowed and how an empty third word is answered.
  for (int depth = 1; depth < 3 && row->words[depth]; ++depth) {
    if (in.eof()) return Reject(kIncomplete);
    in >> words[depth];
    if (words[depth].empty()) {
      if (depth == 1 || row->emptyThird == EmptyThird::Incomplete) return Reject(kIncomplete);
      if (row->emptyThird == EmptyThird::EchoSecondWord) return Reject(kUnknownOption, words[1]);
    }
    row = FindCommand(words, depth + 1);
    if (!row) return Reject(kUnknownOption, words[depth]);
  }
  return row;
}
