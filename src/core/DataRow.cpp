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

const Scalar* DataRow::Find(Name name) const {
  const long i = Locate(name);
  return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)].value;
}

// A name never interned is in no row: looking it up does not intern it.
const Scalar* DataRow::Find(const Sstring& name) const {
  Name n;
  return Name::Lookup(name, n) ? Find(n) : nullptr;
}

Scalar& DataRow::Put(const Sstring& name, Scalar value) {
  const Name n(name);
  const long i = Locate(n);
  if (i >= 0) return entries_[static_cast<size_t>(i)].value = std::move(value);
  entries_.push_back(Entry{n, std::move(value)});
  if (index_) index_->emplace(n.id(), static_cast<uint32_t>(entries_.size() - 1));
  else if (entries_.size() > kLinear) Reindex(0);
  return entries_.back().value;
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
