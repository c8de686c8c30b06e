// Console: the program's one path to standard input and standard output.
// Tests redirect both to string streams to see exactly what a command prints.
#pragma once
#include <iosfwd>
#include <sstream>
#include <string>

namespace platform {

// Stream every console message is written to (standard output by default).
std::ostream& Out();
// Stream console lines are read from (standard input by default).
std::istream& In();
// Standard error (by default): diagnostics that are not part of the
// console's output.
std::ostream& Err();
// Redirect Out() / In() / Err(); nullptr restores the standard stream.
void SetOut(std::ostream* out);
void SetIn(std::istream* in);
void SetErr(std::ostream* err);

// Reads one line of any length up to the line break, which is consumed and
// not stored. Returns false when input has ended before any character.
bool ReadLine(std::istream& in, std::string& line);

// True when Out() is the real standard output and that is a terminal.
bool OutputIsTerminal();
// Clears the screen, only when OutputIsTerminal(); otherwise writes nothing,
// so redirected output stays free of control sequences.
void ClearScreen();

// Points Out() at a buffer for the lifetime of the object (tests).
class CapturedOutput {
 public:
  CapturedOutput();
  ~CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;
  // Everything written since construction or the last Take(); clears it.
  std::string Take();

 private:
  std::ostream* previous_;
  std::ostringstream text_;
};

}  // namespace platform
