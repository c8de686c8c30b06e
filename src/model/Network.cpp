// Network: block registry, wiring of blocks and run support.
#include "model/Network.h"

#include <algorithm>
#include <ostream>

#include "core/NameHint.h"
#include "model/BlockModels.h"
#include "model/DataKeys.h"
#include "model/Kernel.h"
#include "model/RunFiles.h"
#include "model/VccRecord.h"

namespace {
const ParamTable<NetworkSettings>& NetworkRows() {
  static const ParamTable<NetworkSettings> rows = {
      {"Simulation log status", "OFF", "Kernel file log status", &NetworkSettings::logStatus},
      {"Performance log status", "ON", "Kernel performance file log status",
       &NetworkSettings::perfStatus},
      {"Path", "C:\\", "Path", &NetworkSettings::path},
  };
  return rows;
}
}  // namespace

Network::Network(const Sstring& name, Kernel& kernel) : name_(name), kernel_(kernel) {
  SetParamBlockName("Network");
  DeclareParameters(*this, NetworkRows());
}

NetworkSettings Network::Settings() const {
  NetworkSettings s;
  LoadParameters(*this, NetworkRows(), s);
  return s;
}

std::vector<ParameterInfo> Network::DescribeParameters() {
  return ::DescribeParameters(NetworkRows());
}

// Blocks go before the neighbour lists that point at them.
Network::~Network() {
  neighbours_.Clear();
  kindCounts_.clear();
  blocks_.Clear();
}

EventPriorityQueue& Network::Queue() const { return kernel_.Queue(); }

namespace {
std::vector<std::string> Texts(const std::vector<Sstring>& names) {
  std::vector<std::string> v;
  for (const Sstring& n : names) v.push_back(n.str());
  return v;
}
}  // namespace

int Network::Refuse(std::string reason) {
  refusal_ = std::move(reason);
  return 0;
}

std::string Network::BlockHint(const Sstring& typed) const {
  std::vector<std::string> names;
  ForEachBlock([&](const Block& b) { names.push_back(b.GetName().str()); });
  return NameHint(typed.str(), names, "blocks of network " + Quoted(name_.str()));
}

std::string Network::VccHint(const Sstring& typed) const {
  return NameHint(typed.str(), Texts(VccIds()), "VCCs of network " + Quoted(name_.str()));
}

std::string Network::DcHint(const Sstring& typed) const {
  return NameHint(typed.str(), Texts(DcIds()), "DCs of network " + Quoted(name_.str()));
}

int Network::RefuseUnknownBlock(const Sstring& name) {
  return Refuse("no block " + Quoted(name.str()) + " in network " + Quoted(name_.str()) +
                BlockHint(name));
}

Block* Network::FindBlock(const Sstring& name) const {
  auto* slot = blocks_.Find(name);
  return slot ? slot->get() : nullptr;
}

int Network::CreateBlock(const Sstring& name, const Sstring& model, const Sstring&) {
  if (blocks_.Contains(name))
    return Refuse("network " + Quoted(name_.str()) + " already has a block " +
                  Quoted(name.str()) + " (model " + Quoted(FindBlock(name)->GetModel()) + ")");
  std::unique_ptr<Block> block = MakeBlock(model, name, *this);
  if (!block) {
    const std::vector<std::string> models = BlockModelNames();
    const std::string close = ClosestName(model.str(), models);
    return Refuse("no block model " + Quoted(model.str()) +
                  (close.empty() ? "" : "; did you mean " + Quoted(close) + "?") +
                  " (the models are " + QuotedList(models) + ")");
  }
  Block& b = *block;
  blocks_.Put(name, std::move(block));
  if (b.CreateLayers()) return 1;
  return Refuse("the " + model.str() + " model could not make the layers of " + Quoted(name.str()));
}

int Network::CanRemoveBlock(const Sstring& name) const {
  for (const Sstring& nci : VccIds())
    if (VccRecord(*this, nci).OnPath(name)) return 0;
  for (const Sstring& dci : DcIds()) {
    Sstring app;
    if (PeekData(dci, datakey::kBeginApplication, app) && app == name) return 0;
    if (PeekData(dci, datakey::kEndApplication, app) && app == name) return 0;
  }
  return 1;
}

int Network::RemoveBlock(const Sstring& name) {
  if (!blocks_.Contains(name)) return RefuseUnknownBlock(name);
  if (CanRemoveBlock(name) != 1) {
    for (const Sstring& nci : VccIds())
      if (VccRecord(*this, nci).OnPath(name))
        return Refuse("block " + Quoted(name.str()) + " lies on VCC " + Quoted(nci.str()) +
                      "; remove the VCC (or take the block out of it) first");
    for (const Sstring& dci : DcIds()) {
      Sstring begin, end;
      PeekData(dci, datakey::kBeginApplication, begin);
      PeekData(dci, datakey::kEndApplication, end);
      if (begin == name || end == name)
        return Refuse("block " + Quoted(name.str()) + " is an application of DC " +
                      Quoted(dci.str()) + "; remove the DC first");
    }
    return 0;
  }
  // A block that was never wired, or whose peers have all gone, has nothing
  // to undo (and a refusal must not leave its empty list of peers erased).
  if (NumberOfNeighbours(name) > 0 && DisconnectBlock(name) != 1) return 0;
  neighbours_.Erase(name);
  blocks_.Erase(name);
  return 1;
}

int Network::NumberOfNeighbours(const Sstring& name) const {
  const auto* list = neighbours_.Find(name);
  return list ? static_cast<int>(list->size()) : 0;
}

int Network::CountNeighboursOfKind(const Sstring& name, const Sstring& kind) const {
  Name block, k;
  if (!Name::Lookup(name, block) || !Name::Lookup(kind, k)) return 0;
  auto counts = kindCounts_.find(block);
  if (counts == kindCounts_.end()) return 0;
  for (const KindCount& c : counts->second)
    if (c.kind == k) return c.count;
  return 0;
}

