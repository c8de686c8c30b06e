// Help: the help command of the prompt - the commands with their arguments,
// and the parameters an object kind has.
#pragma once

struct Command;

// The help command, answered by the console besides the table's rows.
// `help`: every command; `help WORD...`: the commands starting with those
// words, or the parameters of an object kind (network, bte, switch,
// application, or a block model's full name). Writes to the console's
// standard output; 0 with a diagnostic when nothing matches.
const Command& HelpCommand();
