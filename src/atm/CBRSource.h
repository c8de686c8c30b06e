// CBRSource: the constant-bit-rate traffic source of an application block -
// packets of one length at the interval the bit rate implies.
#pragma once
#include <cstdint>

#include "atm/TrafficSource.h"

class CBRSource : public TrafficSource {
 public:
  CBRSource(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the parameters, opens the log, plans the first packet one interval
  // after the start time. 1 when it planned it; 0 when there is nothing to
  // send or a parameter makes no sense (reported).
  int Start() override;
  // "SEND_PACKET": sends one packet on every outgoing connection and plans
  // the next. 1 when a packet left; 0 once all are sent, without a route, or
  // for any other event.
  int HandleEvent(Event& e) override;

  uint64_t PacketsSent() const { return packetsSent_; }
  uint64_t NumberOfPackets() const { return numberOfPackets_; }
  double Interval() const { return interval_; }

 private:
  static const ParamTable<CBRSource>& ParameterRows();

  double bitRate_ = 0;
  double packetLength_ = 0;
  double interval_ = 0;
  uint64_t numberOfPackets_ = 0;
  uint64_t packetsSent_ = 0;  // carries over into later runs
};
