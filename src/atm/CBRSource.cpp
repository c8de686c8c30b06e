// CBRSource and TrafficSource: packets of one length at the interval the bit
// rate implies, handed to the terminal's AAL on every outgoing connection.
#include "atm/CBRSource.h"

#include <cmath>
#include <memory>

#include "core/DatFormat.h"
#include "model/Block.h"

TrafficSource::TrafficSource(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block), path_(NetworkPath().str()) {}

void TrafficSource::ResolveRoute() {
  Sstring destination;
  destination_ = GetBlock().PeekData("DBN", GetName(), destination) ? Name(destination) : Name();
  std::vector<Sstring> keys;
  GetBlock().FindKeys("Direction", Sstring("Output"), keys);
  outputs_.clear();
  for (const Sstring& k : keys) outputs_.emplace_back(k);
}

size_t TrafficSource::Emit(double t, Name aal, double length) {
  const size_t n = outputs_.size();
  if (destination_.empty() || n == 0) return 0;
  // Counted once per connection. The AAL5 layer takes whole bytes and fills
  // whole cells with them and its 8-byte trailer.
  const int64_t connections = static_cast<int64_t>(n);
  runCounts_.packets += connections;
  const uint64_t bytes = static_cast<uint64_t>(static_cast<int64_t>(length));
  runCounts_.cells += connections * static_cast<int64_t>((bytes + 8 + 47) / 48);
  runCounts_.bytes += static_cast<double>(connections) * length;
  auto sdu = std::make_shared<UserSDU>(t, packetName_, length);
  for (size_t i = 0; i + 1 < n; ++i)
    ScheduleTo(t, Word::CPCS_UNITDATA_INVOKE, destination_, aal, CPCS_UnitData(sdu, 0, 0, 0, 0, 0),
               outputs_[i]);
  // The last connection takes the creator's reference.
  ScheduleTo(t, Word::CPCS_UNITDATA_INVOKE, destination_, aal,
             CPCS_UnitData(std::move(sdu), 0, 0, 0, 0, 0), outputs_.back());
  return n;
}

bool TrafficSource::OpenPacketLog(std::ofstream& f) {
  const std::string file = path_ + GetBlockName().str() + "_" + GetName().str() + ".dat";
  return OpenRunFile(f, file, file);
}

bool TrafficSource::Require(bool ok, const char* parameter) const {
  if (!ok) ReportBadParameter(parameter);
  return ok;
}

namespace {
const SourceParam kCBRParams[] = {
    {"Bit rate", 32000000.0, "Bit rate"},
    {"Packet length", 40.0, "Length of the packets"},
    {"Number of bytes to be sent", 1000000000.0, "Number of bytes to be sent"},
    {"Start time", 0.0, "Start time of the tranmition"},
    {"Packet name", "CBR Constant Length Packet", "Name of the packets to be sent"},
    {"ATM adaptation layer", "AAL5", "AAL to be used"},
    {"Log packet time status", "OFF", "Log packet network time status"},
    {"Service categorie", "CBR", "Service categorie"},
};

bool Positive(double x) { return std::isfinite(x) && x > 0; }
}  // namespace

bool TrafficSource::NonNegative(double x) { return std::isfinite(x) && x >= 0; }

bool TrafficSource::CommonParametersSane() const {
  bool sane = Require(NonNegative(bytesToSend_), "Number of bytes to be sent");
  return Require(NonNegative(startTime_), "Start time") && sane;
}

int TrafficSource::End() {
  if (log_.is_open()) log_.close();
  logOn_ = false;
  return 1;
}

CBRSource::CBRSource(const Sstring& name, const Sstring& type, Block& block)
    : TrafficSource(name, type, block) {
  DeclareParams(kCBRParams);
}

void TrafficSource::ReadCommonParameters(std::initializer_list<const char*> logColumns) {
  Sstring packetName, aal, logStatus;
  GetParam("Number of bytes to be sent", bytesToSend_);
  GetParam("Start time", startTime_);
  GetParam("Packet name", packetName);
  GetParam("ATM adaptation layer", aal);
  GetParam("Log packet time status", logStatus);
  packetName_ = Name(packetName);
  aal_ = Name(aal);
  logOn_ = logStatus == "ON" && OpenPacketLog(log_);
  if (logOn_) WriteDatHeader(log_, logColumns);
}

int CBRSource::Start() {
  GetParam("Bit rate", bitRate_);
  GetParam("Packet length", packetLength_);
  ReadCommonParameters({"Time", "PacketLength", "PacketNumber"});

  // Every bad value is reported, not only the first.
  bool sane = Require(Positive(bitRate_), "Bit rate");
  sane = Require(Positive(packetLength_), "Packet length") && sane;
  sane = CommonParametersSane() && sane;
  if (!sane) return 0;
  interval_ = packetLength_ * 8 / bitRate_;
  if (!Require(UsablePeriod(GetNetwork(), interval_), "Bit rate")) return 0;

  // Far beyond any run; the clamp only keeps the conversion defined.
  const double packets = std::ceil(bytesToSend_ / packetLength_);
  numberOfPackets_ = packets < 1e18 ? static_cast<uint64_t>(packets) : uint64_t(1e18);

  ResolveRoute();
  if (!HasOutputs() || bytesToSend_ == 0) return 0;
  ScheduleSelf(startTime_ + interval_, Word::SEND_PACKET);
  return 1;
}

int CBRSource::HandleEvent(Event& e) {
  current_ = &e;
  if (e.type != Word::SEND_PACKET) return 0;
  // The event planned after the last packet ends the source.
  if (packetsSent_ >= numberOfPackets_) return 0;
  // Without a route the source falls silent: nothing further is planned.
  if (Emit(e.time, aal_, packetLength_) == 0) return 0;
  ++packetsSent_;
  if (logOn_) WriteDatLine(log_, {e.time, packetLength_, packetsSent_});
  ScheduleSelf(e.time + interval_, Word::SEND_PACKET);
  return 1;
}
