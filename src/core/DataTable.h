// DataTable: key -> entry name -> typed scalar, listed newest first at both
// levels. Holds all wiring and connection data of networks, blocks and layers.
#pragma once
#include <iosfwd>
#include <vector>

#include "core/DataRow.h"
#include "core/ElementTypes.h"
#include "core/NewestFirstMap.h"

class DataTable {
 public:
  using Row = DataRow;

  DataTable() = default;
  virtual ~DataTable() = default;

  // Stores value under (key, name), typed as T.
  template <class T>
  void PutData(const Sstring& key, const Sstring& name, const T& value) {
    RowOf(key).Put(name, Scalar(value));
    Changed(key);
  }
  void PutData(const Sstring& key, const Sstring& name, const char* value) {
    PutData(key, name, Sstring(value));
  }
  // 1 and the value when the entry exists (the key becomes present either way).
  template <class T>
  int GetData(const Sstring& key, const Sstring& name, T& out) {
    Row& row = RowOf(key);
    Name n;
    return Name::Lookup(name, n) && row.Get(n, out) ? 1 : 0;
  }
  // The same read without making the key present: for listings and for the
  // layers while a run is going on.
  template <class T>
  int PeekData(const Sstring& key, const Sstring& name, T& out) const {
    const Row* row = FindRow(key);
    Name n;
    return row && Name::Lookup(name, n) && row->Get(n, out) ? 1 : 0;
  }
  std::optional<Scalar> Peek(const Sstring& key, const Sstring& name) const {
    const Row* row = FindRow(key);
    return row ? row->Find(name) : std::nullopt;
  }

  // First key, newest first, whose entry under name equals value. The names
  // are resolved once for the whole scan.
  template <class T>
  int FindKey(const Sstring& name, const T& value, Sstring& key) const {
    Name n;
    if (!Name::Lookup(name, n)) return 0;
    return FindFirst([&](const Row& r) { return Matches(r, n, value); }, key);
  }
  template <class T>
  int FindKey(const Sstring& name1, const T& value1, const Sstring& name2, const T& value2,
              Sstring& key) const {
    Name n1, n2;
    if (!Name::Lookup(name1, n1) || !Name::Lookup(name2, n2)) return 0;
    return FindFirst(
        [&](const Row& r) { return Matches(r, n1, value1) && Matches(r, n2, value2); }, key);
  }
  template <class T>
  int FindKeys(const Sstring& name, const T& value, std::vector<Sstring>& keys) const {
    Name n;
    if (!Name::Lookup(name, n)) return 0;
    return FindAll([&](const Row& r) { return Matches(r, n, value); }, keys);
  }
  template <class T>
  int FindKeys(const Sstring& name1, const T& value1, const Sstring& name2, const T& value2,
               std::vector<Sstring>& keys) const {
    Name n1, n2;
    if (!Name::Lookup(name1, n1) || !Name::Lookup(name2, n2)) return 0;
    return FindAll(
        [&](const Row& r) { return Matches(r, n1, value1) && Matches(r, n2, value2); }, keys);
  }

  // Reads one data record (key name type value) and stores it; 0 after one of
  // the four "table error" messages, written to msg. A value that cannot be
  // read as its type stores nothing and is reported as a missing value.
  int LoadData(std::istream& in, std::ostream& msg);
  int DelData(const Sstring& key, const Sstring& name);
  int DelKey(const Sstring& key);
  int HasKey(const Sstring& key) const { return FindRow(key) ? 1 : 0; }
  int HasData(const Sstring& key, const Sstring& name) {
    return RowOf(key).Contains(name) ? 1 : 0;
  }
  // Every key with an entry under name, newest first; 0 when there is none.
  int GetKeys(const Sstring& name, std::vector<Sstring>& keys) const {
    Name n;
    if (!Name::Lookup(name, n)) return 0;
    return FindAll([&](const Row& r) { return r.Contains(n); }, keys);
  }
  // Every key present, newest first.
  std::vector<Sstring> AllKeys() const;
  const Row* FindRow(const Sstring& key) const {
    Name n;
    return Name::Lookup(key, n) ? data_.Find(n) : nullptr;
  }
  // The key's place in table order (0 is the oldest key; keys never move
  // once present), or -1 when it is not present.
  long KeyPosition(const Sstring& key) const {
    Name n;
    return Name::Lookup(key, n) ? data_.Position(n) : -1;
  }

  // One line per entry: quoted key, quoted name, value; then an empty line.
  void ShowTable(std::ostream& out) const;

 protected:
  // Called after the entries under key changed (written or deleted), so
  // that a table can keep an index of its contents.
  virtual void Changed(const Sstring& key) { (void)key; }

 private:
  template <class T>
  static bool Matches(const Row& r, Name name, const T& value) {
    return r.Equals(name, value);
  }
  template <class P>
  int FindFirst(P&& pred, Sstring& key) const {
    bool found = false;
    data_.ForEach([&](Name k, const Row& r) {
      if (!found && pred(r)) {
        key = k.str();
        found = true;
      }
    });
    return found ? 1 : 0;
  }
  template <class P>
  int FindAll(P&& pred, std::vector<Sstring>& keys) const {
    std::vector<Sstring> found;
    data_.ForEach([&](Name k, const Row& r) {
      if (pred(r)) found.push_back(k.str());
    });
    if (found.empty()) return 0;
    keys = std::move(found);
    return 1;
  }

  Row& RowOf(const Sstring& key) { return data_.GetOrInsert(Name(key)); }
  Row* MutableRow(const Sstring& key) {
    return const_cast<Row*>(static_cast<const DataTable&>(*this).FindRow(key));
  }

  // Rows by interned key: the keys (connection, layer and port names) are a
  // few texts shared by many tables.
  NewestFirstMap<Name, Row> data_;
};
