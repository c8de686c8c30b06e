// DataRow: the entries of one key of a data table - entry name -> typed
// scalar, listed newest first. Names are interned and the entries held by
// value: a network of thousands of connections holds tens of thousands of
// entries, most under a handful of names.
#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/ElementTypes.h"
#include "core/Name.h"

class DataRow {
 public:
  DataRow() = default;
  DataRow(DataRow&&) = default;
  DataRow& operator=(DataRow&&) = default;

  // The value under name, or null. A pointer is valid until the row changes.
  const Scalar* Find(Name name) const;
  const Scalar* Find(const Sstring& name) const;
  Scalar* Find(const Sstring& name) {
    return const_cast<Scalar*>(static_cast<const DataRow&>(*this).Find(name));
  }
  bool Contains(Name name) const { return Find(name) != nullptr; }
  bool Contains(const Sstring& name) const { return Find(name) != nullptr; }

  // Stores value under name: replaces in place, or adds at the head.
  Scalar& Put(const Sstring& name, Scalar value);
  // 1 when an entry was removed.
  bool Erase(const Sstring& name);
  void Clear() {
    entries_.clear();
    index_.reset();
  }
  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }

  // Visits the entries newest first; f(name, value).
  template <class F>
  void ForEach(F&& f) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) f(it->name.str(), it->value);
  }
  // The names, newest first.
  std::vector<Sstring> Keys() const;

 private:
  struct Entry {
    Name name;
    Scalar value;
  };
  // Rows up to this size are searched in order; larger ones (a switch's
  // wiring, a long path) get an index of name -> place.
  static constexpr size_t kLinear = 8;

  long Locate(Name name) const;
  void Reindex(size_t from);

  std::vector<Entry> entries_;  // oldest first
  std::unique_ptr<std::unordered_map<uint32_t, uint32_t>> index_;  // null while small
};
