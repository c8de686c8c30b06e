// Switch: its layers and the wiring of its ports.
#include "atm/Switch.h"

#include <string>

#include "atm/CBPHY_Layer.h"
#include "atm/LayerTable.h"
#include "atm/Switch_ATM_Layer.h"

namespace {
const LayerRow kLayers[] = {
    {"CB_PHYSICAL_LAYER", &MakeLayer<CBPHY_Layer>},
    {"ATM_LAYER", &MakeLayer<Switch_ATM_Layer>},
};

Sstring PortName(const char* prefix, int port) {
  return Sstring(prefix + std::to_string(port));
}
}  // namespace

Switch::Switch(const Sstring& name, Network& network) : ATMEquipment(name, network) {
  PutParam("Number of ports", short(8), "Number of switch ports", "SHOW");
}

int Switch::CreateLayers() {
  CreateLayer("ATM", "ATM_LAYER");
  return 1;
}

int Switch::CreateLayer(const Sstring& name, const Sstring& type) {
  return AddMadeLayer(MakeFromTable(kLayers, name, type, *this));
}

// Ports are taken in connection order. When a disconnection has freed a port
// below the number offered, the offered port may still be in use by another
// peer: the lowest free port is taken instead, so no live port is overwritten.
int Switch::ConnectInterface(const Sstring& peer, const Sstring& peerKind, short port,
                             const Sstring& phyType) {
  short ports = 8;
  GetParam("Number of ports", ports);
  if (peerKind != kEquipmentKind) return 0;
  int chosen = port;
  if (HasLayer(PortName("PHY_", chosen))) {
    chosen = 0;
    while (chosen < ports && HasLayer(PortName("PHY_", chosen))) ++chosen;
  }
  if (chosen < 0 || chosen >= ports) return 0;
  Sstring phy = PortName("PHY_", chosen);
  if (!CreateLayer(phy, phyType)) return 0;
  CreateQS(PortName("PHY_QS_", chosen));
  CreateQS(PortName("ATM_QS_", chosen));
  PutData(phy, "PHY_QS", PortName("PHY_QS_", chosen));
  PutData(phy, "ATM_QS", PortName("ATM_QS_", chosen));
  PutData("DBN", phy, peer);
  PutData("DLN", peer, phy);
  return 1;
}

// The newest port whose far end is the peer ("" when none): a switch can be
// wired to one peer more than once, and the peer's DLN entry names only the
// last port.
Sstring Switch::PortTo(const Sstring& peer) const {
  std::vector<Sstring> layers;
  ListLayers(layers);
  for (const Sstring& l : layers) {
    Sstring far;
    if (PeekData("DBN", l, far) && far == peer) return l;
  }
  return Sstring();
}

// Unwiring a peer frees its port: its layer, its queues and its entries go,
// so that a later connection cannot inherit stale routes. The port is the
// one the peer's DLN entry names; the peer's entry then names its other port,
// if it has one (a second wiring to the same peer that the peer refused is
// undone this way without cutting the first).
int Switch::DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int) {
  if (peerKind != kEquipmentKind) return 1;
  Sstring phy, far;
  if (!PeekData("DLN", peer, phy) || !PeekData("DBN", phy, far) || far != peer) phy = PortTo(peer);
  if (phy.empty()) return 1;
  Sstring phyQS, atmQS;
  PeekData(phy, "PHY_QS", phyQS);
  PeekData(phy, "ATM_QS", atmQS);
  RemoveLayer(phy);
  RemoveQS(phyQS);
  RemoveQS(atmQS);
  DelData(phy, "PHY_QS");
  DelData(phy, "ATM_QS");
  DelData("DBN", phy);
  Sstring other = PortTo(peer);
  if (other.empty()) DelData("DLN", peer);
  else PutData("DLN", peer, other);
  return 1;
}
