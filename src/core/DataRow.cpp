// DataRow: search, insertion and removal of a key's entries.
#include "core/DataRow.h"

long DataRow::Locate(Name name) const {
  if (index_.Built())
    return index_.Find(name.id(), [&](size_t p) { return entries_[p].name == name; });
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == name) return static_cast<long>(i);
  return -1;
}

void DataRow::Reindex() {
  if (entries_.size() <= kLinear) index_.Reset();
  else index_.Rebuild(entries_.size(), [&](size_t p) { return entries_[p].name.id(); });
}

std::optional<Scalar> DataRow::Find(Name name) const {
  const Entry* e = At(name);
  return e ? std::optional<Scalar>(e->Value()) : std::nullopt;
}

// A name never interned is in no row: looking it up does not intern it.
std::optional<Scalar> DataRow::Find(const Sstring& name) const {
  Name n;
  return Name::Lookup(name, n) ? Find(n) : std::nullopt;
}

void DataRow::Entry::Set(const Scalar& v) {
  // The type tag is the value's index in Scalar: the tags name its
  // alternatives in their order.
  static_assert(std::is_same_v<std::variant_alternative_t<kInt, Scalar>, int> &&
                std::is_same_v<std::variant_alternative_t<kDouble, Scalar>, double> &&
                std::is_same_v<std::variant_alternative_t<kComplex, Scalar>, Complex> &&
                std::is_same_v<std::variant_alternative_t<kLong, Scalar>, long> &&
                std::is_same_v<std::variant_alternative_t<kText, Scalar>, Sstring> &&
                std::is_same_v<std::variant_alternative_t<kUchar, Scalar>, unsigned char> &&
                std::is_same_v<std::variant_alternative_t<kShort, Scalar>, short> &&
                std::is_same_v<std::variant_alternative_t<kUint, Scalar>, unsigned int> &&
                std::is_same_v<std::variant_alternative_t<kFloat, Scalar>, float> &&
                std::variant_size_v<Scalar> == kFloat + 1);
  Drop();
  type_ = static_cast<uint8_t>(v.index());
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, int>) v_.i = x;
        else if constexpr (std::is_same_v<T, double>) v_.d = x;
        else if constexpr (std::is_same_v<T, Complex>) v_.c = new Complex(x);
        else if constexpr (std::is_same_v<T, long>) v_.l = x;
        else if constexpr (std::is_same_v<T, Sstring>) v_.text = Name(x);
        else if constexpr (std::is_same_v<T, unsigned char>) v_.uc = x;
        else if constexpr (std::is_same_v<T, short>) v_.s = x;
        else if constexpr (std::is_same_v<T, unsigned int>) v_.u = x;
        else v_.f = x;
      },
      v);
}

void DataRow::Put(const Sstring& name, const Scalar& value) {
  const Name n(name);
  const long i = Locate(n);
  if (i >= 0) {
    entries_[static_cast<size_t>(i)].Set(value);
    return;
  }
  entries_.emplace_back(n, value);
  if (!index_.Built()) Reindex();
  else index_.Added(entries_.size(), [&](size_t p) { return entries_[p].name.id(); });
}

bool DataRow::Erase(const Sstring& name) {
  Name n;
  if (!Name::Lookup(name, n)) return false;
  const long i = Locate(n);
  if (i < 0) return false;
  entries_.erase(entries_.begin() + i);
  Reindex();
  return true;
}

std::vector<Sstring> DataRow::Keys() const {
  std::vector<Sstring> keys;
  keys.reserve(entries_.size());
  ForEach([&](const Sstring& k, const Scalar&) { keys.push_back(k); });
  return keys;
}
