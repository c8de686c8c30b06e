// Application: the "ATM Generic Application" block - one traffic source
// (CBR, VBR batch or file-driven, chosen by "Traffic source") and one traffic
// receiver "TR", created when the block is attached to a terminal.
#pragma once
#include "atm/LayerTable.h"
#include "model/Block.h"

class Application : public ATMApplication {
 public:
  Application(const Sstring& name, Network& network);
  static const LayerTable& Layers();
  static std::vector<ParameterInfo> DescribeParameters();

  Sstring GetModel() const override { return "ATM Generic Application"; }
  int CreateLayers() override;
  int CreateLayer(const Sstring& name, const Sstring& type) override;
  int ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                       const Sstring& phyType) override;
  int DisconnectInterface(const Sstring& peer, const Sstring& peerKind, int count) override;

 private:
  static const ParamTable<Application>& ParameterRows();
  Sstring trafficSource_;  // "Traffic source"
};
