// VBRBatchSource: Poisson batches at exponential intervals.
#include "atm/VBRBatchSource.h"

#include <cmath>

#include "atm/AAL5_Layer.h"
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

  bool sane = Require(UsablePeriod(startTime_, meanInterval_), "Mean interval between batches");
  // A mean batch must fit one AAL5 packet.
  sane = Require(NonNegative(meanCells_) && meanCells_ <= kMaxAal5Cells,
                 "Mean number of ATM cells") && sane;
  sane = CommonParametersSane() && sane;
  if (!sane || bytesToSend_ == 0) return 0;

  ResolveRoute();
  PlanBatch(startTime_);
  return 1;
}

void VBRBatchSource::PlanBatch(double t) {
  // Single gaps may round to nothing; a mean that does would stop the clock.
  if (!UsablePeriod(t, meanInterval_)) {
    ReportStalledPeriod("Mean interval between batches", t);
    return;
  }
  lastGap_ = random_.Exponential(meanInterval_);
  ScheduleSelf(t + lastGap_, Word::SEND_PACKET);
}

int VBRBatchSource::HandleEvent(Event& e) {
  if (e.type != Word::SEND_PACKET) return 0;
  // Strict test: the batch that reaches or crosses the limit still goes whole.
  if (bytesSent_ > bytesToSend_) return 0;
  // PL + the 8-byte AAL5 trailer fills exactly NoC cells. A batch of more
  // cells than one AAL5 packet can fill goes as several packets at the same
  // instant, the full ones first, each with its own log line.
  double cells = random_.Poisson(meanCells_, poissonSeed_);
  do {
    const double packetCells = cells < kMaxAal5Cells ? cells : kMaxAal5Cells;
    const double length = packetCells * 48 - 8;
    if (length > 0) {
      bytesSent_ += length * static_cast<double>(Emit(e.time, aal_, length));
      if (logOn_) WriteDatLine(*log_, {e.time, lastGap_, packetCells, length});
    }
    cells -= packetCells;
  } while (cells > 0);
  PlanBatch(e.time);
  return 1;
}
