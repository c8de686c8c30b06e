// VBRBatchSource: a traffic source offering batches of cells at random
// instants - exponential gaps, Poisson batch sizes - each batch one packet
// that fills exactly its number of AAL5 cells. Every source draws from a
// random stream of its own, seeded by the kernel.
#pragma once
#include <fstream>

#include "atm/TrafficSource.h"
#include "core/Random.h"

class VBRBatchSource : public TrafficSource {
 public:
  VBRBatchSource(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the parameters, opens the log, plans the first batch one gap after
  // the start time. 1 when it planned it; 0 when there is nothing to send or
  // a parameter makes no sense (reported).
  int Start() override;
  // "SEND_PACKET": draws one batch, sends its packet on every outgoing
  // connection and plans the next batch. 1, or 0 once the bytes are sent and
  // for any other event.
  int HandleEvent(Event& e) override;

  double BytesSent() const { return bytesSent_; }

 private:
  static const ParamTable<VBRBatchSource>& ParameterRows();
  // Draws the next gap, remembers it and plans the next batch after t.
  void PlanBatch(double t);

  double meanCells_ = 0;
  double meanInterval_ = 0;
  double bytesSent_ = 0;  // carries over into later runs
  double lastGap_ = 0;    // the inter-batch period drawn last
  Random random_;
  long poissonSeed_;      // state word of the Poisson draws
};
