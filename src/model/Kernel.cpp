// Kernel: networks, destination files and the simulation run.
#include "model/Kernel.h"

#include <cstdio>
#include <fstream>
#include <ostream>

#include "core/Random.h"
#include "model/Network.h"
#include "model/RunRecord.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Entropy.h"
#include "platform/Files.h"
#include "platform/Interrupt.h"

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

int Kernel::Run(const Sstring& networkName, double endTime) {
  Network* net = FindNetwork(networkName);
  if (!net) return 0;
  std::ostream& out = platform::Out();
  Sstring logStatus, perfStatus, path;
  net->GetParam("Simulation log status", logStatus);
  net->GetParam("Performance log status", perfStatus);
  net->GetParam("Path", path);
  const std::string prefix = path.str() + networkName.str();
  // SIGINT and SIGTERM end the run in order: its files and record are
  // written, then the signal takes its course.
  platform::InterruptScope interruptScope;

  // Events left by an earlier run (of any network) would double its sources
  // or leak into this network: every run starts from an empty queue.
  queue_.Clear();
  runEndTime_ = endTime;
  net->PrepareRun();
  if (recorder_) recorder_->Begin(*net);

  std::ofstream eventLog, perfFile, endFile;
  bool logOn = logStatus == "ON" && OpenKernelFile(eventLog, prefix + "_events.log");
  bool perfOn = perfStatus == "ON" && OpenKernelFile(perfFile, prefix + "_perf.dat");
  if (perfOn) perfFile << "Event Delay Time\n";
  if (seedFixed_ || sourcesSeeded_ > 0) out << "-> Semente base: " << baseSeed_ << '\n';

  net->StartAll();

  platform::ClearScreen();
  out << "-> Rodando Simulacao ...\n";
  platform::TimeOfDay beginClock = platform::Now();
  out << "-> Tempo de Inicio da Simulacao: " << Clock(beginClock) << '\n';
  const double begin = beginClock.Hundredths();
  const double wallBegin = platform::MonotonicSeconds();
  double checkpoint = begin;

  currentTime_ = 0.0;
  unsigned long long count = 0;
  double pending = 0.0;
  EventPriorityQueue::Taken taken;
  // Every kCheckEvery events the loop writes the performance line (every
  // 10000th event) and looks whether a signal asked the run to stop: one
  // comparison per event for both.
  constexpr unsigned long long kCheckEvery = 1000;
  unsigned long long nextCheck = kCheckEvery;
  while (currentTime_ <= endTime && queue_.TakeFirst(taken)) {
    Event& ev = *taken.event;
    ++count;
    pending += static_cast<double>(queue_.Size());
    currentTime_ = ev.time;
    if (logOn) {
      eventLog << count << ' ' << ev.time << ' ' << ev.type << ' ' << ev.sourceBlock << ' '
               << ev.destinationBlock << ' ' << ev.sourceLayer << ' ' << ev.destinationLayer
               << " \n";
    }
    if (Block* b = net->RoutableBlock(ev.destinationBlock)) b->RouteEvent(ev);
    queue_.Release(taken);
    if (count == nextCheck) {
      nextCheck += kCheckEvery;
      if (perfOn && count % 10000 == 0) {
        double now = platform::Now().Hundredths();
        double delay = now - checkpoint;
        if (delay < 0) delay += kHundredthsPerDay;
        out << count << ' ' << delay << ' ' << currentTime_ << '\n';
        perfFile << count << ' ' << delay << ' ' << currentTime_ << '\n';
        checkpoint = now;
      }
      if (platform::InterruptRequested()) break;
    }
  }
  lastRunEvents_ = count;
  pendingSum_ = pending;
  const double wallSeconds = platform::MonotonicSeconds() - wallBegin;
  const bool interrupted = platform::InterruptRequested();
  if (interrupted)
    platform::Err() << "celvane: run of " << networkName << " interrupted at time " << currentTime_
                    << '\n';

  bool endOn = OpenKernelFile(endFile, prefix + "_end.dat");
  if (endOn) endFile << "NoE BeginTime EndTime SimTime TimePerEvent\n";
  out << "\n-> Numero de Eventos Processados: " << count << "\n\n";
  platform::TimeOfDay endClock = platform::Now();
  const double end = endClock.Hundredths();
  double elapsed = end - begin;
  if (elapsed < 0) elapsed += kHundredthsPerDay;  // the run passed midnight
  const double perEvent = count ? elapsed / static_cast<double>(count) : 0.0;
  out << "-> Tempo de Inicio da Simulacao: " << Clock(beginClock) << '\n'
      << "-> Tempo Final da Simulacao: " << Clock(endClock) << '\n'
      << "-> Tempo Inicial da simulacao em centesimos de segundo: " << begin << "\n\n"
      << "-> Tempo Final da simulacao em centesimos de segundo: " << end << "\n\n"
      << "-> Tempo de simulacao em centesimos de segundo: " << elapsed << "\n\n"
      << "-> Tempo Medio de simulacao em segundos por evento: " << perEvent << "\n\n";
  if (endOn) endFile << count << ' ' << begin << ' ' << end << ' ' << elapsed << ' ' << perEvent << " \n";
  net->FinishAll();
  if (recorder_) {
    RunRecord r;
    r.network = networkName.str();
    r.seed = baseSeed_;
    r.run = runIndex_;
    r.endTime = endTime;
    r.timeReached = currentTime_;
    r.events = count;
    r.wallSeconds = wallSeconds;
    r.interrupted = interrupted;
    if (logOn) r.files.push_back(prefix + "_events.log");
    if (perfOn) r.files.push_back(prefix + "_perf.dat");
    r.files.insert(r.files.end(), net->RunFileNames().begin(), net->RunFileNames().end());
    if (endOn) r.files.push_back(prefix + "_end.dat");
    recorder_->Collect(*net, currentTime_, r);
    if (!WriteRunRecord(r, prefix + "_run.json"))
      platform::Err() << "run warning: cannot write the run record " << Sstring(prefix + "_run.json")
                      << '\n';
  }
  return 1;
}
