// TrafficSource: route, packet hand-over, packet log and the shared checks.
#include "atm/TrafficSource.h"

#include <cmath>
#include <memory>

#include "core/DatFormat.h"
#include "core/FreeListAllocator.h"
#include "model/Block.h"
#include "model/DataKeys.h"

TrafficSource::TrafficSource(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block), path_(NetworkPath()) {}

void TrafficSource::ResolveRoute() {
  Sstring destination;
  destination_ =
      GetBlock().PeekData(datakey::kDBN, GetName(), destination) ? Name(destination) : Name();
  std::vector<Sstring> keys;
  GetBlock().FindKeys(datakey::kDirection, datakey::kOutput, keys);
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
  auto sdu = std::allocate_shared<UserSDU>(FreeListAllocator<UserSDU>(), t, packetName_, length);
  for (size_t i = 0; i + 1 < n; ++i)
    ScheduleTo(t, Word::CPCS_UNITDATA_INVOKE, destination_, aal, CPCS_UnitData(sdu, 0, 0, 0, 0, 0),
               outputs_[i]);
  // The last connection takes the creator's reference.
  ScheduleTo(t, Word::CPCS_UNITDATA_INVOKE, destination_, aal,
             CPCS_UnitData(std::move(sdu), 0, 0, 0, 0, 0), outputs_.back());
  return n;
}

bool TrafficSource::OpenPacketLog(std::ofstream& f) {
  const std::string file = MadeWithPath() + GetBlockName().str() + "_" + GetName().str() + ".dat";
  return OpenRunFile(f, file, file);
}

bool TrafficSource::Require(bool ok, const char* parameter) const {
  if (!ok) ReportBadParameter(parameter);
  return ok;
}

bool TrafficSource::NonNegative(double x) { return std::isfinite(x) && x >= 0; }

bool TrafficSource::CommonParametersSane() const {
  bool sane = Require(NonNegative(bytesToSend_), "Number of bytes to be sent");
  return Require(NonNegative(startTime_), "Start time") && sane;
}

void TrafficSource::UseCommonParameters(std::initializer_list<const char*> logColumns) {
  packetName_ = Name(packetNameText_);
  aal_ = Name(aalText_);
  logOn_ = logStatus_ == "ON" && OpenPacketLog(*log_);
  if (logOn_) WriteDatHeader(*log_, logColumns);
}

int TrafficSource::End() {
  if (log_.is_open()) log_.close();
  logOn_ = false;
  return 1;
}
