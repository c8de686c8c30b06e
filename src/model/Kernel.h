// Kernel: the single top-level object. Owns every network by name, the table
// of destination files used by file and save, and the one event queue all
// networks share; runs the discrete-event simulation of a network.
#pragma once
#include <cstdint>
#include <memory>

#include "core/NewestFirstMap.h"
#include "core/Sstring.h"
#include "model/EventPriorityQueue.h"

class Network;
class RunRecorder;

class Kernel {
 public:
  Kernel();
  ~Kernel();
  Kernel(const Kernel&) = delete;
  Kernel& operator=(const Kernel&) = delete;

  int CreateNetwork(const Sstring& name);
  int RemoveNetwork(const Sstring& name);
  int ExistNetwork(const Sstring& name) const { return networks_.Contains(name) ? 1 : 0; }
  Network* FindNetwork(const Sstring& name) const;

  // Destination files of save, by network name (entries are never removed).
  void SetDestinationFile(const Sstring& network, const Sstring& file) {
    files_.Put(network, file);
  }
  const Sstring* DestinationFile(const Sstring& network) const { return files_.Find(network); }

  // Runs the network up to the end time (the first event past it still
  // runs); writes the console report and the run's files. Returns 1, or 0
  // when there is no such network.
  int Run(const Sstring& network, double endTime);

  EventPriorityQueue& Queue() { return queue_; }
  // The end time of the run under way (or of the last one).
  double RunEndTime() const { return runEndTime_; }
  double CurrentTime() const { return currentTime_; }
  // Figures of the last run: events executed and the mean number of events
  // waiting in the queue when one was taken.
  unsigned long long LastRunEvents() const { return lastRunEvents_; }
  double LastRunMeanPending() const {
    return lastRunEvents_ ? pendingSum_ / static_cast<double>(lastRunEvents_) : 0.0;
  }

  // Random streams of the traffic sources: source k (in order of
  // construction) is seeded from the base seed, k and the replication index.
  // Without SetBaseSeed the base seed comes from the system's entropy.
  void SetBaseSeed(uint32_t seed) {
    baseSeed_ = seed;
    seedFixed_ = true;
  }
  bool SeedFixed() const { return seedFixed_; }
  uint32_t BaseSeed() const { return baseSeed_; }
  // Replication K (0 by default) gives every source a stream of its own.
  void SetRunIndex(uint64_t k) { runIndex_ = k; }
  uint64_t RunIndex() const { return runIndex_; }
  uint32_t NextSourceSeed();
  // How many source streams have been seeded so far: the number of the last.
  uint32_t SourcesSeeded() const { return sourcesSeeded_; }

  // With a recorder installed (not owned), every run ends by writing its
  // run record, {Path}{network}_run.json.
  void SetRunRecorder(RunRecorder* recorder) { recorder_ = recorder; }

 private:
  struct RunOutputs;
  struct RunClock;
  // The steps of Run.
  void PrepareRun(Network& net, double endTime);
  void OpenRunFiles(const Network& net, const Sstring& networkName, RunOutputs& files);
  // Takes and delivers events up to the end time; the number taken.
  unsigned long long Loop(Network& net, double endTime, RunOutputs& files, RunClock& clock);
  void Report(unsigned long long count, RunOutputs& files, const RunClock& clock);
  void FinishRun(Network& net, RunOutputs& files);
  void WriteRecord(const Network& net, const Sstring& networkName, double endTime,
                   unsigned long long count, const RunOutputs& files, const RunClock& clock);

  double currentTime_ = 0.0;
  double runEndTime_ = 0.0;
  EventPriorityQueue queue_;
  NewestFirstMap<Sstring, std::unique_ptr<Network>> networks_;
  NewestFirstMap<Sstring, Sstring> files_;
  uint32_t baseSeed_ = 0;
  bool seedFixed_ = false;
  uint32_t sourcesSeeded_ = 0;
  uint64_t runIndex_ = 0;
  RunRecorder* recorder_ = nullptr;
  unsigned long long lastRunEvents_ = 0;
  double pendingSum_ = 0.0;
};
