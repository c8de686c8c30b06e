// BTE: layers of the terminal and the wiring of its one interface.
#include "atm/BTE.h"

#include "atm/AAL5_Layer.h"
#include "atm/BTE_ATM_Layer.h"
#include "atm/CBPHY_Layer.h"
#include "atm/QueueingSystem.h"
#include "model/DataKeys.h"

using namespace datakey;

const LayerTable& BTE::Layers() {
  static const LayerTable rows = {
      LayerOf<AAL5_Layer>("AAL5_LAYER"),
      LayerOf<CBPHY_Layer>("CB_PHYSICAL_LAYER"),
      LayerOf<BTE_ATM_Layer>("ATM_LAYER"),
  };
  return rows;
}

const ParamTable<BTE>& BTE::ParameterRows() {
  static const ParamTable<BTE> rows = {
      {"Number of applications", short(4), "Number of applications", &BTE::applications_},
  };
  return rows;
}

std::vector<ParameterInfo> BTE::DescribeParameters() { return ::DescribeParameters(ParameterRows()); }

BTE::BTE(const Sstring& name, Network& network) : ATMEquipment(name, network) {
  DeclareParameters(*this, ParameterRows());
}

int BTE::CreateLayers() {
  CreateLayer("ATM", "ATM_LAYER");
  CreateLayer("AAL5", "AAL5_LAYER");
  return 1;
}

int BTE::CreateLayer(const Sstring& name, const Sstring& type) {
  return AddMadeLayer(MakeFromTable(Layers(), name, type, *this));
}

// Applications take interface numbers below "Number of applications"; one
// piece of equipment takes interface 0 and gets the physical layer. An
// interface word that names no physical layer is refused rather than leaving
// a terminal that cannot send.
int BTE::ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                          const Sstring& phyType) {
  LoadParameters(*this, ParameterRows());
  if (peerKind == kApplicationKind) return number < applications_ ? 1 : 0;
  if (peerKind != kEquipmentKind || number != 0) return 0;
  if (!CreateLayer("PHY", phyType)) return 0;
  const Sstring queue("PHY_QS");
  Add(std::make_unique<QueueingSystem>(queue, *this));
  PutData("PHY", kPhyQueue, queue);
  PutData(kDBN, "PHY", peer);
  PutData(kDLN, peer, Sstring("PHY"));
  return 1;
}

int BTE::DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int) {
  if (peerKind != kEquipmentKind) return 0;
  RemoveQS("PHY_QS");
  RemoveLayer("PHY");
  DelData("PHY", kPhyQueue);
  DelData(kDBN, "PHY");
  DelData(kDLN, peer);
  return 1;
}
