// Component: the base of everything a block holds and routes events to - its
// protocol layers and its queueing systems. A component is a parameter set
// and a data table with a name, an owner block and three steps: Start before
// every run, HandleEvent for each event addressed to it, End when the block
// removes it. It schedules its events in place, in the event queue's pool.
#pragma once
#include <cstddef>
#include <fstream>
#include <new>
#include <string>

#include "core/DataTable.h"
#include "core/LineArena.h"
#include "core/Param.h"
#include "model/Event.h"
#include "model/EventPriorityQueue.h"

class Block;
class Network;

// The two kinds a block lists separately (layers, then queueing systems).
enum class ComponentKind : uint8_t { Layer = 0, QueueingSystem = 1 };
constexpr int kComponentKinds = 2;

// What a component reads at every event it handles or schedules: the
// kernel's queue, its own names and the handlers of its last destinations
// (with the one-byte kind beside them, where it costs no room).
// As the first base it shares the object's first cache line with the
// virtual table pointer (components are aligned to cache lines), so that an
// event touches that line and the handler's own fields, and not the
// parameters and data table in between.
class ComponentCore {
 public:
  virtual ~ComponentCore() = default;

 protected:
  ComponentCore(EventPriorityQueue& queue, Name name, Name blockName, ComponentKind kind)
      : queue_(queue), nameId_(name), blockNameId_(blockName), kind_(kind) {}

  struct HandlerMemo {
    Name block;
    Name target;
    class Component* handler = nullptr;
  };
  EventPriorityQueue& queue_;  // the kernel's, which outlives every component
  Name nameId_;  // the name, interned: events carry it, and its text is kept once
  Name blockNameId_;  // a block keeps its name
  HandlerMemo handlers_[2];
  uint8_t memoValid_ = 0;  // bit i: handlers_[i] holds a resolved destination
  uint8_t nextMemo_ = 0;
  ComponentKind kind_;
};

class alignas(64) Component : public ComponentCore, public Param, public DataTable {
 public:
  Component(const Sstring& name, ComponentKind kind, Block& block);
  ~Component() override = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  // Called before every run; 1 when the component is ready.
  virtual int Start() { return 1; }
  // Handles one event addressed to this component; 1 when it did something.
  // (Defined out of line: the kernel's call then goes straight through the
  // table, without a guess that it is this one.)
  virtual int HandleEvent(Event&);
  // Called when the block removes the component.
  virtual int End() { return 1; }

  // Components live side by side in the line arena, not among the small
  // allocations made with them (see core/LineArena.h).
  static void* operator new(std::size_t size, std::align_val_t) {
    return line_arena::Allocate(size);
  }
  static void operator delete(void* p, std::size_t size, std::align_val_t) noexcept {
    line_arena::Release(p, size);
  }

  const Sstring& GetName() const { return nameId_.str(); }
  Name GetNameId() const { return nameId_; }
  ComponentKind GetKind() const { return kind_; }
  // "layer" or "queueing system", as the console names the kind.
  const char* KindWord() const;
  Block& GetBlock() const { return block_; }
  const Sstring& GetBlockName() const;
  Name GetBlockNameId() const { return blockNameId_; }
  Network& GetNetwork() const;
  EventPriorityQueue& Queue() const { return queue_; }

  // The network's "Path" setting, the prefix of every file a component writes.
  Sstring NetworkPath() const;

  // Plans an event to itself, without a message (message type NONE_MESSAGE).
  void ScheduleSelf(double t, Name type);
  // The same carrying a connection identifier (message type UNNECESSARY).
  void ScheduleSelf(double t, Name type, Name connection);

  // The log path + first and last characters of the block name, "_", of the
  // component name, "_", prefix, ".dat" (full names when that is taken),
  // opened for this run; the path is the network's current one unless given.
  bool OpenShortNamedLog(std::ofstream& f, const char* prefix);
  bool OpenShortNamedLog(std::ofstream& f, const char* prefix, const std::string& path);
  // Starts a console warning about this component; the caller ends the line.
  std::ostream& Warning() const;
  // One console line: a parameter makes no sense; `consequence` says what
  // the component does instead.
  void ReportNonsense(const char* parameter, const char* consequence) const;
  // One console line: the period that `parameter` sets no longer moves the
  // clock at time t, so the component stops repeating it.
  void ReportStalledPeriod(const char* parameter, double t) const;
  // Forgets the handlers resolved for its destinations (at every run start:
  // the network may have changed since the last run).
  void ForgetHandlers() { memoValid_ = 0; }

 protected:
  // To a component of any block, with a message record.
  template <class R>
  [[gnu::always_inline]] void ScheduleTo(double t, Name type, Name block, Name target,
                                         R&& record, Name connection = Word::UNNECESSARY) {
    ScheduleVia(HandlerFor(block, target), t, type, block, target, std::forward<R>(record),
                connection);
  }
  // The same with the handler of (block, target) already resolved for this
  // run by the caller (see HandlerOf): for a component that sends to many.
  template <class R>
  [[gnu::always_inline]] void ScheduleVia(Component* handler, double t, Name type, Name block,
                                          Name target, R&& record,
                                          Name connection = Word::UNNECESSARY) {
    EventPriorityQueue& q = Queue();
    uint32_t slot = q.Slot();
    Event& e = q.At(slot);
    Fill(e, t, type, block, target, connection, handler);
    e.Set(std::forward<R>(record));
    q.Push(slot, e);
  }
  // The sole handler of events to (block, target) in this run, or null:
  // route by the names (resolved anew at every call).
  Component* HandlerOf(Name block, Name target) const;
  // To a component of the own block, with a message record.
  template <class R>
  void ScheduleSibling(double t, Name type, Name target, R&& record,
                       Name connection = Word::UNNECESSARY) {
    ScheduleTo(t, type, GetBlockNameId(), target, std::forward<R>(record), connection);
  }

  // Opens a statistics file of the run (see OpenRunFileOf in RunFiles.h).
  bool OpenRunFile(std::ofstream& f, const std::string& shortName, const std::string& longName);

 private:
  void SchedulePlain(double t, Name type, Name connection, Name messageType);
  // Sets every field of a pooled event but the message and the stamp.
  [[gnu::always_inline]] void Fill(Event& e, double t, Name type, Name block, Name target,
                                   Name connection, Component* handler) {
    e.time = t;
    e.handler = handler;
    e.type = type;
    e.sourceBlock = blockNameId_;
    e.destinationBlock = block;
    e.sourceLayer = nameId_;
    e.destinationLayer = target;
    e.connection = connection;
  }
  // The handler of events to (block, target) in this run, remembered for the
  // last two destinations used: a component sends to few.
  Component* HandlerFor(Name block, Name target) {
    if ((memoValid_ & 1u) && handlers_[0].block == block && handlers_[0].target == target)
      return handlers_[0].handler;
    if ((memoValid_ & 2u) && handlers_[1].block == block && handlers_[1].target == target)
      return handlers_[1].handler;
    return ResolveHandler(block, target);
  }
  Component* ResolveHandler(Name block, Name target);

  Block& block_;
};
