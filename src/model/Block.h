// Block: one element of a network - equipment (terminal, switch) or an
// application. A block is a parameter set and a data table, and it owns its
// layers and queueing systems by name (registries list newest first). It
// routes every event addressed to it to the layer or queueing system named.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/DataTable.h"
#include "core/NewestFirstMap.h"
#include "core/Param.h"
#include "model/Layer.h"

class Network;
class QueueingSystem;

extern const char* const kEquipmentKind;    // "ATM Equipment"
extern const char* const kApplicationKind;  // "ATM Application"

class Block : public Param, public DataTable {
 public:
  Block(const Sstring& name, const Sstring& kind, Network& network);
  ~Block() override;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  const Sstring& GetName() const { return name_; }
  Name GetNameId() const { return nameId_; }
  const Sstring& GetKind() const { return kind_; }
  bool IsEquipment() const { return kind_ == kEquipmentKind; }
  Network& GetNetwork() const { return network_; }

  // What each block model supplies.
  virtual Sstring GetModel() const = 0;
  virtual int CreateLayers() = 0;
  virtual int ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                               const Sstring& phyType) = 0;
  virtual int DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int count) = 0;
  virtual int RemoveLayers() = 0;
  virtual int CreateLayer(const Sstring& name, const Sstring& type) = 0;
  virtual int RemoveLayer(const Sstring& name);
  virtual int CreateQS(const Sstring& name);
  virtual int RemoveQS(const Sstring& name);
  // Delivers an event: "UNKNOW" destinations go to the layer facing the
  // sender (equipment only), others to the layer and then the queueing system
  // of that name. The result of the last call made, 0 when nobody took it.
  virtual int RouteEvent(Event& e);

  // Layer registry.
  int StartLayer(const Sstring& name);
  int SendToLayer(const Sstring& name, Event& e);
  int EndLayer(const Sstring& name);
  int HasLayer(const Sstring& name) const { return layers_.Contains(name) ? 1 : 0; }
  int ListLayers(std::vector<Sstring>& names) const;
  Layer* FindLayer(const Sstring& name) const;

  // Queueing-system registry (an application never holds one).
  int StartQS(const Sstring& name);
  int SendToQS(const Sstring& name, Event& e);
  int EndQS(const Sstring& name);
  int HasQS(const Sstring& name) const { return qss_.Contains(name) ? 1 : 0; }
  int ListQSs(std::vector<Sstring>& names) const;
  QueueingSystem* FindQS(const Sstring& name) const;

  // The queueing system named by the data-table entry (key, name), or null.
  QueueingSystem* TableQS(const Sstring& key, const Sstring& name);
  int TableQSPut(const Sstring& key, const Sstring& name, Cell& cell, double t, int& result);
  int TableQSServe(const Sstring& key, const Sstring& name, Cell& cell, double t, int& result);
  int TableQSBuffered(const Sstring& key, const Sstring& name, unsigned& count);
  int TableQSInServer(const Sstring& key, const Sstring& name, unsigned& count);
  int TableQSInSystem(const Sstring& key, const Sstring& name, unsigned& count);
  int TableQSCounts(const Sstring& key, const Sstring& name, unsigned& total, unsigned& buffered,
                    unsigned& inServer);

  // Forgets the routes resolved during the previous run (called at run start).
  void ResetRoutes() { dlnCache_.clear(); }

 protected:
  struct Target {
    Layer* layer = nullptr;
    QueueingSystem* qs = nullptr;
  };
  // The layer and queueing system named, or null when the block has neither.
  const Target* TargetOf(Name layer) const;
  // Stores a layer under its name, replacing one held there.
  void AddLayer(std::unique_ptr<Layer> layer);
  // AddLayer for a layer a factory may not have made: 1 when it was, else 0.
  int AddMadeLayer(std::unique_ptr<Layer> layer) {
    if (!layer) return 0;
    AddLayer(std::move(layer));
    return 1;
  }
  void AddQS(std::unique_ptr<QueueingSystem> qs);

 private:
  void RebuildTargets();
  Layer* LayerFacing(Name sender);
  // Calls f on the queueing system named by (key, name); 0 when there is none.
  template <class F>
  int WithTableQS(const Sstring& key, const Sstring& name, F&& f) {
    QueueingSystem* q = TableQS(key, name);
    if (!q) return 0;
    f(*q);
    return 1;
  }

  Sstring name_;
  Name nameId_;
  Sstring kind_;
  Network& network_;
  NewestFirstMap<Sstring, std::unique_ptr<Layer>> layers_;
  NewestFirstMap<Sstring, std::unique_ptr<QueueingSystem>> qss_;
  // Layers and queues by the dense number of their name among all layer and
  // queue names (few and shared by every block), so that delivering an
  // event is two array reads.
  std::vector<Target> targets_;
  std::unordered_map<uint32_t, Layer*> dlnCache_;      // sender -> facing layer
};

// Equipment blocks (terminals and switches).
class ATMEquipment : public Block {
 public:
  ATMEquipment(const Sstring& name, Network& network) : Block(name, kEquipmentKind, network) {}
};

// Application blocks: layers only; every queueing-system operation answers 0.
class ATMApplication : public Block {
 public:
  ATMApplication(const Sstring& name, Network& network)
      : Block(name, kApplicationKind, network) {}
  int CreateQS(const Sstring&) override { return 0; }
  int RemoveQS(const Sstring&) override { return 0; }
  // Applications do not resolve "UNKNOW".
  int RouteEvent(Event& e) override;
};
