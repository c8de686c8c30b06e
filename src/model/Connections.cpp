// VCCs, links and data connections: their records in the network's table and
// the per-connection entries in the tables of the blocks they cross.
#include <string>

#include "model/Network.h"

namespace {
Sstring Numbered(const char* prefix, int n, const char* suffix = "") {
  return Sstring(std::string(prefix) + std::to_string(n) + suffix);
}
Sstring BlockEntry(int i) { return Numbered("Block_", i); }
Sstring LinkEntry(int j, const char* part) { return Numbered("Link_", j, part); }
const char* const kLinkParts[] = {"_Begin", "_End", "_VPI", "_VCI"};
}  // namespace

int Network::BlocksOfVcc(const Sstring& nci, std::vector<Sstring>& blocks) {
  blocks.clear();
  short n = 0;
  if (!PeekData(nci, "Number of blocks", n)) return 0;
  for (int i = 1; i <= n; ++i) {
    Sstring b;
    PeekData(nci, BlockEntry(i), b);
    blocks.push_back(b);
  }
  return 1;
}

bool Network::OnVccPath(const Sstring& nci, const Sstring& block) {
  std::vector<Sstring> path;
  BlocksOfVcc(nci, path);
  for (const Sstring& b : path)
    if (b == block) return true;
  return false;
}

int Network::CreateVcc(const Sstring& nci, const Sstring& category, double bandwidth,
                       const Sstring& firstBlock) {
  PutData(nci, "Status", Sstring("EMPTY"));
  PutData(nci, "Service categorie", category);
  PutData(nci, "Bandwidth", bandwidth);
  PutData(nci, "Block_1", firstBlock);
  PutData(nci, "Number of blocks", short(1));
  PutData(nci, "Number of links", short(0));
  return 1;
}

int Network::ConnectVccBlock(const Sstring& nci, const Sstring& newBlock, const Sstring& keyBlock) {
  Block* added = FindBlock(newBlock);
  Block* key = FindBlock(keyBlock);
  if (!added || !key || !added->IsEquipment() || !key->IsEquipment()) return 0;
  if (!AreNeighbours(keyBlock, newBlock) || !HasKey(nci)) return 0;
  short n = 0;
  GetData(nci, "Number of blocks", n);
  ++n;
  PutData(nci, "Number of blocks", n);
  PutData(nci, BlockEntry(n), newBlock);
  Sstring category, outPort, inPort;
  GetData(nci, "Service categorie", category);
  if (!key->GetData("DLN", newBlock, outPort) || !added->GetData("DLN", keyBlock, inPort)) return 0;
  key->PutData(nci, "Output port", outPort);
  added->PutData(nci, "Input port", inPort);
  key->PutData(nci, "Service categorie", category);
  added->PutData(nci, "Service categorie", category);
  return 1;
}

// Deletes the entries one hop of a VCC wrote into its two blocks.
void Network::RemoveHop(const Sstring& nci, const Sstring& from, const Sstring& to) {
  if (Block* b = FindBlock(from)) b->DelData(nci, "Output port");
  if (Block* b = FindBlock(to)) {
    b->DelData(nci, "Input port");
    b->DelData(nci, "Service categorie");
  }
}

// The old block leaves the VCC together with every block after it: the path
// is cut where the old block joined it. The key block must be the block the
// old one was added after (not checked for the first block). Links that touch
// a block leaving the VCC are removed with it.
int Network::DisconnectVccBlock(const Sstring& nci, const Sstring& oldBlock,
                                const Sstring& keyBlock) {
  std::vector<Sstring> path;
  if (!HasKey(nci) || !BlocksOfVcc(nci, path)) return 0;
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
  short links = 0;
  PeekData(nci, "Number of links", links);
  for (int j = links; j >= 1; --j) {
    Sstring begin, end;
    if (PeekData(nci, LinkEntry(j, "_Begin"), begin) && PeekData(nci, LinkEntry(j, "_End"), end) &&
        (leaving(begin) || leaving(end)))
      RemoveLink(nci, begin, end);
  }
  int n = static_cast<int>(path.size());
  for (int k = n; k >= pos; --k) {
    if (k >= 2) RemoveHop(nci, path[static_cast<size_t>(k - 2)], path[static_cast<size_t>(k - 1)]);
    if (Block* b = FindBlock(path[static_cast<size_t>(k - 1)])) {
      b->DelData(nci, "Output port");
      b->DelData(nci, "Service categorie");
    }
    DelData(nci, BlockEntry(k));
  }
  // The block left at the head of the path keeps its category only while it
  // still has a hop of this VCC.
  if (pos == 2)
    if (Block* b = FindBlock(path[0])) b->DelData(nci, "Service categorie");
  if (pos > 1) PutData(nci, "Number of blocks", static_cast<short>(pos - 1));
  else DelData(nci, "Number of blocks");
  return 1;
}

