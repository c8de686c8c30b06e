// Switch: its layers and the wiring of its ports.
#include "atm/Switch.h"

#include <string>

#include "atm/CBPHY_Layer.h"
#include "atm/QueueingSystem.h"
#include "atm/Switch_ATM_Layer.h"
#include "model/DataKeys.h"

using namespace datakey;

const LayerTable& Switch::Layers() {
  static const LayerTable rows = {
      LayerOf<CBPHY_Layer>("CB_PHYSICAL_LAYER"),
      LayerOf<Switch_ATM_Layer>("ATM_LAYER"),
  };
  return rows;
}

const ParamTable<Switch>& Switch::ParameterRows() {
  static const ParamTable<Switch> rows = {
      {"Number of ports", short(8), "Number of switch ports", &Switch::ports_},
  };
  return rows;
}

std::vector<ParameterInfo> Switch::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

namespace {
Sstring PortName(const char* prefix, int port) {
  return Sstring(prefix + std::to_string(port));
}
}  // namespace

Switch::Switch(const Sstring& name, Network& network) : ATMEquipment(name, network) {
  DeclareParameters(*this, ParameterRows());
}

int Switch::CreateLayers() {
  CreateLayer("ATM", "ATM_LAYER");
  return 1;
}

int Switch::CreateLayer(const Sstring& name, const Sstring& type) {
  return AddMadeLayer(MakeFromTable(Layers(), name, type, *this));
}

// Ports are taken in connection order. When a disconnection has freed a port
// below the number offered, the offered port may still be in use by another
// peer: the lowest free port is taken instead, so no live port is overwritten.
int Switch::ConnectInterface(const Sstring& peer, const Sstring& peerKind, short port,
                             const Sstring& phyType) {
  LoadParameters(*this, ParameterRows());
  const short ports = ports_;
  if (peerKind != kEquipmentKind) return 0;
  int chosen = port;
  if (HasLayer(PortName("PHY_", chosen))) {
    chosen = 0;
    while (chosen < ports && HasLayer(PortName("PHY_", chosen))) ++chosen;
  }
  if (chosen < 0 || chosen >= ports) return 0;
  Sstring phy = PortName("PHY_", chosen);
  if (!CreateLayer(phy, phyType)) return 0;
  Add(std::make_unique<QueueingSystem>(PortName("PHY_QS_", chosen), *this));
  Add(std::make_unique<QueueingSystem>(PortName("ATM_QS_", chosen), *this));
  PutData(phy, kPhyQueue, PortName("PHY_QS_", chosen));
  PutData(phy, kAtmQueue, PortName("ATM_QS_", chosen));
  PutData(kDBN, phy, peer);
  PutData(kDLN, peer, phy);
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
    if (PeekData(kDBN, l, far) && far == peer) return l;
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
  if (!PeekData(kDLN, peer, phy) || !PeekData(kDBN, phy, far) || far != peer) phy = PortTo(peer);
  if (phy.empty()) return 1;
  Sstring phyQS, atmQS;
  PeekData(phy, kPhyQueue, phyQS);
  PeekData(phy, kAtmQueue, atmQS);
  RemoveLayer(phy);
  RemoveQS(phyQS);
  RemoveQS(atmQS);
  DelData(phy, kPhyQueue);
  DelData(phy, kAtmQueue);
  DelData(kDBN, phy);
  Sstring other = PortTo(peer);
  if (other.empty()) DelData(kDLN, peer);
  else PutData(kDLN, peer, other);
  return 1;
}
