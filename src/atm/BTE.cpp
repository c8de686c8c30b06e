// BTE: layers of the terminal and the wiring of its one interface.
#include "atm/BTE.h"

#include "atm/AAL5_Layer.h"
#include "atm/BTE_ATM_Layer.h"
#include "atm/CBPHY_Layer.h"
#include "atm/LayerTable.h"

namespace {
const LayerRow kLayers[] = {
    {"AAL5_LAYER", &MakeLayer<AAL5_Layer>},
    {"CB_PHYSICAL_LAYER", &MakeLayer<CBPHY_Layer>},
    {"ATM_LAYER", &MakeLayer<BTE_ATM_Layer>},
};
}  // namespace

BTE::BTE(const Sstring& name, Network& network) : ATMEquipment(name, network) {
  PutParam("Number of applications", short(4), "Number of applications", "SHOW");
}

int BTE::CreateLayers() {
  CreateLayer("ATM", "ATM_LAYER");
  CreateLayer("AAL5", "AAL5_LAYER");
  return 1;
}

int BTE::CreateLayer(const Sstring& name, const Sstring& type) {
  return AddMadeLayer(MakeFromTable(kLayers, name, type, *this));
}

int BTE::RemoveLayers() {
  RemoveLayer("ATM");
  RemoveLayer("AAL5");
  return 1;
}

// Applications take interface numbers below "Number of applications"; one
// piece of equipment takes interface 0 and gets the physical layer. An
// interface word that names no physical layer is refused rather than leaving
// a terminal that cannot send.
int BTE::ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                          const Sstring& phyType) {
  short applications = 4;
  GetParam("Number of applications", applications);
  if (peerKind == kApplicationKind) return number < applications ? 1 : 0;
  if (peerKind != kEquipmentKind || number != 0) return 0;
  if (!CreateLayer("PHY", phyType)) return 0;
  CreateQS("PHY_QS");
  PutData("PHY", "PHY_QS", Sstring("PHY_QS"));
  PutData("DBN", "PHY", peer);
  PutData("DLN", peer, Sstring("PHY"));
  return 1;
}

int BTE::DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int) {
  if (peerKind != kEquipmentKind) return 0;
  RemoveQS("PHY_QS");
  RemoveLayer("PHY");
  DelData("PHY", "PHY_QS");
  DelData("DBN", "PHY");
  DelData("DLN", peer);
  return 1;
}
