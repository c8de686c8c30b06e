// VCCs, links and data connections: their records in the network's table and
// the per-connection entries in the tables of the blocks they cross.
#include "model/DataKeys.h"
#include "model/Network.h"
#include "model/VccRecord.h"

using namespace datakey;

namespace {
// The blocks of a VCC's path in order; empty when the record has none.
std::vector<Sstring> PathOf(const VccRecord& vcc) {
  std::vector<Sstring> path;
  const short n = vcc.BlockCount();
  for (int i = 1; i <= n; ++i) path.push_back(vcc.Block(i));
  return path;
}
}  // namespace

int Network::CreateVcc(const Sstring& nci, const Sstring& category, double bandwidth,
                       const Sstring& firstBlock) {
  PutData(nci, kStatus, Sstring("EMPTY"));
  PutData(nci, kCategory, category);
  PutData(nci, kBandwidth, bandwidth);
  PutData(nci, VccBlockEntry(1), firstBlock);
  PutData(nci, kNumberOfBlocks, short(1));
  PutData(nci, kNumberOfLinks, short(0));
  return 1;
}

int Network::ConnectVccBlock(const Sstring& nci, const Sstring& newBlock, const Sstring& keyBlock) {
  Block* added = FindBlock(newBlock);
  Block* key = FindBlock(keyBlock);
  if (!added || !key || !added->IsEquipment() || !key->IsEquipment()) return 0;
  if (!AreNeighbours(keyBlock, newBlock) || !HasKey(nci)) return 0;
  short n = 0;
  GetData(nci, kNumberOfBlocks, n);
  ++n;
  PutData(nci, kNumberOfBlocks, n);
  PutData(nci, VccBlockEntry(n), newBlock);
  Sstring category, outPort, inPort;
  GetData(nci, kCategory, category);
  if (!key->GetData(kDLN, newBlock, outPort) || !added->GetData(kDLN, keyBlock, inPort)) return 0;
  key->PutData(nci, kOutputPort, outPort);
  added->PutData(nci, kInputPort, inPort);
  key->PutData(nci, kCategory, category);
  added->PutData(nci, kCategory, category);
  return 1;
}

// Deletes the entries one hop of a VCC wrote into its two blocks.
void Network::RemoveHop(const Sstring& nci, const Sstring& from, const Sstring& to) {
  if (Block* b = FindBlock(from)) b->DelData(nci, kOutputPort);
  if (Block* b = FindBlock(to)) {
    b->DelData(nci, kInputPort);
    b->DelData(nci, kCategory);
  }
}

// The old block leaves the VCC together with every block after it: the path
// is cut where the old block joined it. The key block must be the block the
// old one was added after (not checked for the first block). Links that touch
// a block leaving the VCC are removed with it.
int Network::DisconnectVccBlock(const Sstring& nci, const Sstring& oldBlock,
                                const Sstring& keyBlock) {
  const VccRecord vcc(*this, nci);
  short count = 0;
  if (!HasKey(nci) || !vcc.BlockCount(count)) return 0;
  const std::vector<Sstring> path = PathOf(vcc);
  int pos = 0;
  for (size_t i = 0; i < path.size(); ++i)
    if (path[i] == oldBlock) {
      pos = static_cast<int>(i) + 1;
      break;
    }
  if (pos == 0) return 0;
  if (pos > 1 && path[static_cast<size_t>(pos - 2)] != keyBlock) return 0;
  auto leaving = [&](const Sstring& b) {
    for (size_t i = static_cast<size_t>(pos - 1); i < path.size(); ++i)
      if (path[i] == b) return true;
    return false;
  };
  for (int j = vcc.LinkCount(); j >= 1; --j) {
    Sstring begin, end;
    if (vcc.LinkEnds(j, begin, end) && (leaving(begin) || leaving(end)))
      RemoveLink(nci, begin, end);
  }
  int n = static_cast<int>(path.size());
  for (int k = n; k >= pos; --k) {
    if (k >= 2) RemoveHop(nci, path[static_cast<size_t>(k - 2)], path[static_cast<size_t>(k - 1)]);
    if (Block* b = FindBlock(path[static_cast<size_t>(k - 1)])) {
      b->DelData(nci, kOutputPort);
      b->DelData(nci, kCategory);
    }
    DelData(nci, VccBlockEntry(k));
  }
  // The block left at the head of the path keeps its category only while it
  // still has a hop of this VCC.
  if (pos == 2)
    if (Block* b = FindBlock(path[0])) b->DelData(nci, kCategory);
  if (pos > 1) PutData(nci, kNumberOfBlocks, static_cast<short>(pos - 1));
  else DelData(nci, kNumberOfBlocks);
  return 1;
}

