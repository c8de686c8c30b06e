// Name: an interned string. Block, layer, event-type and connection names
// become small integer handles when they are created, so events carry and
// compare them without copying text. Every printout still writes the text.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>

#include "core/Sstring.h"

// Words the simulator itself uses; they are interned first, in this order, so
// that their handles are compile-time constants.
enum class Word : uint32_t {
  Empty = 0,
  // event types
  SEND_PACKET, END, CPCS_UNITDATA_INVOKE, CPCS_UNITDATA_SIGNAL, ATM_DATA_REQUEST,
  ATM_DATA_INDICATION, INSERT_ATMCELL, ATM_SEND_CELL, PHY_DATA_REQUEST,
  PHY_DATA_INDICATION, PHY_SEND_CELL, RECEIVE_CELL, INSERT_PLCELL, PLCELL_LOOP,
  LOG_BY_TIME, LOG_SAMPLE_STATISTICS,
  // message types
  NONE_MESSAGE, UNNECESSARY, CPCS_UNITDATA, SAR_UNITDATA, ATM_DATA, CELL, PHY_DATA,
  // layer names and other words
  UNKNOW, ATM, AAL5, PHY, PHY_QS, TR, UNI, NNI, EMPTY_CELL, USER_CELL,
  Count
};

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
