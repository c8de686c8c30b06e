// ConsoleLoop: the interactive front end: banner, prompt, one command a line.
#pragma once

class Kernel;

// Prints the banner, then prompts with ">" and executes each line read from
// the console until a line is exactly "quit" or "exit", or input ends.
// Returns 1.
int ConsoleLoop(Kernel& kernel);
