// Nearest-name search (edit distance) and name lists for diagnostics.
#include "core/NameHint.h"

#include <algorithm>
#include <cctype>

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Levenshtein distance with adjacent transpositions counted as one edit.
size_t Distance(const std::string& a, const std::string& b) {
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[n][m];
}
}  // namespace

std::string ClosestName(const std::string& typed, const std::vector<std::string>& names) {
  const std::string low = Lower(typed);
  std::string best;
  size_t bestDistance = std::max<size_t>(1, typed.size() / 3) + 1;
  for (const std::string& n : names) {
    if (n == typed) continue;
    const size_t d = Lower(n) == low ? 0 : Distance(low, Lower(n));
    if (d < bestDistance) {
      bestDistance = d;
      best = n;
    }
  }
  return best;
}

std::string QuotedList(const std::vector<std::string>& names, size_t limit) {
  std::string s;
  for (size_t i = 0; i < names.size() && i < limit; ++i) s += (i ? ", " : "") + Quoted(names[i]);
  if (names.size() > limit) s += ", ...";
  return s;
}

std::string NameHint(const std::string& typed, const std::vector<std::string>& names,
                     const std::string& what) {
  if (names.empty()) return "; there are no " + what;
  const std::string close = ClosestName(typed, names);
  if (!close.empty()) return "; did you mean " + Quoted(close) + "?";
  return "; the " + what + " are " + QuotedList(names);
}
