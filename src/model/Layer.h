// Layer: the base of every protocol layer of a block. A layer is a parameter
// set and a data table; it reaches its block, its network and the event queue
// through the services below and schedules events at absolute times.
#pragma once
#include <fstream>
#include <string>

#include "core/DataTable.h"
#include "core/Param.h"
#include "model/Event.h"
#include "model/EventPriorityQueue.h"

class Block;
class Network;
class EventPriorityQueue;

class Layer : public Param, public DataTable {
 public:
  Layer(const Sstring& name, const Sstring& type, Block& block);
  ~Layer() override = default;
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  // Called before every run; 1 when the layer is ready.
  virtual int Start() { return 1; }
  // Handles one event addressed to this layer; 1 when it did something.
  virtual int HandleEvent(Event& e) {
    current_ = &e;
    return 0;
  }
  // Called when the block removes the layer.
  virtual int End() { return 1; }

  const Sstring& GetName() const { return name_; }
  Name GetNameId() const { return nameId_; }
  const Sstring& GetType() const { return type_; }
  Block& GetBlock() const { return block_; }
  const Sstring& GetBlockName() const;
  Name GetBlockNameId() const;
  const Sstring& GetBlockKind() const;
  Sstring GetBlockModel() const;
  Network& GetNetwork() const;
  EventPriorityQueue& Queue() const;
  const Event* CurrentEvent() const { return current_; }

  // The network's "Path" setting, the prefix of every file the layer writes.
  Sstring NetworkPath() const;
  // The "Path" setting when the layer was made (what a layer that keeps the
  // path of its making writes under).
  const Sstring& MadeWithPath() const { return madeWithPath_; }

 protected:
  // To itself, no message (message type NONE_MESSAGE).
  void ScheduleSelf(double t, Name type);
  // To itself carrying a connection identifier (message type UNNECESSARY).
  void ScheduleSelf(double t, Name type, Name connection);
  // To a layer of any block, with a message record.
  template <class R>
  void ScheduleTo(double t, Name type, Name block, Name layer, R&& record,
                  Name connection = Word::UNNECESSARY) {
    EventPriorityQueue& q = Queue();
    uint32_t slot = q.Slot();
    Event& e = q.At(slot);
    Fill(e, t, type, block, layer, connection);
    e.Set(std::forward<R>(record));
    q.Push(slot);
  }
  // To a layer of the own block, with a message record.
  template <class R>
  void ScheduleSibling(double t, Name type, Name layer, R&& record,
                       Name connection = Word::UNNECESSARY) {
    ScheduleTo(t, type, GetBlockNameId(), layer, std::forward<R>(record), connection);
  }

  // Opens a statistics file of the run for writing (created or truncated).
  // The short name is used unless another file of this run already took it;
  // then the long name is used and the console says so. A file that cannot be
  // created is reported once. Returns true when the file is open.
  bool OpenRunFile(std::ofstream& f, const std::string& shortName, const std::string& longName);
  // The statistics file named path + first and last characters of the block
  // name, "_", of the layer name (or of `owner`), "_", prefix, ".dat".
  bool OpenShortNamedLog(std::ofstream& f, const char* prefix);
  // One console line saying that a parameter makes no sense, so the layer
  // stays silent in this run.
  void ReportBadParameter(const char* parameter) const;

  const Event* current_ = nullptr;

 private:
  void SchedulePlain(double t, Name type, Name connection, Name messageType);
  // Sets every field of a pooled event but the message and the stamp.
  void Fill(Event& e, double t, Name type, Name block, Name layer, Name connection) const;

  Sstring name_;
  Name nameId_;
  Sstring type_;
  Block& block_;
  Sstring madeWithPath_;
};

// The short statistics-file name part of a name: its first and last
// characters (a one-character name supplies both).
std::string FirstLast(const Sstring& name);

// Whether a layer or queue can repeat something every `period` seconds in the
// run being started: the period must be positive and finite, and the run must
// not need more than a billion repetitions of it (a period that small would
// make the run last practically forever, or stop the clock from advancing).
bool UsablePeriod(const Network& net, double period);

// Opens a statistics file of the current run of net (see Layer::OpenRunFile).
bool OpenRunFileOf(Network& net, std::ofstream& f, const std::string& shortName,
                   const std::string& longName);
// Opens the log `prefix` of `owner`, a layer or queueing system of `block`:
// path + first and last characters of the block name + "_" + those of the
// owner's name + "_" + prefix + ".dat", or the full names when that is taken.
bool OpenShortNamedLogOf(Network& net, std::ofstream& f, const std::string& path,
                         const Sstring& block, const Sstring& owner, const char* prefix);
// Starts a console warning about `owner`, a "layer" or "queueing system"
// (the kind) of `block`: "run warning: block B kind O: "; the caller ends the line.
std::ostream& RunWarning(const Sstring& block, const char* kind, const Sstring& owner);
// One console line: a parameter of `owner` makes no sense; `consequence`
// says what the owner does instead.
void ReportNonsense(const Sstring& block, const char* kind, const Sstring& owner,
                    const char* parameter, const char* consequence);
