// ScriptGenerator: console scripts made from the command grammar, for
// property tests. A script builds networks the way a user would (blocks,
// connections, VCCs with their blocks and links, DCs, parameters, runs with
// tiny end times) and mixes in random edits and hostile input: any row of the
// command table with words from the model, extreme numbers, junk words,
// unterminated quotes, long lines, NUL and non-UTF-8 bytes, unreadable files,
// deep loads. The same seed gives the same script.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace property {

// A file the script needs in its working folder before it starts: a packet
// file for a file-driven source, or a script for `load`.
struct AuxFile {
  std::string name;  // relative to the working folder
  std::string content;
  bool script = false;  // read by `load`
};

struct Script {
  uint64_t seed = 0;
  // Commands in order, each executed as one console line (a command may hold
  // line breaks: a parameter text continued over lines, as in a script file).
  std::vector<std::string> commands;
  std::vector<AuxFile> files;
  // Names of every network the script tries to create, in order.
  std::vector<std::string> networks;
  // End time of the runs that compare a network with its reloaded copy.
  double checkTime = 1e-4;

  // Command lines: the lines of the commands and of the loaded scripts.
  size_t CommandLines() const;
  // The script as text: its files, then one command per entry.
  std::string Text() const;
};

Script Generate(uint64_t seed);

}  // namespace property
