// Nearest-name search (edit distance) and name lists for diagnostics.
#include "core/NameHint.h"

#include <algorithm>
#include <cctype>

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Levenshtein distance with adjacent transpositions counted as one edit,
// over three rows.
size_t Distance(const std::string& a, const std::string& b) {
  const size_t m = b.size();
  std::vector<size_t> before(m + 1), last(m + 1), row(m + 1);
  for (size_t j = 0; j <= m; ++j) last[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (size_t j = 1; j <= m; ++j) {
      const size_t change = last[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      row[j] = std::min({last[j] + 1, row[j - 1] + 1, change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        row[j] = std::min(row[j], before[j - 2] + 1);
    }
    before.swap(last);
    last.swap(row);
  }
  return last[m];
}

// Names longer than this are not typed by hand; they are only compared
// letter case aside.
constexpr size_t kLongestTypo = 64;
}  // namespace

std::string ClosestName(const std::string& typed, const std::vector<std::string>& names) {
  const std::string low = Lower(typed);
  std::string best;
  size_t bestDistance = std::max<size_t>(1, typed.size() / 3) + 1;
  for (const std::string& n : names) {
    if (n == typed) continue;
    const std::string other = Lower(n);
    if (other == low) return n;
    const size_t gap =
        other.size() > low.size() ? other.size() - low.size() : low.size() - other.size();
    if (gap >= bestDistance || other.size() > kLongestTypo || low.size() > kLongestTypo) continue;
    const size_t d = Distance(low, other);
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
