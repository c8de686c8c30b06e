// Help: the help command of the prompt - the commands with their arguments,
// and the parameters an object kind has.
#pragma once
#include <iosfwd>

class Kernel;

// `help`: every command; `help WORD...`: the commands starting with those
// words, or the parameters of an object kind (network, bte, switch,
// application, or a block model's full name). Writes to the console's
// standard output; 0 with a diagnostic when nothing matches.
int CmdHelp(Kernel& kernel, std::istream& in);
