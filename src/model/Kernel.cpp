// Kernel: networks, destination files and the simulation run.
#include "model/Kernel.h"

#include <cstdio>
#include <fstream>
#include <new>
#include <ostream>
#include <stdexcept>

#include "core/Random.h"
#include "model/Network.h"
#include "model/RunFiles.h"
#include "model/RunRecord.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Entropy.h"
#include "platform/Files.h"
#include "platform/Interrupt.h"
#include "platform/Progress.h"

Kernel::Kernel() : baseSeed_(platform::EntropySeed()) {}

// Networks go first: their layers may still refer to the queue.
Kernel::~Kernel() {
  networks_.Clear();
  queue_.Clear();
}

int Kernel::CreateNetwork(const Sstring& name) {
  if (networks_.Contains(name)) return 0;
  networks_.Put(name, std::make_unique<Network>(name, *this));
  return 1;
}

int Kernel::RemoveNetwork(const Sstring& name) { return networks_.Erase(name) ? 1 : 0; }

Network* Kernel::FindNetwork(const Sstring& name) const {
  auto* slot = networks_.Find(name);
  return slot ? slot->get() : nullptr;
}

namespace {
uint64_t Mix64(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
}  // namespace

uint32_t Kernel::NextSourceSeed() {
  // A 32-bit mix of the base seed and the source number, so that nearby base
  // seeds and consecutive sources give unrelated streams.
  const uint64_t z = Mix64((static_cast<uint64_t>(baseSeed_) << 32) + (++sourcesSeeded_));
  const uint32_t seed = static_cast<uint32_t>(z) | 1u;
  if (runIndex_ == 0) return seed;
  // Replication K. The sources' uniform draws are the low 16 bits of a
  // linear congruential state, which repeat every 65536 draws whatever the
  // seed: a stream is a starting point on that one cycle. Run K starts
  // K * 40503 draws (65536 over the golden ratio) after run 0, which spreads
  // the replications' starting points evenly (10 replications stay at least
  // 3656 draws apart) instead of letting chance put two close together. The
  // high 16 bits, which the Poisson draws' seed also takes, come from a mix
  // of the seed and K.
  Random lcg(seed);
  for (uint64_t step = (runIndex_ * 40503u) & 0xFFFFu; step > 0; --step) lcg.NextRaw();
  const uint64_t high = Mix64(z ^ Mix64(runIndex_));
  return (static_cast<uint32_t>(high) & 0xFFFF0000u) | (lcg.State() & 0xFFFFu);
}

namespace {
std::string Clock(const platform::TimeOfDay& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2d:%02d:%02d.%02d\n", t.hours, t.minutes, t.seconds,
                t.hundredths);
  return buf;
}

// Opens one of the kernel's run files, creating its directory; a file that
// cannot be created is reported once and the run goes on without it.
bool OpenKernelFile(std::ofstream& f, const std::string& path) {
  platform::EnsureParentDirectory(path);
  f = platform::OpenForWriting(path);
  if (!f) {
    platform::Out() << "run warning: cannot create the file " << Sstring(path) << '\n';
    return false;
  }
  return true;
}

constexpr double kHundredthsPerDay = 24.0 * 360000.0;
}  // namespace

// The files a run writes besides the components' logs.
struct Kernel::RunOutputs {
  std::string prefix;  // path + network name
  std::ofstream eventLog, perfFile, endFile;
  bool logOn = false, perfOn = false, endOn = false;
  bool interrupted = false;  // a signal ended the loop before its end time
};

// The wall clock at the start of the loop and at its last checkpoint; the
// steady clock's seconds the loop took, for the run record.
struct Kernel::RunClock {
  platform::TimeOfDay begin;
  double beginHundredths = 0;
  double checkpoint = 0;
  double wallSeconds = 0;
};

