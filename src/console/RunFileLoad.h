// Script loading, shared by the load command and the program's arguments.
#pragma once
#include "core/Sstring.h"

class Kernel;

// Executes the commands of a script file; 1 when every command succeeded.
// Failures print the command's own message and a "load error" line.
int LoadScript(Kernel& kernel, const Sstring& file);
