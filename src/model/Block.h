// Block: one element of a network - equipment (terminal, switch) or an
// application. A block is a parameter set and a data table, and it owns its
// components - layers and queueing systems - in one registry, each kind
// listed newest first. It routes every event addressed to it to the
// components named.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/DataTable.h"
#include "core/NewestFirstMap.h"
#include "core/Param.h"
#include "model/Layer.h"

class Network;

extern const char* const kEquipmentKind;    // "ATM Equipment"
extern const char* const kApplicationKind;  // "ATM Application"

class Block : public Param, public DataTable {
 public:
  Block(const Sstring& name, const Sstring& kind, Network& network);
  ~Block() override;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  const Sstring& GetName() const { return nameId_.str(); }
  Name GetNameId() const { return nameId_; }
  const Sstring& GetKind() const { return kind_.str(); }
  Name GetKindId() const { return kind_; }
  bool IsEquipment() const { return kind_.str() == kEquipmentKind; }
  Network& GetNetwork() const { return network_; }

  // What each block model supplies.
  virtual Sstring GetModel() const = 0;
  virtual int CreateLayers() = 0;
  virtual int ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                               const Sstring& phyType) = 0;
  virtual int DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int count) = 0;
  virtual int CreateLayer(const Sstring& name, const Sstring& type) = 0;

  // Delivers an event: "UNKNOW" destinations go to the layer facing the
  // sender (equipment only), others to the layer and then the queueing system
  // of that name. The result of the last call made, 0 when nobody took it.
  virtual int RouteEvent(Event& e);
  // The one component RouteEvent would hand an event to `layer` from the
  // block `source`, or null when it would hand it to none or to two.
  virtual Component* SoleHandler(Name layer, Name source);

  // The component registry. A missing name gives null, 0 or no names.
  Component* Find(ComponentKind kind, const Sstring& name) const;
  Layer* FindLayer(const Sstring& name) const {
    return static_cast<Layer*>(Find(ComponentKind::Layer, name));
  }
  Component* FindQS(const Sstring& name) const { return Find(ComponentKind::QueueingSystem, name); }
  int HasLayer(const Sstring& name) const { return FindLayer(name) ? 1 : 0; }
  int HasQS(const Sstring& name) const { return FindQS(name) ? 1 : 0; }
  // Ends and removes the component; its End's result, 0 when there is none.
  int Remove(ComponentKind kind, const Sstring& name);
  int RemoveLayer(const Sstring& name) { return Remove(ComponentKind::Layer, name); }
  int RemoveQS(const Sstring& name) { return Remove(ComponentKind::QueueingSystem, name); }
  // The names of one kind, newest first; 0 when there is none.
  int ListNames(ComponentKind kind, std::vector<Sstring>& names) const;
  int ListLayers(std::vector<Sstring>& names) const {
    return ListNames(ComponentKind::Layer, names);
  }
  int ListQSs(std::vector<Sstring>& names) const {
    return ListNames(ComponentKind::QueueingSystem, names);
  }
  // Calls f(Component&) on every component of one kind, newest first.
  template <class F>
  void ForEach(ComponentKind kind, F&& f) const {
    registry_[static_cast<int>(kind)].ForEach(
        [&](Name, const std::unique_ptr<Component>& c) { f(*c); });
  }
  // Starts the layers, then the queueing systems, each newest first.
  void StartComponents();

  // Forgets the routes resolved during the previous run, its own and its
  // components' (called at run start).
  void ResetRoutes();

 protected:
  // Stores a component under its kind and name, replacing one held there.
  void Add(std::unique_ptr<Component> component);
  // Add for a layer a factory may not have made: 1 when it was, else 0.
  int AddMadeLayer(std::unique_ptr<Layer> layer) {
    if (!layer) return 0;
    Add(std::move(layer));
    return 1;
  }
  // The components of that name, by kind (null where there is none), or
  // null when no component of the block has the name.
  struct Target {
    Component* of[kComponentKinds] = {};
  };
  const Target* TargetOf(Name name) const;

 private:
  void SetTarget(Name name, ComponentKind kind, Component* c);
  Layer* LayerFacing(Name sender);

  Name nameId_;  // the name, interned: its text is kept once
  Name kind_;  // one of two kind words
  Network& network_;
  // By interned name: a component keeps its name, so the registry need not.
  NewestFirstMap<Name, std::unique_ptr<Component>> registry_[kComponentKinds];
  // Components by the dense number of their name among all component names
  // (few and shared by every block), so that delivering an event is two
  // array reads.
  std::vector<Target> targets_;
  std::unordered_map<uint32_t, Layer*> dlnCache_;  // sender -> facing layer
};

// Equipment blocks (terminals and switches).
class ATMEquipment : public Block {
 public:
  ATMEquipment(const Sstring& name, Network& network) : Block(name, kEquipmentKind, network) {}
};

// Application blocks: layers only.
class ATMApplication : public Block {
 public:
  ATMApplication(const Sstring& name, Network& network)
      : Block(name, kApplicationKind, network) {}
  // Applications do not resolve "UNKNOW".
  int RouteEvent(Event& e) override;
  Component* SoleHandler(Name layer, Name source) override;
};
