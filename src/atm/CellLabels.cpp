// CellLabels: integer reads of label entries and the input-label index.
#include "atm/CellLabels.h"

#include <climits>
#include <type_traits>
#include <variant>

#include "model/DataKeys.h"

namespace atmcell {

int PeekInteger(const DataTable& table, const Sstring& key, const Sstring& name, long long& out) {
  const std::optional<Scalar> s = table.Peek(key, name);
  if (!s) return 0;
  return std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_integral_v<T>) {
          out = static_cast<long long>(v);
          return 1;
        } else {
          return 0;
        }
      },
      *s);
}

const Sstring* InputLabelIndex::Find(const DataTable& table, int vpi, int vci) {
  if (!built_) {
    // Newest key first; emplace keeps the first key seen for a label pair.
    // Labels outside the int range can never equal a cell's.
    for (const Sstring& key : table.AllKeys()) {
      long long inVpi = 0, inVci = 0;
      if (PeekInteger(table, key, datakey::kInputVpi, inVpi) &&
          PeekInteger(table, key, datakey::kInputVci, inVci) && inVpi >= INT_MIN &&
          inVpi <= INT_MAX && inVci >= INT_MIN && inVci <= INT_MAX)
        keys_.emplace(LabelKey(static_cast<int>(inVpi), static_cast<int>(inVci)), key);
    }
    built_ = true;
  }
  auto it = keys_.find(LabelKey(vpi, vci));
  return it == keys_.end() ? nullptr : &it->second;
}

}  // namespace atmcell
