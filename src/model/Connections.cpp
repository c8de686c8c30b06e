// VCCs, links and data connections: their records in the network's table and
// the per-connection entries in the tables of the blocks they cross.
#include <sstream>

#include "core/NameHint.h"
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

// A number as the console writes numbers (six significant digits).
std::string NumberText(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

std::string PathText(const std::vector<Sstring>& path) {
  std::vector<std::string> names;
  for (const Sstring& b : path) names.push_back(b.str());
  return QuotedList(names, path.size());
}
}  // namespace

int Network::RefuseUnknownVcc(const Sstring& nci) {
  return Refuse("no VCC " + Quoted(nci) + " in network " + Quoted(name_) + VccHint(nci));
}

int Network::RefuseUnknownDc(const Sstring& dci) {
  return Refuse("no DC " + Quoted(dci) + " in network " + Quoted(name_) + DcHint(dci));
}

// An identifier already used by a VCC, a DC or the connection record would
// have its entries overwritten one by one, leaving a record that is neither.
// A DC may still take the name of a VCC (the two records then share a key),
// as it always could.
int Network::RefuseTakenId(const Sstring& id, bool forDc) {
  if (!forDc && Peek(id, kStatus)) return Refuse("VCC " + Quoted(id) + " already exists");
  if (Peek(id, kBeginApplication)) return Refuse("DC " + Quoted(id) + " already exists");
  if (id == kInterfaces) return Refuse(Quoted(id) + " is the network's own record of connections");
  return 1;
}

int Network::CreateVcc(const Sstring& nci, const Sstring& category, double bandwidth,
                       const Sstring& firstBlock) {
  if (!RefuseTakenId(nci, false)) return 0;
  PutData(nci, kStatus, Sstring("EMPTY"));
  PutData(nci, kCategory, category);
  PutData(nci, kBandwidth, bandwidth);
  PutData(nci, VccBlockEntry(1), firstBlock);
  PutData(nci, kNumberOfBlocks, short(1));
  PutData(nci, kNumberOfLinks, short(0));
  return 1;
}

int Network::ConnectVccBlock(const Sstring& nci, const Sstring& newBlock, const Sstring& keyBlock) {
  if (!Peek(nci, kStatus)) return RefuseUnknownVcc(nci);
  Block* added = FindBlock(newBlock);
  Block* key = FindBlock(keyBlock);
  if (!added) return RefuseUnknownBlock(newBlock);
  if (!key) return RefuseUnknownBlock(keyBlock);
  for (const Block* b : {added, key})
    if (!b->IsEquipment())
      return Refuse(Quoted(b->GetName()) + " is an application; a VCC runs over terminals and "
                    "switches");
  if (!AreNeighbours(keyBlock, newBlock))
    return Refuse(Quoted(newBlock) + " is not connected to " + Quoted(keyBlock) +
                  "; connect the blocks first (connect block)");
  // Both ports are read before the record changes, so a refusal leaves it whole.
  Sstring category, outPort, inPort;
  if (!key->PeekData(kDLN, newBlock, outPort) || !added->PeekData(kDLN, keyBlock, inPort))
    return Refuse("the blocks hold no port facing each other");
  short n = 0;
  GetData(nci, kNumberOfBlocks, n);
  ++n;
  PutData(nci, kNumberOfBlocks, n);
  PutData(nci, VccBlockEntry(n), newBlock);
  GetData(nci, kCategory, category);
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
  if (!Peek(nci, kStatus)) return RefuseUnknownVcc(nci);
  if (!vcc.BlockCount(count)) return Refuse("VCC " + Quoted(nci) + " has no blocks left");
  const std::vector<Sstring> path = PathOf(vcc);
  int pos = 0;
  for (size_t i = 0; i < path.size(); ++i)
    if (path[i] == oldBlock) {
      pos = static_cast<int>(i) + 1;
      break;
    }
  if (pos == 0)
    return Refuse(Quoted(oldBlock) + " is not on VCC " + Quoted(nci) + ", whose path is " +
                  PathText(path));
  if (pos > 1 && path[static_cast<size_t>(pos - 2)] != keyBlock)
    return Refuse("on VCC " + Quoted(nci) + " " + Quoted(oldBlock) + " follows " +
                  Quoted(path[static_cast<size_t>(pos - 2)]) + ", not " + Quoted(keyBlock));
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
  if (!Peek(nci, kStatus)) return RefuseUnknownVcc(nci);
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
  if (!Peek(nci, kStatus)) return RefuseUnknownVcc(nci);
  for (const Sstring* name : {&name1, &name2})
    if (!vcc.OnPath(*name))
      return Refuse(Quoted(*name) + " is not on VCC " + Quoted(nci) + ", whose path is " +
                    PathText(PathOf(vcc)) + " (connect vcc block adds blocks)");
  if (!b1) return RefuseUnknownBlock(name1);
  if (!b2) return RefuseUnknownBlock(name2);
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
  if (!Peek(nci, kStatus)) return RefuseUnknownVcc(nci);
  const short m = vcc.LinkCount();
  int found = 0;
  for (int j = 1; j <= m && !found && vcc.OnPath(name1) && vcc.OnPath(name2); ++j) {
    Sstring b, e;
    if (vcc.LinkEnds(j, b, e) && b == name1 && e == name2) found = j;
  }
  if (!found)
    return Refuse("VCC " + Quoted(nci) + " has no link from " + Quoted(name1) + " to " +
                  Quoted(name2) + " (show vcc links lists them)");
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
      if (const std::optional<Scalar> next = Peek(nci, VccLinkEntry(j + 1, part)))
        std::visit([&](const auto& v) { PutData(nci, VccLinkEntry(j, part), v); }, *next);
  for (LinkPart part : kLinkParts) DelData(nci, VccLinkEntry(m, part));
  if (m > 1) PutData(nci, kNumberOfLinks, static_cast<short>(m - 1));
  else DelData(nci, kNumberOfLinks);
  return 1;
}

