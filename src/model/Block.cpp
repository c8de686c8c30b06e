// Block: the component registry and event routing.
#include "model/Block.h"

#include <algorithm>

#include "model/DataKeys.h"
#include "model/Network.h"

const char* const kEquipmentKind = "ATM Equipment";
const char* const kApplicationKind = "ATM Application";

Block::Block(const Sstring& name, const Sstring& kind, Network& network)
    : nameId_(name), kind_(kind), network_(network) {
  SetParamBlockName(name);
}

// Components end with the block; End runs only when a model removes them, so
// destruction just releases them.
Block::~Block() = default;

void Block::Add(std::unique_ptr<Component> component) {
  Component* c = component.get();
  registry_[static_cast<int>(c->GetKind())].Put(c->GetNameId(), std::move(component));
  SetTarget(c->GetNameId(), c->GetKind(), c);
}

int Block::Remove(ComponentKind kind, const Sstring& name) {
  auto& registry = registry_[static_cast<int>(kind)];
  Name id;
  if (!Name::Lookup(name, id)) return 0;  // never interned: no component has it
  auto* slot = registry.Find(id);
  if (!slot) return 0;
  int result = (*slot)->End();
  registry.Erase(id);
  SetTarget(id, kind, nullptr);
  return result;
}

Component* Block::Find(ComponentKind kind, const Sstring& name) const {
  Name id;
  if (!Name::Lookup(name, id)) return nullptr;
  auto* slot = registry_[static_cast<int>(kind)].Find(id);
  return slot ? slot->get() : nullptr;
}

int Block::ListNames(ComponentKind kind, std::vector<Sstring>& names) const {
  const auto& registry = registry_[static_cast<int>(kind)];
  if (registry.Empty()) return 0;
  names.clear();
  names.reserve(registry.Size());
  registry.ForEach([&](Name n, const std::unique_ptr<Component>&) { names.push_back(n.str()); });
  return 1;
}

void Block::StartComponents() {
  for (const auto& registry : registry_)
    registry.ForEach([](Name, const std::unique_ptr<Component>& c) { c->Start(); });
}

namespace {
// Name id -> dense number of that name as a component name (-1: none).
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

// A block holds at most one component per (name, kind), so adding or
// removing one changes exactly one entry; routes cached from the sender's
// side may name the layer that went, so they are dropped.
void Block::SetTarget(Name name, ComponentKind kind, Component* c) {
  size_t i = static_cast<size_t>(TargetNumber(name, true));
  if (i >= targets_.size()) {
    // Grown by a quarter, not doubled: most blocks hold a few components
    // whose numbers lie close together.
    if (i >= targets_.capacity())
      targets_.reserve(std::max(i + 1, targets_.capacity() + targets_.capacity() / 4));
    targets_.resize(i + 1);
  }
  targets_[i].of[static_cast<int>(kind)] = c;
  dlnCache_.clear();
}

const Block::Target* Block::TargetOf(Name name) const {
  int i = TargetNumber(name, false);
  return i >= 0 && static_cast<size_t>(i) < targets_.size() ? &targets_[static_cast<size_t>(i)]
                                                            : nullptr;
}

Layer* Block::LayerFacing(Name sender) {
  auto it = dlnCache_.find(sender.id());
  if (it != dlnCache_.end()) return it->second;
  Sstring layerName;
  Layer* layer = nullptr;
  if (PeekData(datakey::kDLN, sender.str(), layerName)) layer = FindLayer(layerName);
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
  for (Component* c : t->of)
    if (c) result = c->HandleEvent(e);
  return result;
}

Component* Block::SoleHandler(Name layer, Name source) {
  if (layer == Word::UNKNOW) return LayerFacing(source);
  const Target* t = TargetOf(layer);
  if (!t) return nullptr;
  Component* const* of = t->of;
  return of[0] && of[1] ? nullptr : of[0] ? of[0] : of[1];
}

void Block::ResetRoutes() {
  dlnCache_.clear();
  for (const auto& registry : registry_)
    registry.ForEach(
        [](Name, const std::unique_ptr<Component>& c) { c->ForgetHandlers(); });
}

Component* ATMApplication::SoleHandler(Name layer, Name) {
  const Target* t = TargetOf(layer);
  return t ? t->of[static_cast<int>(ComponentKind::Layer)] : nullptr;
}

int ATMApplication::RouteEvent(Event& e) {
  const Target* t = TargetOf(e.destinationLayer);
  Component* layer = t ? t->of[static_cast<int>(ComponentKind::Layer)] : nullptr;
  return layer ? layer->HandleEvent(e) : 0;
}
