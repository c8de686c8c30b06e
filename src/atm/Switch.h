// Switch: the "ATM Switch" - one switch ATM layer and, per port wired to other
// equipment, a physical layer PHY_i with its transmit queue PHY_QS_i and its
// output queue ATM_QS_i behind the fabric.
#pragma once
#include "atm/LayerTable.h"
#include "model/Block.h"

class Switch : public ATMEquipment {
 public:
  Switch(const Sstring& name, Network& network);
  static const LayerTable& Layers();
  static std::vector<ParameterInfo> DescribeParameters();

  Sstring GetModel() const override { return "ATM Switch"; }
  int CreateLayers() override;
  int CreateLayer(const Sstring& name, const Sstring& type) override;
  int ConnectInterface(const Sstring& peer, const Sstring& peerKind, short port,
                       const Sstring& phyType) override;
  int DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int count) override;

 private:
  static const ParamTable<Switch>& ParameterRows();
  short ports_ = 8;  // "Number of ports"
  Sstring PortTo(const Sstring& peer) const;
};
