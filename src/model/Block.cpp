// Block registries, event routing and the table-addressed queue operations.
#include "model/Block.h"

#include "atm/QueueingSystem.h"
#include "model/Network.h"

const char* const kEquipmentKind = "ATM Equipment";
const char* const kApplicationKind = "ATM Application";

Block::Block(const Sstring& name, const Sstring& kind, Network& network)
    : name_(name), nameId_(name), kind_(kind), network_(network) {
  SetTableName(name + "_Table");
  SetParamBlockName(name);
}

// Layers and queues end with the block; End runs only when a model removes
// them, so destruction just releases them.
Block::~Block() = default;

void Block::AddLayer(std::unique_ptr<Layer> layer) {
  Sstring name = layer->GetName();
  layers_.Put(name, std::move(layer));
  RebuildTargets();
}

void Block::AddQS(std::unique_ptr<QueueingSystem> qs) {
  Sstring name = qs->GetName();
  qss_.Put(name, std::move(qs));
  RebuildTargets();
}

int Block::RemoveLayer(const Sstring& name) {
  auto* slot = layers_.Find(name);
  if (!slot) return 0;
  int result = (*slot)->End();
  layers_.Erase(name);
  RebuildTargets();
  return result;
}

int Block::CreateQS(const Sstring& name) {
  AddQS(std::make_unique<QueueingSystem>(name, *this));
  return 1;
}

int Block::RemoveQS(const Sstring& name) {
  auto* slot = qss_.Find(name);
  if (!slot) return 0;
  int result = (*slot)->End();
  qss_.Erase(name);
  RebuildTargets();
  return result;
}

void Block::RebuildTargets() {
  targets_.clear();
  dlnCache_.clear();
  layers_.ForEach([&](const Sstring&, const std::unique_ptr<Layer>& l) {
    targets_[l->GetNameId().id()].layer = l.get();
  });
  qss_.ForEach([&](const Sstring&, const std::unique_ptr<QueueingSystem>& q) {
    targets_[q->GetNameId().id()].qs = q.get();
  });
}

Layer* Block::LayerFacing(Name sender) {
  auto it = dlnCache_.find(sender.id());
  if (it != dlnCache_.end()) return it->second;
  Sstring layerName;
  Layer* layer = nullptr;
  if (PeekData("DLN", sender.str(), layerName)) layer = FindLayer(layerName);
  dlnCache_.emplace(sender.id(), layer);
  return layer;
}

int Block::RouteEvent(Event& e) {
  if (e.destinationLayer == Word::UNKNOW) {
    Layer* l = LayerFacing(e.sourceBlock);
    return l ? l->HandleEvent(e) : 0;
  }
  auto it = targets_.find(e.destinationLayer.id());
  if (it == targets_.end()) return 0;
  int result = 0;
  if (it->second.layer) result = it->second.layer->HandleEvent(e);
  if (it->second.qs) result = it->second.qs->HandleEvent(e);
  return result;
}

int ATMApplication::RouteEvent(Event& e) {
  Layer* l = FindLayer(e.destinationLayer.str());
  return l ? l->HandleEvent(e) : 0;
}

Layer* Block::FindLayer(const Sstring& name) const {
  auto* slot = layers_.Find(name);
  return slot ? slot->get() : nullptr;
}

QueueingSystem* Block::FindQS(const Sstring& name) const {
  auto* slot = qss_.Find(name);
  return slot ? slot->get() : nullptr;
}

int Block::StartLayer(const Sstring& name) {
  Layer* l = FindLayer(name);
  return l ? l->Start() : 0;
}
int Block::SendToLayer(const Sstring& name, Event& e) {
  Layer* l = FindLayer(name);
  return l ? l->HandleEvent(e) : 0;
}
int Block::EndLayer(const Sstring& name) {
  Layer* l = FindLayer(name);
  return l ? l->End() : 0;
}
int Block::StartQS(const Sstring& name) {
  QueueingSystem* q = FindQS(name);
  return q ? q->Start() : 0;
}
int Block::SendToQS(const Sstring& name, Event& e) {
  QueueingSystem* q = FindQS(name);
  return q ? q->HandleEvent(e) : 0;
}
int Block::EndQS(const Sstring& name) {
  QueueingSystem* q = FindQS(name);
  return q ? q->End() : 0;
}

int Block::ListLayers(std::vector<Sstring>& names) const {
  if (layers_.Empty()) return 0;
  names = layers_.Keys();
  return 1;
}
int Block::ListQSs(std::vector<Sstring>& names) const {
  if (qss_.Empty()) return 0;
  names = qss_.Keys();
  return 1;
}

QueueingSystem* Block::TableQS(const Sstring& key, const Sstring& name) {
  Sstring qsName;
  if (!PeekData(key, name, qsName)) return nullptr;
  return FindQS(qsName);
}

int Block::TableQSPut(const Sstring& key, const Sstring& name, Cell& cell, double t,
                      int& result) {
  return WithTableQS(key, name, [&](QueueingSystem& q) { result = q.InsertCell(cell, t); });
}
int Block::TableQSServe(const Sstring& key, const Sstring& name, Cell& cell, double t,
                        int& result) {
  return WithTableQS(key, name, [&](QueueingSystem& q) { result = q.ServeCell(cell, t); });
}
int Block::TableQSBuffered(const Sstring& key, const Sstring& name, unsigned& count) {
  return WithTableQS(key, name, [&](QueueingSystem& q) { count = q.Buffered(); });
}
int Block::TableQSInServer(const Sstring& key, const Sstring& name, unsigned& count) {
  return WithTableQS(key, name, [&](QueueingSystem& q) { count = q.InServer(); });
}
int Block::TableQSInSystem(const Sstring& key, const Sstring& name, unsigned& count) {
  return WithTableQS(key, name, [&](QueueingSystem& q) { count = q.InSystem(); });
}
int Block::TableQSCounts(const Sstring& key, const Sstring& name, unsigned& total,
                         unsigned& buffered, unsigned& inServer) {
  return WithTableQS(key, name, [&](QueueingSystem& q) {
    total = q.InSystem();
    buffered = q.Buffered();
    inServer = q.InServer();
  });
}
