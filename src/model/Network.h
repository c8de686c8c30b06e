// Network: one simulated ATM network - its blocks by name, the record of which
// blocks are wired to which, the VCCs, links and data connections laid over
// them (kept in data tables), and its own settings for a run.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/DataTable.h"
#include "core/NewestFirstMap.h"
#include "core/Param.h"
#include "model/Block.h"
#include "model/FreeVccIndex.h"
#include "model/ParameterTable.h"
#include "model/RunFiles.h"

class Kernel;
class EventPriorityQueue;

// The network's settings for a run, read afresh from its parameters.
struct NetworkSettings {
  Sstring logStatus;   // "Simulation log status": the event log
  Sstring perfStatus;  // "Performance log status": the performance file
  Sstring path;        // "Path": the prefix of every file of a run
};

class Network : public Param, public DataTable {
 public:
  Network(const Sstring& name, Kernel& kernel);
  ~Network() override;
  Network(const Network&) = delete;
  Network& operator=(const Network&) = delete;

  const Sstring& GetName() const { return name_; }
  Kernel& GetKernel() const { return kernel_; }
  EventPriorityQueue& Queue() const;
  // The current settings (a deleted parameter reads as empty).
  NetworkSettings Settings() const;
  Sstring Path() const {
    Sstring path;
    GetParam("Path", path);
    return path;
  }
  static std::vector<ParameterInfo> DescribeParameters();

  // Why the last operation returned 0, for the console's diagnostics. The
  // operations and the block models set it where they refuse; the network
  // still prints nothing. Refuse returns 0; TakeRefusal empties it.
  int Refuse(std::string reason);
  std::string TakeRefusal() { return std::move(refusal_); }
  // "; did you mean ..." or the list of the names of that kind, for a
  // block, VCC or DC name the network does not hold.
  std::string BlockHint(const Sstring& typed) const;
  std::string VccHint(const Sstring& typed) const;
  std::string DcHint(const Sstring& typed) const;
  // Refuses with: no block "X" in network "N" and the hint.
  int RefuseUnknownBlock(const Sstring& name);
  int RefuseUnknownVcc(const Sstring& nci);
  int RefuseUnknownDc(const Sstring& dci);
  // 1 when no VCC (unless forDc), DC or the connection record uses the
  // identifier, else a refusal.
  int RefuseTakenId(const Sstring& id, bool forDc);

  // Block registry (newest first).
  int ExistBlock(const Sstring& name) const { return blocks_.Contains(name) ? 1 : 0; }
  Block* FindBlock(const Sstring& name) const;
  // Makes a block of a registered model (BlockModels.h) and its fixed
  // layers. A name already in use, or an unknown model, is refused (0,
  // nothing changes).
  int CreateBlock(const Sstring& name, const Sstring& model, const Sstring& type);
  int RemoveBlock(const Sstring& name);
  // 1 unless the block lies on a VCC's path or is an application of a DC.
  int CanRemoveBlock(const Sstring& name) const;
  template <class F>
  void ForEachBlock(F&& f) const {
    blocks_.ForEach([&](const Sstring&, const std::unique_ptr<Block>& b) { f(*b); });
  }

  // Wiring.
  int ConnectBlock(const Sstring& name1, const Sstring& name2, const Sstring& interface);
  int DisconnectBlock(const Sstring& name);
  int HasNeighbours(const Sstring& name) const { return neighbours_.Contains(name) ? 1 : 0; }
  int NumberOfNeighbours(const Sstring& name) const;
  int CountNeighboursOfKind(const Sstring& name, const Sstring& kind) const;
  int AreNeighbours(const Sstring& name1, const Sstring& name2) const;
  // The blocks a block is wired to, in the order of connection (or null).
  const std::vector<Block*>* Neighbours(const Sstring& name) const { return neighbours_.Find(name); }
  // Every block that has a neighbour list, newest first.
  std::vector<Sstring> BlocksWithNeighbours() const { return neighbours_.Keys(); }
  // The pairs of connected blocks in the order the connections were made.
  const std::vector<std::pair<Sstring, Sstring>>& ConnectionOrder() const { return connections_; }

