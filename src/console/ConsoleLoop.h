// ConsoleLoop: the interactive front end: banner, prompt, one command a line.
#pragma once

class Kernel;

// Prints the banner, then prompts with ">" and executes each line read from
// the console until a line is exactly "quit" or "exit", or input ends.
// At a terminal the line is edited with history and completion. Returns 1,
// or kInterruptedStatus (130) when a signal ended the session.
int ConsoleLoop(Kernel& kernel);
