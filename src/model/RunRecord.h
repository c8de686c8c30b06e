// RunRecord: the summary of one run that the kernel writes beside the run's
// other files as {Path}{network}_run.json - the seeds that determine the run,
// how far it went, every file it wrote, and the exact figures of its traffic
// sources, receivers and queueing systems. The figures come from a
// RunRecorder that the equipment models supply; without one installed the
// kernel writes no record.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

class Network;

struct RunRecord {
  static constexpr int kVersion = 1;

  struct Source {
    std::string block, name;
    uint64_t packets = 0, cells = 0;
    double bytes = 0;
  };
  struct Receiver {
    std::string block, name;
    uint64_t packets = 0;
    double delayMean = 0, delayVariance = 0, delayMin = 0, delayMax = 0;
  };
  struct Queue {
    std::string block, name;
    uint64_t arrived = 0, accepted = 0, discarded = 0;
    double lossRatio = 0, bufferMean = 0, bufferVariance = 0, bufferMax = 0, bufferDelayMean = 0,
           serverMean = 0;
  };

  std::string network;
  uint32_t seed = 0;  // the base seed
  uint64_t run = 0;   // the replication index
  double endTime = 0;
  double timeReached = 0;  // time of the last event executed
  uint64_t events = 0;
  double wallSeconds = 0;
  bool interrupted = false;
  std::vector<std::string> files;
  // The figures' lists, gathered by their feeds when the writer reaches them
  // and written one element at a time: a network of thousands of queues
  // never holds the figures of all at once. A feed calls its argument once
  // per element; an empty feed is an empty list.
  template <class T>
  using Feed = std::function<void(const std::function<void(const T&)>&)>;
  Feed<Source> sources;
  Feed<Receiver> receivers;
  Feed<Queue> queues;
};

// What the equipment models supply: Begin restarts the per-run figures of
// every object of the network at time 0 of a run; Collect gives them to the
// record as its feeds, called while the record is written, time averages
// taken over [0, horizon].
class RunRecorder {
 public:
  virtual ~RunRecorder() = default;
  virtual void Begin(Network& network) = 0;
  virtual void Collect(const Network& network, double horizon, RunRecord& record) = 0;
};

// The record as JSON text (undefined figures, such as the mean delay of no
// packet, are null).
std::string RunRecordJson(const RunRecord& record);
void WriteRunRecordJson(std::ostream& out, const RunRecord& record);
// Writes the record to path through a temporary file renamed into place, so
// that a reader never sees half a record. False when it could not.
bool WriteRunRecord(const RunRecord& record, const std::string& path);
