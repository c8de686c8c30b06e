// TrafficReceiver: the receiving layer "TR" of an application block. It takes
// the packets its terminal's AAL reassembles, measures their delay from
// creation to reception, and logs the delays per packet ("Ce") and their
// running mean and variance at a fixed interval ("SS").
#pragma once
#include "atm/DelayLog.h"
#include "core/ExactStatistics.h"
#include "model/Layer.h"

class TrafficReceiver : public Layer {
 public:
  TrafficReceiver(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the parameters, opens the logs that are on and plans the sampling
  // from time 0. 1.
  int Start() override;
  // "CPCS_UNITDATA_SIGNAL": measures and releases the packet; 1. Writes the
  // "SS" line on "LOG_SAMPLE_STATISTICS"; 0 for that and any other event.
  int HandleEvent(Event& e) override;
  // Closes the logs. 1.
  int End() override;

  // The statistics and the last delay cover every run since the layer was made.
  double LastDelay() const { return delays_.Last(); }
  double MeanDelay() const { return delays_.Mean(); }
  double DelayVariance() const { return delays_.Variance(); }

  // Exact packet-delay figures of the run under way, whatever the log
  // settings; restarted at time 0 of every run.
  void BeginRunFigures() { runDelays_ = SampleSummary(); }
  const SampleSummary& RunDelays() const { return runDelays_; }

 private:
  DelayLog delays_;
  SampleSummary runDelays_;
};