// Only keys that hold a VCC record are VCCs: "Interfaces" or a DC key is not.
int Network::RemoveVcc(const Sstring& nci) {
  if (!Peek(nci, kStatus)) return 0;
  const VccRecord vcc(*this, nci);
  for (int j = vcc.LinkCount(); j >= 1; --j) {
    Sstring begin, end;
    if (vcc.LinkEnds(j, begin, end)) RemoveLink(nci, begin, end);
  }
  for (const Sstring& name : PathOf(vcc))
    if (Block* b = FindBlock(name)) {
      b->DelData(nci, kOutputPort);
      b->DelData(nci, kInputPort);
      b->DelData(nci, kCategory);
    }
  DelKey(nci);
  return 1;
}

// Both blocks must lie on the VCC and exist, so that the labels land in
// tables that a run reads.
int Network::CreateLink(const Sstring& nci, const Sstring& name1, const Sstring& name2,
                        unsigned vpi, unsigned vci) {
  Block* b1 = FindBlock(name1);
  Block* b2 = FindBlock(name2);
  const VccRecord vcc(*this, nci);
  if (!vcc.OnPath(name1) || !vcc.OnPath(name2) || !b1 || !b2) return 0;
  short j = 0;
  GetData(nci, kNumberOfLinks, j);
  ++j;
  PutData(nci, kNumberOfLinks, j);
  PutData(nci, VccLinkEntry(j, LinkPart::Begin), name1);
  PutData(nci, VccLinkEntry(j, LinkPart::End), name2);
  PutData(nci, VccLinkEntry(j, LinkPart::Vpi), vpi);
  PutData(nci, VccLinkEntry(j, LinkPart::Vci), vci);
  b1->PutData(nci, kOutputVpi, vpi);
  b1->PutData(nci, kOutputVci, vci);
  b2->PutData(nci, kInputVpi, vpi);
  b2->PutData(nci, kInputVci, vci);
  return 1;
}

// The links above the removed one move down by one, so links 1 .. "Number of
// links" always all exist.
int Network::RemoveLink(const Sstring& nci, const Sstring& name1, const Sstring& name2) {
  const VccRecord vcc(*this, nci);
  if (!vcc.OnPath(name1) || !vcc.OnPath(name2)) return 0;
  const short m = vcc.LinkCount();
  int found = 0;
  for (int j = 1; j <= m && !found; ++j) {
    Sstring b, e;
    if (vcc.LinkEnds(j, b, e) && b == name1 && e == name2) found = j;
  }
  if (!found) return 0;
  if (Block* b = FindBlock(name1)) {
    b->DelData(nci, kOutputVpi);
    b->DelData(nci, kOutputVci);
  }
  if (Block* b = FindBlock(name2)) {
    b->DelData(nci, kInputVpi);
    b->DelData(nci, kInputVci);
  }
  for (int j = found; j < m; ++j)
    for (LinkPart part : kLinkParts)
      if (const Scalar* next = Peek(nci, VccLinkEntry(j + 1, part))) {
        Scalar copy = *next;
        std::visit([&](const auto& v) { PutData(nci, VccLinkEntry(j, part), v); }, copy);
      }
  for (LinkPart part : kLinkParts) DelData(nci, VccLinkEntry(m, part));
  if (m > 1) PutData(nci, kNumberOfLinks, static_cast<short>(m - 1));
  else DelData(nci, kNumberOfLinks);
  return 1;
}

