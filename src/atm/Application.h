// Application: the "ATM Generic Application" block - one traffic source
// (CBR, VBR batch or file-driven, chosen by "Traffic source") and one traffic
// receiver "TR", created when the block is attached to a terminal.
#pragma once
#include <cstdint>

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

  // The number of the random stream the kernel gave the source made by the
  // last attachment (0: that source drew none). A saved network replays it.
  uint32_t SourceStream() const { return sourceStream_; }

 private:
  static const ParamTable<Application>& ParameterRows();
  Sstring trafficSource_;  // "Traffic source"
  uint32_t sourceStream_ = 0;
};
