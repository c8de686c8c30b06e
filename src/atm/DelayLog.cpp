// DelayLog and PeriodicLog: opening, the lines of time 0 and the periodic lines.
#include "atm/DelayLog.h"

#include "core/DatFormat.h"
#include "model/Network.h"
#include "model/RunFiles.h"

void CheckLogInterval(const Component& owner, double interval, bool anyOn,
                      const char* consequence) {
  if (anyOn && !UsablePeriod(0.0, interval)) owner.ReportNonsense("Logging every x secs", consequence);
}

void PeriodicLog::Start(Component& owner, bool on, const std::string& path, const char* prefix,
                        std::initializer_list<const char*> columns, double interval) {
  on_ = on;
  prefix_ = prefix;
  timer_.Start(interval, &owner.GetNetwork().LogLines());
  if (!on) return;
  if (owner.OpenShortNamedLog(*file_, prefix, path)) WriteDatHeader(*file_, columns);
  owner.ScheduleSelf(0.0, type_);
}

void PeriodicLog::End() {
  if (file_.is_open()) file_.close();
  on_ = false;
}

const ParamTable<DelayLogSettings>& DelayLog::ParameterRows() {
  static const ParamTable<DelayLogSettings> rows = {
      {"Trigger by cell status", "OFF", "Trigger by cell status", &DelayLogSettings::cellStatus},
      {"Sample statistics status", "OFF", "Sample statistics status",
       &DelayLogSettings::sampleStatus},
      {"Logging every x secs", 0.001, "Logging every x secs", &DelayLogSettings::interval},
  };
  return rows;
}

void DelayLog::Start(Component& owner, const char* delayColumn, const char* meanColumn,
                     const char* varianceColumn) {
  DelayLogSettings settings;
  LoadParameters(owner, ParameterRows(), settings);
  cellOn_ = settings.cellStatus == "ON";
  sampleOn_ = settings.sampleStatus == "ON";
  CheckLogInterval(owner, settings.interval, sampleOn_,
                   "its log keeps only its first line in this run");
  if (!logs_) {
    if (!cellOn_ && !sampleOn_) return;
    logs_ = std::make_unique<Logs>();
  }
  Logs& l = *logs_;
  const std::string path = owner.NetworkPath().str();
  if (cellOn_ && owner.OpenShortNamedLog(*l.cellLog, "Ce", path))
    WriteDatHeader(*l.cellLog, {"Time", delayColumn});
  l.sampleLog.Start(owner, sampleOn_, path, "SS", {"Time", meanColumn, varianceColumn},
                    settings.interval);
  if (cellOn_) WriteDatLine(*l.cellLog, {0.0, last_});
}

void DelayLog::Add(double t, double delay) {
  last_ = delay;
  if (cellOn_) WriteDatLine(*logs_->cellLog, {t, delay});
  if (sampleOn_) {
    logs_->delays.AddSample(delay);
    logs_->delays.GetMeanVariance(mean_, variance_);
  }
}

bool DelayLog::WriteSample(Component& owner, const Event& e) {
  if (!logs_) return true;  // never planned by this log: nothing to write
  return logs_->sampleLog.Handle(owner, e, [&](std::ofstream& f, double t) {
    WriteDatLine(f, {t, mean_, variance_});
  });
}

void DelayLog::End() {
  if (logs_) {
    if (logs_->cellLog.is_open()) logs_->cellLog.close();
    logs_->sampleLog.End();
  }
  cellOn_ = sampleOn_ = false;
}