int Kernel::Run(const Sstring& networkName, double endTime) {
  Network* net = FindNetwork(networkName);
  if (!net) return 0;
  // SIGINT and SIGTERM end the run in order: its files and record are
  // written; the caller then reads the flag and decides what follows.
  platform::InterruptScope interruptScope;
  RunOutputs files;
  RunClock clock;
  PrepareRun(*net, endTime);
  OpenRunFiles(*net, networkName, files);
  net->StartAll();
  const unsigned long long count = Loop(*net, endTime, files, clock);
  if (files.interrupted)
    platform::Err() << "celvane: run of " << networkName << " interrupted at time " << currentTime_
                    << " s of " << endTime << " s, after " << count << " events\n";
  Report(count, files, clock);
  FinishRun(*net, files);
  WriteRecord(*net, networkName, endTime, count, files, clock);
  return 1;
}

// Events left by an earlier run (of any network) would double its sources or
// leak into this network: every run starts from an empty queue.
void Kernel::PrepareRun(Network& net, double endTime) {
  queue_.Clear();
  runEndTime_ = endTime;
  net.PrepareRun();
  if (recorder_) recorder_->Begin(net);
}

void Kernel::OpenRunFiles(const Network& net, const Sstring& networkName, RunOutputs& files) {
  const NetworkSettings settings = net.Settings();
  files.prefix = settings.path.str() + networkName.str();
  files.logOn =
      settings.logStatus == "ON" && OpenKernelFile(files.eventLog, files.prefix + "_events.log");
  files.perfOn =
      settings.perfStatus == "ON" && OpenKernelFile(files.perfFile, files.prefix + "_perf.dat");
  if (files.perfOn) files.perfFile << "Event Delay Time\n";
  if (seedFixed_ || sourcesSeeded_ > 0) platform::Out() << "-> Semente base: " << baseSeed_ << '\n';
}

unsigned long long Kernel::Loop(Network& net, double endTime, RunOutputs& files, RunClock& clock) {
  std::ostream& out = platform::Out();
  platform::ClearScreen();
  out << "-> Rodando Simulacao ...\n";
  clock.begin = platform::Now();
  out << "-> Tempo de Inicio da Simulacao: " << Clock(clock.begin) << '\n';
  clock.beginHundredths = clock.begin.Hundredths();
  clock.checkpoint = clock.beginHundredths;
  const double wallBegin = platform::MonotonicSeconds();

  currentTime_ = 0.0;
  unsigned long long count = 0;
  uint64_t pending = 0;  // summed as a whole number, turned into a double at the end
  const bool logOn = files.logOn;
  EventPriorityQueue::Taken taken;
  platform::RunProgress progress(endTime);
  // Every kCheckEvery events the loop writes the performance line (every
  // 10000th event) and lets the progress line look at the clock: one
  // comparison per event for both. An interrupt (Ctrl-C, SIGTERM) ends the
  // run before the next event; the files are then completed as at a normal
  // end.
  constexpr unsigned long long kCheckEvery = 1000;
  unsigned long long nextCheck = kCheckEvery;
  // A run whose events outgrow the queue's bound or the memory (a link so
  // fast that billions of cells are in flight) ends there, like an
  // interrupted one, instead of ending the program.
  const char* outgrown = nullptr;
  try {
    while (currentTime_ <= endTime && !platform::InterruptRequested() && queue_.TakeFirst(taken)) {
      Event& ev = *taken.event;
      queue_.PrefetchAhead();
      ++count;
      pending += queue_.Size();
      currentTime_ = ev.time;
      if (logOn) {
        files.eventLog << count << ' ' << ev.time << ' ' << ev.type << ' ' << ev.sourceBlock << ' '
                       << ev.destinationBlock << ' ' << ev.sourceLayer << ' ' << ev.destinationLayer
                       << " \n";
      }
      if (Component* h = ev.handler) h->HandleEvent(ev);
      else if (Block* b = net.RoutableBlock(ev.destinationBlock)) b->RouteEvent(ev);
      queue_.Release(taken);
      if (count == nextCheck) {
        nextCheck += kCheckEvery;
        if (files.perfOn && count % 10000 == 0) {
          double now = platform::Now().Hundredths();
          double delay = now - clock.checkpoint;
          if (delay < 0) delay += kHundredthsPerDay;
          progress.Erase();
          out << count << ' ' << delay << ' ' << currentTime_ << '\n';
          files.perfFile << count << ' ' << delay << ' ' << currentTime_ << '\n';
          progress.Redraw();
          clock.checkpoint = now;
        }
        progress.Tick(currentTime_, count);
      }
    }
  } catch (const std::length_error&) {
    outgrown = "more events would wait than the queue holds";
  } catch (const std::bad_alloc&) {
    outgrown = "the memory ran out";
  }
  progress.Finish();
  if (outgrown)
    platform::Err() << "celvane: run of " << net.GetName() << " stopped at time " << currentTime_
                    << " s after " << count << " events: " << outgrown << " ("
                    << queue_.Size() << " events waiting); the run ends there\n";
  lastRunEvents_ = count;
  pendingSum_ = static_cast<double>(pending);
  clock.wallSeconds = platform::MonotonicSeconds() - wallBegin;
  files.interrupted = platform::InterruptRequested();
  return count;
}

