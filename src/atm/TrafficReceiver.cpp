// TrafficReceiver: packet delays, per packet and as sample statistics.
#include "atm/TrafficReceiver.h"

TrafficReceiver::TrafficReceiver(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block) {
  DeclareParameters(*this, DelayLog::ParameterRows());
}

std::vector<ParameterInfo> TrafficReceiver::DescribeParameters() {
  return ::DescribeParameters(DelayLog::ParameterRows());
}

int TrafficReceiver::Start() {
  delays_.Start(*this, "PacketDelay", "SMPD", "SVPD");
  return 1;
}

int TrafficReceiver::HandleEvent(Event& e) {
  if (delays_.Handle(*this, e)) return 0;
  if (e.type != Word::CPCS_UNITDATA_SIGNAL) return 0;
  CPCS_UnitData* packet = e.Get<CPCS_UnitData>();
  if (!packet || !packet->data) return 0;
  const double delay = e.time - packet->data->birthTime;
  runDelays_.Add(delay);
  delays_.Add(e.time, delay);
  // This is the packet's last user: the SDU goes now, not with the event.
  packet->data.reset();
  return 1;
}

int TrafficReceiver::End() {
  delays_.End();
  return 1;
}
