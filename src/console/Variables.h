// Variables: script variables defined on the command line (-D NAME=VALUE)
// and their substitution: every ${NAME} of a command line, typed or loaded,
// is replaced by the value before the line is executed. A line without "${"
// is left exactly as it is; a "$" not followed by "{" is an ordinary
// character; values are inserted as they are, not searched for references.
#pragma once
#include <string>

// A name is a letter or "_" followed by letters, digits and "_".
bool ValidVariableName(const std::string& name);
// Defines or redefines a variable; false (nothing defined) for a bad name.
bool DefineVariable(const std::string& name, const std::string& value);
// Forgets every definition.
void ClearVariables();

// Replaces the references of line in place. On an undefined name, or a
// "${" without a valid name and "}", prints one line on standard error -
// "FILE:LINE: error: ..." when file is not empty, "error: ..." otherwise -
// and returns false, leaving line unchanged.
bool ExpandVariables(std::string& line, const std::string& file = std::string(), long lineNumber = 0);
