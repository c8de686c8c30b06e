// Name: an interned string. Block, layer, event-type and connection names
// become small integer handles when they are created, so events carry and
// compare them without copying text. Every printout still writes the text.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>

#include "core/Sstring.h"

// Words the simulator itself uses, listed once; they are interned first, in
// this order, so that their handles are compile-time constants. Each entry
// is both the enumerator and its text.
#define CELVANE_WORDS(X)                                                            \
  /* event types */                                                                 \
  X(SEND_PACKET) X(END) X(CPCS_UNITDATA_INVOKE) X(CPCS_UNITDATA_SIGNAL)             \
  X(ATM_DATA_REQUEST) X(ATM_DATA_INDICATION) X(INSERT_ATMCELL) X(ATM_SEND_CELL)     \
  X(PHY_DATA_REQUEST) X(PHY_DATA_INDICATION) X(PHY_SEND_CELL) X(RECEIVE_CELL)       \
  X(INSERT_PLCELL) X(PLCELL_LOOP) X(LOG_BY_TIME) X(LOG_SAMPLE_STATISTICS)           \
  /* message types */                                                               \
  X(NONE_MESSAGE) X(UNNECESSARY) X(CPCS_UNITDATA) X(SAR_UNITDATA) X(ATM_DATA)       \
  X(CELL) X(PHY_DATA)                                                               \
  /* layer names and other words */                                                 \
  X(UNKNOW) X(ATM) X(AAL5) X(PHY) X(PHY_QS) X(TR) X(UNI) X(NNI) X(EMPTY_CELL)       \
  X(USER_CELL)

#define CELVANE_WORD_ENUMERATOR(W) W,
enum class Word : uint32_t { Empty = 0, CELVANE_WORDS(CELVANE_WORD_ENUMERATOR) Count };
#undef CELVANE_WORD_ENUMERATOR

class Name {
 public:
  constexpr Name() : id_(0) {}
  constexpr Name(Word w) : id_(static_cast<uint32_t>(w)) {}
  explicit Name(const Sstring& s);
  explicit Name(const char* s);

  const Sstring& str() const;
  const char* c_str() const { return str().c_str(); }
  constexpr uint32_t id() const { return id_; }
  constexpr bool empty() const { return id_ == 0; }

  friend constexpr bool operator==(Name a, Name b) { return a.id_ == b.id_; }
  friend constexpr bool operator!=(Name a, Name b) { return a.id_ != b.id_; }
  friend constexpr bool operator==(Name a, Word b) { return a.id_ == static_cast<uint32_t>(b); }
  friend constexpr bool operator!=(Name a, Word b) { return a.id_ != static_cast<uint32_t>(b); }

  // The handle of s when s is interned already (true), without interning it.
  static bool Lookup(const Sstring& s, Name& out);

  // Number of names interned so far (handles are 0 .. Count()-1).
  static uint32_t Count();

 private:
  uint32_t id_;
};

// Writes the text quoted, as Sstring does.
std::ostream& operator<<(std::ostream& out, Name n);

namespace std {
template <>
struct hash<Name> {
  size_t operator()(Name n) const noexcept { return n.id(); }
};
}  // namespace std
