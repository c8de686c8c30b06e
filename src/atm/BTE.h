// BTE: the "ATM B-TE" terminal equipment - an AAL5 layer, a terminal ATM layer
// and, once wired to other equipment, a physical layer "PHY" with its
// transmit queue "PHY_QS". Applications hang off it.
#pragma once
#include "atm/LayerTable.h"
#include "model/Block.h"

class BTE : public ATMEquipment {
 public:
  BTE(const Sstring& name, Network& network);
  static const LayerTable& Layers();
  static std::vector<ParameterInfo> DescribeParameters();

  Sstring GetModel() const override { return "ATM B-TE"; }
  int CreateLayers() override;
  int CreateLayer(const Sstring& name, const Sstring& type) override;
  int ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                       const Sstring& phyType) override;
  int DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int count) override;

 private:
  static const ParamTable<BTE>& ParameterRows();
  short applications_ = 4;  // "Number of applications"
};
