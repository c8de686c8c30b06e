// RunFigures: the run recorder of the ATM models. It restarts the per-run
// figures of every traffic source, traffic receiver and queueing system of a
// network when a run begins, and puts them into the run record at its end.
#pragma once
#include "model/RunRecord.h"

class AtmRunRecorder : public RunRecorder {
 public:
  void Begin(Network& network) override;
  void Collect(const Network& network, double horizon, RunRecord& record) override;
};
