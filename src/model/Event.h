// Event: one scheduled happening - at a time, something of a named type is to
// be done by a named layer (or queueing system) of a named block, possibly
// carrying a message record. Names are interned handles; the event owns its
// message by value, so dropping an event frees what it carries. The sender
// also notes the component that will handle the event when routing by the
// names can only reach that one, so the kernel calls it directly.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/Cell.h"
#include "core/Name.h"
#include "core/Primitives.h"

class Component;

using Message = std::variant<std::monostate, CPCS_UnitData, SAR_UnitData, ATM_Data, Cell, PHY_Data>;

// The message-type word of a record type (inline: one object in the whole
// program, however many units include this header).
template <class R> inline constexpr Word kMessageWord = Word::NONE_MESSAGE;
template <> inline constexpr Word kMessageWord<CPCS_UnitData> = Word::CPCS_UNITDATA;
template <> inline constexpr Word kMessageWord<SAR_UnitData> = Word::SAR_UNITDATA;
template <> inline constexpr Word kMessageWord<ATM_Data> = Word::ATM_DATA;
template <> inline constexpr Word kMessageWord<Cell> = Word::CELL;
template <> inline constexpr Word kMessageWord<PHY_Data> = Word::PHY_DATA;

struct alignas(64) Event {
  double time = 0.0;
  uint64_t stamp = 0;  // insertion order, given by the event queue
  Name type;
  Name sourceBlock;
  Name destinationBlock;
  Name sourceLayer;
  Name destinationLayer;
  Name messageType = Word::NONE_MESSAGE;
  Name connection = Word::UNNECESSARY;
  // The sole component routing would deliver this event to in the current
  // run, or null: route by the names.
  Component* handler = nullptr;
  Message message;

  // The carried record when the message type is R's word, else nullptr.
  template <class R>
  R* Get() {
    return messageType == kMessageWord<R> ? std::get_if<R>(&message) : nullptr;
  }
  // The record moves (or is copied) straight into the message.
  template <class R>
  void Set(R&& record) {
    message = std::forward<R>(record);
    messageType = kMessageWord<std::decay_t<R>>;
  }
};

// The long printout: "ATM Event" to the console, the labelled fields and the
// message record to out.
std::ostream& operator<<(std::ostream& out, const Event& e);