  // VCCs, links and data connections (connections.cpp).
  int CreateVcc(const Sstring& nci, const Sstring& category, double bandwidth,
                const Sstring& firstBlock);
  int ConnectVccBlock(const Sstring& nci, const Sstring& newBlock, const Sstring& keyBlock);
  int DisconnectVccBlock(const Sstring& nci, const Sstring& oldBlock, const Sstring& keyBlock);
  int RemoveVcc(const Sstring& nci);
  int CreateLink(const Sstring& nci, const Sstring& name1, const Sstring& name2, unsigned vpi,
                 unsigned vci);
  int RemoveLink(const Sstring& nci, const Sstring& name1, const Sstring& name2);
  int CreateDc(const Sstring& dci, const Sstring& beginApp, const Sstring& endApp);
  int RemoveDc(const Sstring& dci);
  // The VCC identifiers (keys holding "Status") and DC identifiers (keys
  // holding "Begin application name"), in table order.
  std::vector<Sstring> VccIds() const;
  std::vector<Sstring> DcIds() const;

  // Run support.
  // Starts every layer and queueing system, blocks newest first.
  void StartAll();
  // Flushes every statistics file the run opened, so that the files are
  // complete once the run is over (the layers keep them open until they end).
  // A file that could not take all its lines (a full disk) is reported, one
  // console line each. Returns 1.
  int FinishAll();
  // Resolves, once per run, which blocks events can reach (those with
  // neighbour lists) and forgets routes cached by the previous run.
  void PrepareRun();
  // The wired block of that name for event delivery, or null.
  Block* RoutableBlock(Name name) const {
    return name.id() < routable_.size() ? routable_[name.id()] : nullptr;
  }
  // The one component an event from `source` to (block, layer) reaches in
  // this run, or null when routing reaches none or more than one.
  Component* SoleHandler(Name block, Name layer, Name source) const;
  // Registers a file name opened by this run; false when already taken.
  bool ClaimRunFile(const std::string& path) { return runFiles_.insert(path).second; }
  // The periodic log lines this run may still write.
  LogLineBudget& LogLines() { return logLines_; }
  // Remembers a file opened for this run, to flush it when the run ends.
  void AddRunStream(std::ostream* f, const std::string& path) {
    runStreams_.emplace_back(f, path);
    runFileNames_.push_back(path);
  }
  // The files the layers and queues opened in this run, in opening order
  // (kept after FinishAll, for the run record).
  const std::vector<std::string>& RunFileNames() const { return runFileNames_; }

 protected:
  void Changed(const Sstring& key) override { freeVccs_.Touch(key); }

 private:
  // 0, with a reason naming the two blocks unless the model gave one.
  int RefuseConnection(const Block& refusing, const Block& peer);
  int RefuseNoVcc(const Block& first, const Block& last, const Sstring& category, double bitRate);
  void RemoveHop(const Sstring& nci, const Sstring& from, const Sstring& to);

  Sstring name_;
  Kernel& kernel_;
  NewestFirstMap<Sstring, std::vector<Block*>> neighbours_;
  // Per block with neighbours: how many of them are of each kind (a block
  // has neighbours of one or two kinds).
  struct KindCount {
    Name kind;
    int count;
  };
  std::unordered_map<Name, std::vector<KindCount>> kindCounts_;
  int& KindCountOf(Name block, Name kind);
  NewestFirstMap<Sstring, std::unique_ptr<Block>> blocks_;
  std::vector<std::pair<Sstring, Sstring>> connections_;
  std::vector<Block*> routable_;  // by name id
  FreeVccIndex freeVccs_;
  std::set<std::string> runFiles_;
  LogLineBudget logLines_;
  std::vector<std::pair<std::ostream*, std::string>> runStreams_;
  std::vector<std::string> runFileNames_;
  std::string refusal_;
};