int Network::CreateDc(const Sstring& dci, const Sstring& beginApp, const Sstring& endApp) {
  Block* sender = FindBlock(beginApp);
  Block* receiver = FindBlock(endApp);
  if (!sender) return RefuseUnknownBlock(beginApp);
  if (!receiver) return RefuseUnknownBlock(endApp);
  if (!RefuseTakenId(dci, true)) return 0;
  for (const Block* app : {sender, receiver})
    if (app->IsEquipment())
      return Refuse(Quoted(app->GetName()) + " is a " + app->GetModel().str() +
                    "; a DC joins two applications (\"ATM Generic Application\")");
  Sstring source;
  sender->GetParam("Traffic source", source);
  Layer* sourceLayer = sender->FindLayer(source + "_TS");
  Sstring category, aal;
  double bitRate = 0;
  if (!sourceLayer)
    return Refuse("application " + Quoted(beginApp) + " has no traffic source layer " +
                  Quoted(source + "_TS") +
                  " (an application gets its source when it is connected to a terminal, "
                  "from its parameter \"Traffic source\": CBR, VBR_BATCH or GENERIC)");
  for (const char* name : {"Service categorie", "ATM adaptation layer", "Bit rate"})
    if (!sourceLayer->GetParameter(name))
      return Refuse("the source " + Quoted(sourceLayer->GetName()) + " of " + Quoted(beginApp) +
                    " has no parameter " + Quoted(name));
  if (!sourceLayer->GetParam(kCategory, category) ||
      !sourceLayer->GetParam("ATM adaptation layer", aal))
    return Refuse("the source " + Quoted(sourceLayer->GetName()) + " of " + Quoted(beginApp) +
                  " holds no text in \"Service categorie\" or \"ATM adaptation layer\"");
  const auto* senderPeers = Neighbours(beginApp);
  const auto* receiverPeers = Neighbours(endApp);
  for (const auto* peers : {senderPeers, receiverPeers})
    if (!peers || peers->empty())
      return Refuse("application " + Quoted(peers == senderPeers ? beginApp : endApp) +
                    " is not connected to a terminal");
  Block* first = senderPeers->front();
  Block* last = receiverPeers->front();
  for (const Block* b : {first, last})
    if (!b->HasLayer(aal))
      return Refuse("terminal " + Quoted(b->GetName()) + " has no layer " + Quoted(aal) +
                    " (the source's \"ATM adaptation layer\")");
  if (!sourceLayer->GetParam("Bit rate", bitRate))
    return Refuse("the \"Bit rate\" of the source " + Quoted(sourceLayer->GetName()) + " of " +
                  Quoted(beginApp) + " is not a double");

  const Sstring* free = freeVccs_.Find(*this, first->GetName(), last->GetName(), category, bitRate);
  if (!free) return RefuseNoVcc(*first, *last, category, bitRate);
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

// Says why no VCC can carry a DC: the VCCs between the two terminals and
// what each lacks.
int Network::RefuseNoVcc(const Block& first, const Block& last, const Sstring& category,
                         double bitRate) {
  std::string why = "no free VCC runs from " + Quoted(first.GetName()) + " to " +
                    Quoted(last.GetName()) + " with category " + Quoted(category) +
                    " and a bandwidth of at least " + NumberText(bitRate);
  std::string seen;
  for (const Sstring& nci : VccIds()) {
    const VccRecord vcc(*this, nci);
    const short n = vcc.BlockCount();
    if (n < 1 || vcc.Block(1) != first.GetName()) continue;
    Sstring status, cat;
    double bandwidth = 0;
    PeekData(nci, kStatus, status);
    PeekData(nci, kCategory, cat);
    PeekData(nci, kBandwidth, bandwidth);
    std::string lack;
    if (vcc.Block(n) != last.GetName()) lack = "ends at " + Quoted(vcc.Block(n));
    else if (status != "EMPTY") lack = "is taken by a DC";
    else if (cat != category) lack = "has category " + Quoted(cat);
    else lack = "has bandwidth " + NumberText(bandwidth);
    seen += (seen.empty() ? "" : ", ") + Quoted(nci) + " " + lack;
  }
  if (!seen.empty()) why += " (from " + Quoted(first.GetName()) + ": " + seen + ")";
  return Refuse(why);
}

// Only keys that hold a DC record are DCs.
int Network::RemoveDc(const Sstring& dci) {
  Sstring nci, beginApp, endApp, beginBlock, endBlock;
  if (!PeekData(dci, kBeginApplication, beginApp)) return RefuseUnknownDc(dci);
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
