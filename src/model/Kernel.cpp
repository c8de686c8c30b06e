// Kernel: networks, destination files and the simulation run.
#include "model/Kernel.h"

#include <cstdio>
#include <fstream>
#include <ostream>

#include "model/Layer.h"
#include "model/Network.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Files.h"

Kernel::Kernel() : baseSeed_(static_cast<uint32_t>(platform::SecondsSinceEpoch())) {}

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

uint32_t Kernel::NextSourceSeed() {
  // A 32-bit mix of the base seed and the source number, so that nearby base
  // seeds and consecutive sources give unrelated streams.
  uint64_t z = (static_cast<uint64_t>(baseSeed_) << 32) + (++sourcesSeeded_);
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<uint32_t>(z) | 1u;
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

  // Events left by an earlier run (of any network) would double its sources
  // or leak into this network: every run starts from an empty queue.
  queue_.Clear();
  runEndTime_ = endTime;
  net->PrepareRun();

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
  double checkpoint = begin;

  currentTime_ = 0.0;
  unsigned long long count = 0;
  double pending = 0.0;
  EventPriorityQueue::Taken taken;
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
    if (perfOn && count % 10000 == 0) {
      double now = platform::Now().Hundredths();
      double delay = now - checkpoint;
      if (delay < 0) delay += kHundredthsPerDay;
      out << count << ' ' << delay << ' ' << currentTime_ << '\n';
      perfFile << count << ' ' << delay << ' ' << currentTime_ << '\n';
      checkpoint = now;
    }
    queue_.Release(taken);
  }
  lastRunEvents_ = count;
  pendingSum_ = pending;

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
  if (logOn) ReportIfIncomplete(eventLog, prefix + "_events.log");
  if (perfOn) ReportIfIncomplete(perfFile, prefix + "_perf.dat");
  if (endOn) ReportIfIncomplete(endFile, prefix + "_end.dat");
  return 1;
}
