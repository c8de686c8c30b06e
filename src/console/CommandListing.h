// CommandListing: the command table written out for documentation and
// tools, one tab-separated row per command (what `celvane --list-commands`
// prints).
#pragma once
#include <iosfwd>

// Writes one line per row of the command table, fields separated by tabs:
// the command words, the argument names (blank-separated; empty for none),
// then every message the argument reader can print for the command, in the
// order of its checks. A name the user typed appears as "<argument_name>".
// Messages that the command's own action prints are not included.
void WriteCommandRows(std::ostream& out);
