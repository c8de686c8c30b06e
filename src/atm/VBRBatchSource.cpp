// VBRBatchSource: Poisson batches at exponential intervals.
#include "atm/VBRBatchSource.h"

#include <cmath>

#include "core/DatFormat.h"
#include "model/Block.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "model/RunFiles.h"

const ParamTable<VBRBatchSource>& VBRBatchSource::ParameterRows() {
  static const ParamTable<VBRBatchSource> rows = {
      {"Number of bytes to be sent", 1000000000.0, "Number of bytes to be sent",
       &VBRBatchSource::bytesToSend_},
      {"Mean number of ATM cells", 0.5, "Mean number of ATM cells", &VBRBatchSource::meanCells_},
      {"Mean interval between batches", 2.72633744856e-06, "Mean interval between batches",
       &VBRBatchSource::meanInterval_},
      {"Start time", 0.0, "Start time of the transmition", &VBRBatchSource::startTime_},
      {"Packet name", "VBR Batch", "Name of the packets to be sent",
       &VBRBatchSource::packetNameText_},
      {"ATM adaptation layer", "AAL5", "AAL to be used", &VBRBatchSource::aalText_},
      {"Service categorie", "VBR", "Service categorie"},
      {"Bit rate", 20000000.0, "Peak Bit Rate"},
      {"Log packet time status", "OFF", "Log packet network time status",
       &VBRBatchSource::logStatus_},
  };
  return rows;
}

std::vector<ParameterInfo> VBRBatchSource::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

namespace {
// Batches beyond this mean are no ATM traffic, and would drive the Poisson
// rejection method's arithmetic toward overflow.
constexpr double kMaxMeanCells = 1e12;
}  // namespace

VBRBatchSource::VBRBatchSource(const Sstring& name, const Sstring& type, Block& block)
    : TrafficSource(name, type, block) {
  DeclareParameters(*this, ParameterRows());
  const uint32_t s = block.GetNetwork().GetKernel().NextSourceSeed();
  random_.Seed(s);
  // A negative state word makes the first Poisson draw fill this source's
  // shuffle table from a start of its own.
  poissonSeed_ = -static_cast<long>(s % 2147483646u) - 1;
}

int VBRBatchSource::Start() {
  LoadParameters(*this, ParameterRows());
  UseCommonParameters({"Time", "IBP", "NoC", "PL"});

  bool sane = Require(UsablePeriod(GetNetwork(), meanInterval_),
                      "Mean interval between batches");
  sane = Require(NonNegative(meanCells_) && meanCells_ <= kMaxMeanCells,
                 "Mean number of ATM cells") && sane;
  sane = CommonParametersSane() && sane;
  if (!sane || bytesToSend_ == 0) return 0;

  ResolveRoute();
  PlanBatch(startTime_);
  return 1;
}

void VBRBatchSource::PlanBatch(double t) {
  lastGap_ = random_.Exponential(meanInterval_);
  ScheduleSelf(t + lastGap_, Word::SEND_PACKET);
}

int VBRBatchSource::HandleEvent(Event& e) {
  if (e.type != Word::SEND_PACKET) return 0;
  // Strict test: the batch that reaches or crosses the limit still goes whole.
  if (bytesSent_ > bytesToSend_) return 0;
  // PL + the 8-byte AAL5 trailer fills exactly NoC cells.
  const double cells = random_.Poisson(meanCells_, poissonSeed_);
  const double length = cells * 48 - 8;
  if (length > 0) {
    bytesSent_ += length * static_cast<double>(Emit(e.time, aal_, length));
    if (logOn_) WriteDatLine(log_, {e.time, lastGap_, cells, length});
  }
  PlanBatch(e.time);
  return 1;
}
