// TrafficReceiver: packet delays, per packet and as sample statistics.
#include "atm/TrafficReceiver.h"
#include "atm/DelayLogParameters.h"

#include <cmath>

#include "core/DatFormat.h"

TrafficReceiver::TrafficReceiver(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block) {
  DeclareDelayLogParameters(*this);
}

int TrafficReceiver::Start() {
  Sstring cellStatus, sampleStatus;
  GetParam("Trigger by cell status", cellStatus);
  GetParam("Sample statistics status", sampleStatus);
  GetParam("Logging every x secs", interval_);

  cellOn_ = cellStatus == "ON" && OpenShortNamedLog(cellLog_, "Ce");
  sampleOn_ = sampleStatus == "ON" && OpenShortNamedLog(sampleLog_, "SS");
  if (cellOn_) {
    WriteDatHeader(cellLog_, {"Time", "PacketDelay"});
    WriteDatLine(cellLog_, {0.0, lastDelay_});
  }
  if (sampleOn_) {
    WriteDatHeader(sampleLog_, {"Time", "SMPD", "SVPD"});
    if (UsablePeriod(GetNetwork(), interval_)) {
      ScheduleSelf(0.0, Word::LOG_SAMPLE_STATISTICS);
    } else {
      ReportBadParameter("Logging every x secs");
      WriteSampleLine(0.0);
    }
  }
  return 1;
}

void TrafficReceiver::WriteSampleLine(double t) { WriteDatLine(sampleLog_, {t, mean_, variance_}); }

int TrafficReceiver::HandleEvent(Event& e) {
  current_ = &e;
  if (e.type == Word::LOG_SAMPLE_STATISTICS) {
    if (!sampleOn_) return 0;
    WriteSampleLine(e.time);
    // An interval too small to move the clock would stall the run.
    const double next = e.time + interval_;
    if (next > e.time) ScheduleSelf(next, Word::LOG_SAMPLE_STATISTICS);
    return 0;
  }
  if (e.type != Word::CPCS_UNITDATA_SIGNAL) return 0;
  CPCS_UnitData* packet = e.Get<CPCS_UnitData>();
  if (!packet || !packet->data) return 0;
  lastDelay_ = e.time - packet->data->birthTime;
  runDelays_.Add(lastDelay_);
  if (cellOn_) WriteDatLine(cellLog_, {e.time, lastDelay_});
  if (sampleOn_) {
    delays_.AddSample(lastDelay_);
    delays_.GetMeanVariance(mean_, variance_);
  }
  // This is the packet's last user: the SDU goes now, not with the event.
  packet->data.reset();
  return 1;
}

int TrafficReceiver::End() {
  if (cellLog_.is_open()) cellLog_.close();
  if (sampleLog_.is_open()) sampleLog_.close();
  cellOn_ = sampleOn_ = false;
  return 1;
}
