// DataRow: the entries of one key of a data table - entry name -> typed
// scalar, listed newest first. Names are interned and the entries held by
// value in 16 bytes: a network of thousands of connections holds tens of
// thousands of entries, most under a handful of names, their texts mostly
// names of blocks, layers and connections.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/ElementTypes.h"
#include "core/Name.h"
#include "core/PlaceIndex.h"

class DataRow {
 public:
  DataRow() = default;
  DataRow(DataRow&&) = default;
  DataRow& operator=(DataRow&&) = default;

  // The value under name, if any.
  std::optional<Scalar> Find(Name name) const;
  std::optional<Scalar> Find(const Sstring& name) const;
  // The value under name converted as ScalarGet does; false when absent or
  // not convertible.
  template <class T>
  bool Get(Name name, T& out) const {
    const Entry* e = At(name);
    return e && e->Visit([&](const auto& v) { return ConvertElement(v, out); });
  }
  // True when the value under name is of type T and equals v.
  template <class T>
  bool Equals(Name name, const T& v) const {
    const Entry* e = At(name);
    return e && e->Visit([&](const auto& s) {
      if constexpr (std::is_same_v<std::decay_t<decltype(s)>, T>) return s == v;
      else return false;
    });
  }
  bool Contains(Name name) const { return Locate(name) >= 0; }
  bool Contains(const Sstring& name) const {
    Name n;
    return Name::Lookup(name, n) && Contains(n);
  }

  // Stores value under name: replaces in place, or adds at the head.
  void Put(const Sstring& name, const Scalar& value);
  // 1 when an entry was removed.
  bool Erase(const Sstring& name);
  void Clear() {
    entries_.clear();
    index_.Reset();
  }
  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }

  // Visits the entries newest first; f(name, value).
  template <class F>
  void ForEach(F&& f) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) f(it->name.str(), it->Value());
  }
  // The names, newest first.
  std::vector<Sstring> Keys() const;

 private:
  // One entry: the name, the element type (its index in Scalar) and the
  // value. A text is held as its interned name, a complex out of line.
  class Entry {
   public:
    Entry(Name n, const Scalar& v) : name(n) { Set(v); }
    Entry(Entry&& o) noexcept : name(o.name), type_(o.type_), v_(o.v_) { o.type_ = kInt; }
    Entry& operator=(Entry&& o) noexcept {
      std::swap(name, o.name);
      std::swap(type_, o.type_);
      std::swap(v_, o.v_);
      return *this;
    }
    ~Entry() { Drop(); }

    void Set(const Scalar& v);
    // f(value) with the value as its element type.
    template <class F>
    decltype(auto) Visit(F&& f) const {
      switch (type_) {
        case kDouble: return f(v_.d);
        case kComplex: return f(static_cast<const Complex&>(*v_.c));
        case kLong: return f(v_.l);
        case kText: return f(v_.text.str());
        case kUchar: return f(v_.uc);
        case kShort: return f(v_.s);
        case kUint: return f(v_.u);
        case kFloat: return f(v_.f);
        default: return f(v_.i);
      }
    }
    Scalar Value() const {
      return Visit(
          [](const auto& v) { return Scalar(std::in_place_type<std::decay_t<decltype(v)>>, v); });
    }

    Name name;

   private:
    enum : uint8_t { kInt, kDouble, kComplex, kLong, kText, kUchar, kShort, kUint, kFloat };
    void Drop() {
      if (type_ == kComplex) delete v_.c;
      type_ = kInt;
    }
    uint8_t type_ = kInt;
    union Value_ {
      Value_() : l(0) {}
      int i;
      double d;
      Complex* c;
      long l;
      Name text;
      unsigned char uc;
      short s;
      unsigned u;
      float f;
    } v_;
  };
  // Rows up to this size are searched in order; larger ones (a switch's
  // wiring, a long path) get an index of name -> place.
  static constexpr size_t kLinear = 8;

  long Locate(Name name) const;
  const Entry* At(Name name) const {
    const long i = Locate(name);
    return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)];
  }
  void Reindex();

  std::vector<Entry> entries_;  // oldest first
  PlaceIndex index_;  // by name id; none while the row is small
};