int& Network::KindCountOf(Name block, Name kind) {
  std::vector<KindCount>& counts = kindCounts_[block];
  for (KindCount& c : counts)
    if (c.kind == kind) return c.count;
  counts.push_back({kind, 0});
  return counts.back().count;
}

// Either list holds the other block exactly when the two are wired, so the
// shorter one is searched (a switch may have thousands of neighbours).
int Network::AreNeighbours(const Sstring& name1, const Sstring& name2) const {
  const auto* list1 = neighbours_.Find(name1);
  const auto* list2 = neighbours_.Find(name2);
  if (!list1 || !list2) return 0;
  const bool second = list2->size() <= list1->size();
  const std::vector<Block*>& list = second ? *list2 : *list1;
  const Sstring& other = second ? name1 : name2;
  return std::any_of(list.begin(), list.end(), [&](Block* b) { return b->GetName() == other; })
             ? 1
             : 0;
}

int Network::ConnectBlock(const Sstring& name1, const Sstring& name2, const Sstring& interface) {
  Block* b1 = FindBlock(name1);
  Block* b2 = FindBlock(name2);
  if (!b1) return RefuseUnknownBlock(name1);
  if (!b2) return RefuseUnknownBlock(name2);
  refusal_.clear();
  short count1 = static_cast<short>(CountNeighboursOfKind(name1, b2->GetKind()));
  if (b1->ConnectInterface(name2, b2->GetKind(), count1, interface) != 1)
    return RefuseConnection(*b1, *b2);
  short count2 = static_cast<short>(CountNeighboursOfKind(name2, b1->GetKind()));
  if (b2->ConnectInterface(name1, b1->GetKind(), count2, interface) == 0) {
    const std::string why = TakeRefusal();
    b1->DisconnectInterface(name2, b2->GetKind(), count1);
    refusal_ = why;
    return RefuseConnection(*b2, *b1);
  }
  neighbours_.GetOrInsert(name1).push_back(b2);
  neighbours_.GetOrInsert(name2).push_back(b1);
  ++KindCountOf(b1->GetNameId(), b2->GetKindId());
  ++KindCountOf(b2->GetNameId(), b1->GetKindId());
  connections_.emplace_back(name1, name2);
  PutData(datakey::kInterfaces, "Interface_" + name1 + "_" + name2, interface);
  return 1;
}

int Network::RefuseConnection(const Block& refusing, const Block& peer) {
  if (!refusal_.empty()) return 0;  // the model said why
  return Refuse(Quoted(refusing.GetName().str()) + " (" + refusing.GetModel().str() +
                ") takes no connection to " + Quoted(peer.GetName().str()) + " (" +
                peer.GetModel().str() + ")");
}

int Network::DisconnectBlock(const Sstring& name) {
  auto* list = neighbours_.Find(name);
  Block* self = FindBlock(name);
  if (!self) return RefuseUnknownBlock(name);
  if (!list || list->empty()) {
    // A block whose peers were all disconnected keeps an empty list; it goes.
    neighbours_.Erase(name);
    return Refuse("block " + Quoted(name.str()) + " is not connected to any block");
  }
  int result = 0;
  std::vector<Block*> peers = *list;
  for (Block* peer : peers) {
    int r1 = peer->DisconnectInterface(name, self->GetKind(),
                                       CountNeighboursOfKind(peer->GetName(), self->GetKind()));
    if (auto* peerList = neighbours_.Find(peer->GetName())) {
      auto gone = std::remove_if(peerList->begin(), peerList->end(),
                                 [&](Block* b) { return b->GetName() == name; });
      KindCountOf(peer->GetNameId(), self->GetKindId()) -=
          static_cast<int>(peerList->end() - gone);
      peerList->erase(gone, peerList->end());
    }
    int r2 = self->DisconnectInterface(peer->GetName(), peer->GetKind(),
                                       CountNeighboursOfKind(name, peer->GetKind()));
    if (r1 != 0 || r2 != 0) result = 1;
  }
  neighbours_.Erase(name);
  kindCounts_.erase(self->GetNameId());
  connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                    [&](const std::pair<Sstring, Sstring>& c) {
                                      return c.first == name || c.second == name;
                                    }),
                     connections_.end());
  if (!result) return Refuse("no interface of " + Quoted(name.str()) + " was there to undo");
  return result;
}

std::vector<Sstring> Network::VccIds() const {
  std::vector<Sstring> ids;
  GetKeys(datakey::kStatus, ids);
  return ids;
}

std::vector<Sstring> Network::DcIds() const {
  std::vector<Sstring> ids;
  GetKeys(datakey::kBeginApplication, ids);
  return ids;
}

void Network::StartAll() {
  ForEachBlock([](Block& b) { b.StartComponents(); });
}

int Network::FinishAll() {
  for (auto& [f, path] : runStreams_) ReportIfIncomplete(*f, path);
  runStreams_.clear();
  return 1;
}

Component* Network::SoleHandler(Name block, Name layer, Name source) const {
  Block* b = RoutableBlock(block);
  return b ? b->SoleHandler(layer, source) : nullptr;
}

void Network::PrepareRun() {
  routable_.assign(Name::Count(), nullptr);
  runFiles_.clear();
  logLines_ = LogLineBudget();
  runStreams_.clear();
  runFileNames_.clear();
  neighbours_.ForEach([&](const Sstring& name, const std::vector<Block*>&) {
    if (Block* b = FindBlock(name)) routable_[b->GetNameId().id()] = b;
  });
  ForEachBlock([](Block& b) { b.ResetRoutes(); });
}