// The console report and the "_end.dat" file.
void Kernel::Report(unsigned long long count, RunOutputs& files, const RunClock& clock) {
  std::ostream& out = platform::Out();
  files.endOn = OpenKernelFile(files.endFile, files.prefix + "_end.dat");
  if (files.endOn) files.endFile << "NoE BeginTime EndTime SimTime TimePerEvent\n";
  out << "\n-> Numero de Eventos Processados: " << count << "\n\n";
  platform::TimeOfDay endClock = platform::Now();
  const double begin = clock.beginHundredths;
  const double end = endClock.Hundredths();
  double elapsed = end - begin;
  if (elapsed < 0) elapsed += kHundredthsPerDay;  // the run passed midnight
  const double perEvent = count ? elapsed / static_cast<double>(count) : 0.0;
  out << "-> Tempo de Inicio da Simulacao: " << Clock(clock.begin) << '\n'
      << "-> Tempo Final da Simulacao: " << Clock(endClock) << '\n'
      << "-> Tempo Inicial da simulacao em centesimos de segundo: " << begin << "\n\n"
      << "-> Tempo Final da simulacao em centesimos de segundo: " << end << "\n\n"
      << "-> Tempo de simulacao em centesimos de segundo: " << elapsed << "\n\n"
      << "-> Tempo Medio de simulacao em segundos por evento: " << perEvent << "\n\n";
  if (files.endOn)
    files.endFile << count << ' ' << begin << ' ' << end << ' ' << elapsed << ' ' << perEvent
                  << " \n";
}

// Flushes the components' logs and the kernel's files, so the files are
// complete once the run is over; a file that could not take everything (a
// full disk) is reported.
void Kernel::FinishRun(Network& net, RunOutputs& files) {
  net.FinishAll();
  if (files.logOn) ReportIfIncomplete(files.eventLog, files.prefix + "_events.log");
  if (files.perfOn) ReportIfIncomplete(files.perfFile, files.prefix + "_perf.dat");
  if (files.endOn) ReportIfIncomplete(files.endFile, files.prefix + "_end.dat");
}

// With a recorder installed: the run record, {Path}{network}_run.json,
// written once every other file of the run is complete.
void Kernel::WriteRecord(const Network& net, const Sstring& networkName, double endTime,
                         unsigned long long count, const RunOutputs& files,
                         const RunClock& clock) {
  if (!recorder_) return;
  RunRecord r;
  r.network = networkName.str();
  r.seed = baseSeed_;
  r.run = runIndex_;
  r.endTime = endTime;
  r.timeReached = currentTime_;
  r.events = count;
  r.wallSeconds = clock.wallSeconds;
  r.interrupted = files.interrupted;
  if (files.logOn) r.files.push_back(files.prefix + "_events.log");
  if (files.perfOn) r.files.push_back(files.prefix + "_perf.dat");
  r.files.insert(r.files.end(), net.RunFileNames().begin(), net.RunFileNames().end());
  if (files.endOn) r.files.push_back(files.prefix + "_end.dat");
  recorder_->Collect(net, currentTime_, r);
  const std::string path = files.prefix + "_run.json";
  if (!WriteRunRecord(r, path))
    platform::Err() << "run warning: cannot write the run record " << Sstring(path) << '\n';
}
