// Kernel: networks, destination files and the simulation run.
#include "model/Kernel.h"

#include <cstdio>
#include <fstream>
#include <ostream>

#include "model/Network.h"
#include "model/RunFiles.h"
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

// The files a run writes besides the components' logs.
struct Kernel::RunOutputs {
  std::string prefix;  // path + network name
  std::ofstream eventLog, perfFile, endFile;
  bool logOn = false, perfOn = false, endOn = false;
};

// The wall clock at the start of the loop and at its last checkpoint.
struct Kernel::RunClock {
  platform::TimeOfDay begin;
  double beginHundredths = 0;
  double checkpoint = 0;
};

int Kernel::Run(const Sstring& networkName, double endTime) {
  Network* net = FindNetwork(networkName);
  if (!net) return 0;
  RunOutputs files;
  RunClock clock;
  PrepareRun(*net, endTime);
  OpenRunFiles(*net, networkName, files);
  net->StartAll();
  const unsigned long long count = Loop(*net, endTime, files, clock);
  Report(count, files, clock);
  FinishRun(*net, files);
  return 1;
}

// Events left by an earlier run (of any network) would double its sources or
// leak into this network: every run starts from an empty queue.
void Kernel::PrepareRun(Network& net, double endTime) {
  queue_.Clear();
  runEndTime_ = endTime;
  net.PrepareRun();
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

  currentTime_ = 0.0;
  unsigned long long count = 0;
  double pending = 0.0;
  EventPriorityQueue::Taken taken;
  while (currentTime_ <= endTime && queue_.TakeFirst(taken)) {
    Event& ev = *taken.event;
    ++count;
    pending += static_cast<double>(queue_.Size());
    currentTime_ = ev.time;
    if (files.logOn) {
      files.eventLog << count << ' ' << ev.time << ' ' << ev.type << ' ' << ev.sourceBlock << ' '
                     << ev.destinationBlock << ' ' << ev.sourceLayer << ' ' << ev.destinationLayer
                     << " \n";
    }
    if (Block* b = net.RoutableBlock(ev.destinationBlock)) b->RouteEvent(ev);
    if (files.perfOn && count % 10000 == 0) {
      double now = platform::Now().Hundredths();
      double delay = now - clock.checkpoint;
      if (delay < 0) delay += kHundredthsPerDay;
      out << count << ' ' << delay << ' ' << currentTime_ << '\n';
      files.perfFile << count << ' ' << delay << ' ' << currentTime_ << '\n';
      clock.checkpoint = now;
    }
    queue_.Release(taken);
  }
  lastRunEvents_ = count;
  pendingSum_ = pending;
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