// Only keys that hold a VCC record are VCCs: "Interfaces" or a DC key is not.
int Network::RemoveVcc(const Sstring& nci) {
  if (!Peek(nci, "Status")) return 0;
  short links = 0;
  PeekData(nci, "Number of links", links);
  for (int j = links; j >= 1; --j) {
    Sstring begin, end;
    if (PeekData(nci, LinkEntry(j, "_Begin"), begin) && PeekData(nci, LinkEntry(j, "_End"), end))
      RemoveLink(nci, begin, end);
  }
  std::vector<Sstring> path;
  BlocksOfVcc(nci, path);
  for (const Sstring& name : path)
    if (Block* b = FindBlock(name)) {
      b->DelData(nci, "Output port");
      b->DelData(nci, "Input port");
      b->DelData(nci, "Service categorie");
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
  if (!OnVccPath(nci, name1) || !OnVccPath(nci, name2) || !b1 || !b2) return 0;
  short j = 0;
  GetData(nci, "Number of links", j);
  ++j;
  PutData(nci, "Number of links", j);
  PutData(nci, LinkEntry(j, "_Begin"), name1);
  PutData(nci, LinkEntry(j, "_End"), name2);
  PutData(nci, LinkEntry(j, "_VPI"), vpi);
  PutData(nci, LinkEntry(j, "_VCI"), vci);
  b1->PutData(nci, "Output VPI", vpi);
  b1->PutData(nci, "Output VCI", vci);
  b2->PutData(nci, "Input VPI", vpi);
  b2->PutData(nci, "Input VCI", vci);
  return 1;
}

// The links above the removed one move down by one, so links 1 .. "Number of
// links" always all exist.
int Network::RemoveLink(const Sstring& nci, const Sstring& name1, const Sstring& name2) {
  if (!OnVccPath(nci, name1) || !OnVccPath(nci, name2)) return 0;
  short m = 0;
  PeekData(nci, "Number of links", m);
  int found = 0;
  for (int j = 1; j <= m && !found; ++j) {
    Sstring b, e;
    if (PeekData(nci, LinkEntry(j, "_Begin"), b) && PeekData(nci, LinkEntry(j, "_End"), e) &&
        b == name1 && e == name2)
      found = j;
  }
  if (!found) return 0;
  if (Block* b = FindBlock(name1)) {
    b->DelData(nci, "Output VPI");
    b->DelData(nci, "Output VCI");
  }
  if (Block* b = FindBlock(name2)) {
    b->DelData(nci, "Input VPI");
    b->DelData(nci, "Input VCI");
  }
  for (int j = found; j < m; ++j)
    for (const char* part : kLinkParts)
      if (const Scalar* next = Peek(nci, LinkEntry(j + 1, part))) {
        Scalar copy = *next;
        std::visit([&](const auto& v) { PutData(nci, LinkEntry(j, part), v); }, copy);
      }
  for (const char* part : kLinkParts) DelData(nci, LinkEntry(m, part));
  if (m > 1) PutData(nci, "Number of links", static_cast<short>(m - 1));
  else DelData(nci, "Number of links");
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
  if (!sourceLayer || !sourceLayer->GetParam("Service categorie", category) ||
      !sourceLayer->GetParam("ATM adaptation layer", aal))
    return 0;
  const auto* senderPeers = Neighbours(beginApp);
  const auto* receiverPeers = Neighbours(endApp);
  if (!senderPeers || senderPeers->empty() || !receiverPeers || receiverPeers->empty()) return 0;
  Block* first = senderPeers->front();
  Block* last = receiverPeers->front();
  if (!first->HasLayer(aal) || !last->HasLayer(aal)) return 0;
  if (!sourceLayer->GetParam("Bit rate", bitRate)) return 0;

  Sstring chosen;
  bool found = false;
  for (const Sstring& k : AllKeys()) {
    Sstring status, cat, b1, bn;
    short n = 0;
    double bandwidth = 0;
    if (PeekData(k, "Status", status) && status == "EMPTY" && PeekData(k, "Number of blocks", n) &&
        PeekData(k, BlockEntry(n), bn) && bn == last->GetName() && PeekData(k, "Block_1", b1) &&
        b1 == first->GetName() && PeekData(k, "Service categorie", cat) && cat == category &&
        PeekData(k, "Bandwidth", bandwidth) && bitRate <= bandwidth) {
      chosen = k;
      found = true;
      break;
    }
  }
  if (!found) return 0;
  auto endpoint = [&](Block* app, const char* direction) {
    app->PutData(dci, "NCI", chosen);
    app->PutData(dci, "Direction", Sstring(direction));
    app->PutData(dci, "Bandwidth", bitRate);
    app->PutData(dci, "Service categorie", category);
  };
  endpoint(sender, "Output");
  first->PutData(dci, "NCI", chosen);
  last->PutData(dci, "NCI", chosen);
  last->PutData(dci, "AAL Layer", aal);
  last->PutData(dci, "End application name", endApp);
  endpoint(receiver, "Input");
  PutData(chosen, "Status", Sstring("BUSY"));
  PutData(dci, "NCI", chosen);
  PutData(dci, "Begin application name", beginApp);
  PutData(dci, "End application name", endApp);
  PutData(dci, "Begin block name", first->GetName());
  PutData(dci, "End block name", last->GetName());
  PutData(dci, "Bandwidth", bitRate);
  PutData(dci, "Service categorie", category);
  return 1;
}

// Only keys that hold a DC record are DCs.
int Network::RemoveDc(const Sstring& dci) {
  Sstring nci, beginApp, endApp, beginBlock, endBlock;
  if (!PeekData(dci, "Begin application name", beginApp)) return 0;
  PeekData(dci, "NCI", nci);
  PeekData(dci, "End application name", endApp);
  PeekData(dci, "Begin block name", beginBlock);
  PeekData(dci, "End block name", endBlock);
  for (const Sstring& app : {beginApp, endApp})
    if (Block* b = FindBlock(app))
      for (const char* n : {"NCI", "Direction", "Bandwidth", "Service categorie"}) b->DelData(dci, n);
  if (Block* b = FindBlock(beginBlock)) b->DelData(dci, "NCI");
  if (Block* b = FindBlock(endBlock))
    for (const char* n : {"NCI", "AAL Layer", "End application name"}) b->DelData(dci, n);
  if (Peek(nci, "Status")) PutData(nci, "Status", Sstring("EMPTY"));
  for (const char* n : {"NCI", "Begin application name", "End application name", "Begin block name",
                        "End block name", "Bandwidth", "Service categorie"})
    DelData(dci, n);
  return 1;
}
