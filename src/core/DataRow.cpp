// DataRow: search, insertion and removal of a key's entries.
#include "core/DataRow.h"

long DataRow::Locate(Name name) const {
  if (!index_) {
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].name == name) return static_cast<long>(i);
    return -1;
  }
  auto it = index_->find(name.id());
  return it == index_->end() ? -1 : static_cast<long>(it->second);
}

void DataRow::Reindex(size_t from) {
  if (!index_) index_ = std::make_unique<std::unordered_map<uint32_t, uint32_t>>();
  for (size_t i = from; i < entries_.size(); ++i)
    (*index_)[entries_[i].name.id()] = static_cast<uint32_t>(i);
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
  if (index_) index_->emplace(n.id(), static_cast<uint32_t>(entries_.size() - 1));
  else if (entries_.size() > kLinear) Reindex(0);
}

bool DataRow::Erase(const Sstring& name) {
  Name n;
  if (!Name::Lookup(name, n)) return false;
  const long i = Locate(n);
  if (i < 0) return false;
  const size_t pos = static_cast<size_t>(i);
  if (index_) index_->erase(n.id());
  entries_.erase(entries_.begin() + i);
  if (entries_.size() <= kLinear) index_.reset();
  else Reindex(pos);
  return true;
}

std::vector<Sstring> DataRow::Keys() const {
  std::vector<Sstring> keys;
  keys.reserve(entries_.size());
  ForEach([&](const Sstring& k, const Scalar&) { keys.push_back(k); });
  return keys;
}