int Network::CreateDc(const Sstring& dci, const Sstring& beginApp, const Sstring& endApp) {
  Block* sender = FindBlock(beginApp);
  Block* receiver = FindBlock(endApp);
  if (!sender || !receiver) return 0;
  Sstring source;
  sender->GetParam("Traffic source", source);
  Layer* sourceLayer = sender->FindLayer(source + "_TS");
  Sstring category, aal;
  double bitRate = 0;
  if (!sourceLayer || !sourceLayer->GetParam(kCategory, category) ||
      !sourceLayer->GetParam("ATM adaptation layer", aal))
    return 0;
  const auto* senderPeers = Neighbours(beginApp);
  const auto* receiverPeers = Neighbours(endApp);
  if (!senderPeers || senderPeers->empty() || !receiverPeers || receiverPeers->empty()) return 0;
  Block* first = senderPeers->front();
  Block* last = receiverPeers->front();
  if (!first->HasLayer(aal) || !last->HasLayer(aal)) return 0;
  if (!sourceLayer->GetParam("Bit rate", bitRate)) return 0;

  const Sstring* free = freeVccs_.Find(*this, first->GetName(), last->GetName(), category, bitRate);
  if (!free) return 0;
  const Sstring chosen = *free;
  auto endpoint = [&](Block* app, const Sstring& direction) {
    app->PutData(dci, kNCI, chosen);
    app->PutData(dci, kDirection, direction);
    app->PutData(dci, kBandwidth, bitRate);
    app->PutData(dci, kCategory, category);
  };
  endpoint(sender, kOutput);
  first->PutData(dci, kNCI, chosen);
  last->PutData(dci, kNCI, chosen);
  last->PutData(dci, kAalLayer, aal);
  last->PutData(dci, kEndApplication, endApp);
  endpoint(receiver, kInput);
  PutData(chosen, kStatus, Sstring("BUSY"));
  PutData(dci, kNCI, chosen);
  PutData(dci, kBeginApplication, beginApp);
  PutData(dci, kEndApplication, endApp);
  PutData(dci, kBeginBlock, first->GetName());
  PutData(dci, kEndBlock, last->GetName());
  PutData(dci, kBandwidth, bitRate);
  PutData(dci, kCategory, category);
  return 1;
}

// Only keys that hold a DC record are DCs.
int Network::RemoveDc(const Sstring& dci) {
  Sstring nci, beginApp, endApp, beginBlock, endBlock;
  if (!PeekData(dci, kBeginApplication, beginApp)) return 0;
  PeekData(dci, kNCI, nci);
  PeekData(dci, kEndApplication, endApp);
  PeekData(dci, kBeginBlock, beginBlock);
  PeekData(dci, kEndBlock, endBlock);
  for (const Sstring& app : {beginApp, endApp})
    if (Block* b = FindBlock(app))
      for (const Sstring* n : {&kNCI, &kDirection, &kBandwidth, &kCategory}) b->DelData(dci, *n);
  if (Block* b = FindBlock(beginBlock)) b->DelData(dci, kNCI);
  if (Block* b = FindBlock(endBlock))
    for (const Sstring* n : {&kNCI, &kAalLayer, &kEndApplication}) b->DelData(dci, *n);
  if (Peek(nci, kStatus)) PutData(nci, kStatus, Sstring("EMPTY"));
  for (const Sstring* n : {&kNCI, &kBeginApplication, &kEndApplication, &kBeginBlock, &kEndBlock,
                           &kBandwidth, &kCategory})
    DelData(dci, *n);
  return 1;
}
