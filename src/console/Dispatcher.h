// Dispatcher: reads the one to three command words of a line, answers the
// line itself when they are not a command, and otherwise runs the command's
// row of the command table.
#pragma once
#include <iosfwd>

class Kernel;
struct Command;

// Executes one command held in a NUL-terminated line (console or script).
// Returns the command result: 1 success, 0 failure.
int ExecuteLine(Kernel& kernel, const char* line);

// Reads the command words from the stream and runs that command with the
// stream positioned after them. Returns 1 for a line holding no command, 0
// when the words are rejected (one "exec error" line is printed), else the
// command's result. Whatever the command leaves unread is ignored.
int Dispatch(Kernel& kernel, std::istream& in);

// Reads the command words, allowing at each depth the words the command rows
// hold. Returns the row, positioned after its words; or nullptr with answer
// set to 1 for a line holding no command, 0 after an "exec error" line.
const Command* ReadCommandWords(std::istream& in, int& answer);
