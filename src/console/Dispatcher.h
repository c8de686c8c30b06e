// Dispatcher: reads the one to three command words of a line, answers the
// line itself when they are not a command, and otherwise calls its handler.
#pragma once
#include <iosfwd>

class Kernel;

// Executes one command held in a NUL-terminated line (console or script).
// Returns the command result: 1 success, 0 failure.
int ExecuteLine(Kernel& kernel, const char* line);

// Reads the command words from the stream and calls the handler of that word
// path with the stream positioned after them. Returns 1 for a line holding no
// command, 0 when the words are rejected (one "exec error" line is printed),
// else the handler's result. Whatever the handler leaves unread is ignored.
int Dispatch(Kernel& kernel, std::istream& in);
