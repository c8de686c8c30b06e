// NameHint: the words diagnostics use to point from a mistyped name to the
// names that exist - the nearest one ("did you mean") and a short list.
#pragma once
#include <string>
#include <vector>

#include "core/Sstring.h"  // Quoted

// The name closest to typed: equal but for letter case, or within a few
// edits (about one in three characters); empty when none is that close.
std::string ClosestName(const std::string& typed, const std::vector<std::string>& names);

// "; did you mean "X"?" when a name is close to typed, otherwise
// "; the <what> are "A", "B", ..." (at most a dozen, then "...") or
// "; there are no <what>" when the list is empty.
std::string NameHint(const std::string& typed, const std::vector<std::string>& names,
                     const std::string& what);

// The names between double quotes, separated by ", ".
std::string QuotedList(const std::vector<std::string>& names, size_t limit = 12);
