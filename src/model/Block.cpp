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

namespace {
// Name id -> dense number of that name as a layer or queue name (-1: none).
std::vector<int>& TargetNumbers() {
  static std::vector<int> numbers;
  return numbers;
}
int TargetNumber(Name n, bool assign) {
  static int next = 0;
  std::vector<int>& numbers = TargetNumbers();
  if (n.id() >= numbers.size()) {
    if (!assign) return -1;
    numbers.resize(n.id() + 1, -1);
  }
  if (numbers[n.id()] < 0 && assign) numbers[n.id()] = next++;
  return numbers[n.id()];
}
}  // namespace

void Block::RebuildTargets() {
  targets_.clear();
  dlnCache_.clear();
  auto slot = [&](Name n) -> Target& {
    size_t i = static_cast<size_t>(TargetNumber(n, true));
    if (i >= targets_.size()) targets_.resize(i + 1);
    return targets_[i];
  };
  layers_.ForEach([&](const Sstring&, const std::unique_ptr<Layer>& l) {
    slot(l->GetNameId()).layer = l.get();
  });
  qss_.ForEach([&](const Sstring&, const std::unique_ptr<QueueingSystem>& q) {
    slot(q->GetNameId()).qs = q.get();
  });
}

const Block::Target* Block::TargetOf(Name layer) const {
  int i = TargetNumber(layer, false);
  return i >= 0 && static_cast<size_t>(i) < targets_.size() ? &targets_[static_cast<size_t>(i)]
                                                            : nullptr;
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
  const Target* t = TargetOf(e.destinationLayer);
  if (!t) return 0;
  int result = 0;
  if (t->layer) result = t->layer->HandleEvent(e);
  if (t->qs) result = t->qs->HandleEvent(e);
  return result;
}

int ATMApplication::RouteEvent(Event& e) {
  const Target* t = TargetOf(e.destinationLayer);
  return t && t->layer ? t->layer->HandleEvent(e) : 0;
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
