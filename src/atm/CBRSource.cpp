// CBRSource: the packet interval, the packet count and the sending loop.
#include "atm/CBRSource.h"

#include <cmath>

#include "atm/AAL5_Layer.h"
#include "core/DatFormat.h"
#include "model/RunFiles.h"

const ParamTable<CBRSource>& CBRSource::ParameterRows() {
  static const ParamTable<CBRSource> rows = {
      {"Bit rate", 32000000.0, "Bit rate", &CBRSource::bitRate_},
      {"Packet length", 40.0, "Length of the packets", &CBRSource::packetLength_},
      {"Number of bytes to be sent", 1000000000.0, "Number of bytes to be sent",
       &CBRSource::bytesToSend_},
      {"Start time", 0.0, "Start time of the tranmition", &CBRSource::startTime_},
      {"Packet name", "CBR Constant Length Packet", "Name of the packets to be sent",
       &CBRSource::packetNameText_},
      {"ATM adaptation layer", "AAL5", "AAL to be used", &CBRSource::aalText_},
      {"Log packet time status", "OFF", "Log packet network time status",
       &CBRSource::logStatus_},
      {"Service categorie", "CBR", "Service categorie"},
  };
  return rows;
}

std::vector<ParameterInfo> CBRSource::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

namespace {
bool Positive(double x) { return std::isfinite(x) && x > 0; }
}  // namespace

CBRSource::CBRSource(const Sstring& name, const Sstring& type, Block& block)
    : TrafficSource(name, type, block) {
  DeclareParameters(*this, ParameterRows());
}

int CBRSource::Start() {
  LoadParameters(*this, ParameterRows());
  UseCommonParameters({"Time", "PacketLength", "PacketNumber"});

  // Every bad value is reported, not only the first.
  bool sane = Require(Positive(bitRate_), "Bit rate");
  // A packet carries at least one byte (a smaller one would make the number of
  // packets, and so the run, unbounded); the AAL5 length field has 16 bits.
  sane = Require(packetLength_ >= 1 && packetLength_ <= kMaxAal5Length, "Packet length") &&
         sane;
  sane = CommonParametersSane() && sane;
  if (!sane) return 0;
  interval_ = packetLength_ * 8 / bitRate_;
  if (!Require(UsablePeriod(startTime_, interval_), "Bit rate")) return 0;

  // Far beyond any run; the clamp only keeps the conversion defined.
  const double packets = std::ceil(bytesToSend_ / packetLength_);
  numberOfPackets_ = packets < 1e18 ? static_cast<uint64_t>(packets) : uint64_t(1e18);

  ResolveRoute();
  if (!HasOutputs() || bytesToSend_ == 0) return 0;
  ScheduleSelf(startTime_ + interval_, Word::SEND_PACKET);
  return 1;
}

int CBRSource::HandleEvent(Event& e) {
  if (e.type != Word::SEND_PACKET) return 0;
  // The event planned after the last packet ends the source.
  if (packetsSent_ >= numberOfPackets_) return 0;
  // Without a route the source falls silent: nothing further is planned.
  if (Emit(e.time, aal_, packetLength_) == 0) return 0;
  ++packetsSent_;
  if (logOn_) WriteDatLine(*log_, {e.time, packetLength_, packetsSent_});
  const double next = e.time + interval_;
  if (next > e.time) ScheduleSelf(next, Word::SEND_PACKET);
  else ReportStalledPeriod("Bit rate", e.time);
  return 1;
}
