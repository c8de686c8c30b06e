// RunRecord: the run record as JSON, keys in the order of the record.
#include "model/RunRecord.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/Files.h"

namespace {
using Json = nlohmann::ordered_json;

// Undefined figures (NaN) and infinities have no JSON number: null.
Json Number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }
}  // namespace

std::string RunRecordJson(const RunRecord& r) {
  Json j;
  j["version"] = RunRecord::kVersion;
  j["network"] = r.network;
  j["seed"] = r.seed;
  j["run"] = r.run;
  j["end_time"] = Number(r.endTime);
  j["time_reached"] = Number(r.timeReached);
  j["events"] = r.events;
  j["wall_seconds"] = Number(r.wallSeconds);
  j["interrupted"] = r.interrupted;
  j["files"] = r.files;
  j["sources"] = Json::array();
  for (const RunRecord::Source& s : r.sources)
    j["sources"].push_back(Json{{"block", s.block},
                                {"name", s.name},
                                {"packets", s.packets},
                                {"cells", s.cells},
                                {"bytes", Number(s.bytes)}});
  j["receivers"] = Json::array();
  for (const RunRecord::Receiver& x : r.receivers)
    j["receivers"].push_back(Json{{"block", x.block},
                                  {"name", x.name},
                                  {"packets", x.packets},
                                  {"delay_mean", Number(x.delayMean)},
                                  {"delay_variance", Number(x.delayVariance)},
                                  {"delay_min", Number(x.delayMin)},
                                  {"delay_max", Number(x.delayMax)}});
  j["queues"] = Json::array();
  for (const RunRecord::Queue& q : r.queues)
    j["queues"].push_back(Json{{"block", q.block},
                               {"name", q.name},
                               {"arrived", q.arrived},
                               {"accepted", q.accepted},
                               {"discarded", q.discarded},
                               {"loss_ratio", Number(q.lossRatio)},
                               {"buffer_mean", Number(q.bufferMean)},
                               {"buffer_variance", Number(q.bufferVariance)},
                               {"buffer_max", Number(q.bufferMax)},
                               {"buffer_delay_mean", Number(q.bufferDelayMean)},
                               {"server_mean", Number(q.serverMean)}});
  // Names are the user's bytes: invalid UTF-8 is replaced, not refused.
  return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool WriteRunRecord(const RunRecord& record, const std::string& path) {
  return platform::WriteWholeFile(path, RunRecordJson(record));
}
