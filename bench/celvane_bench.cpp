// Throughput of the simulator against a bare binary-heap event loop.
//
//   celvane_bench reference RATE_BPS SECONDS   terminal -> switch -> terminal
//   celvane_bench scale CONNECTIONS SECONDS    16 terminals around a 16-port switch
//   celvane_bench bare EVENTS PENDING          the bare loop alone
//
// Prints one line of key=value figures; peak_rss_kb is the process's peak.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <queue>
#include <sstream>
#include <string>
#include <vector>

#include "atm/QueueingSystem.h"
#include "console/Dispatcher.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

namespace {

using Clock = std::chrono::steady_clock;

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void Exec(Kernel& k, const std::string& line) {
  if (!ExecuteLine(k, line.c_str())) {
    std::fprintf(stderr, "bench: command failed: %s\n", line.c_str());
    std::exit(1);
  }
}

std::string Id(const char* prefix, int i) { return prefix + std::to_string(i); }

// Terminal Ti with application Ai, wired to the switch S.
void AddTerminal(Kernel& k, int i) {
  Exec(k, "create block net " + Id("T", i) + " \"ATM B-TE\" te");
  Exec(k, "connect block net " + Id("T", i) + " S CB_PHYSICAL_LAYER");
  Exec(k, "create block net " + Id("A", i) + " \"ATM Generic Application\" app");
  Exec(k, "connect block net " + Id("A", i) + " " + Id("T", i) + " x");
}

// One CBR connection of 40-byte packets (one cell each) from Ai on Ti to Aj
// on Tj through the switch S.
void AddConnection(Kernel& k, int i, int j, double rate) {
  std::string v = Id("v", i), t = Id("T", i), r = Id("T", j);
  Exec(k, "create vcc net " + v + " CBR 155520000 " + t);
  Exec(k, "connect vcc block net " + v + " S " + t);
  Exec(k, "connect vcc block net " + v + " " + r + " S");
  Exec(k, "create link net " + v + " " + t + " S 1 " + std::to_string(100 + i));
  Exec(k, "create link net " + v + " S " + r + " 2 " + std::to_string(100 + i));
  std::ostringstream rateText;
  rateText.precision(17);
  rateText << rate;
  Exec(k, "put parameter layer net " + Id("A", i) + " CBR_TS \"Bit rate\" double 1 1 " +
              rateText.str() + " \"Bit rate\" SHOW");
  Exec(k, "create dc net " + Id("d", i) + " " + Id("A", i) + " " + Id("A", j));
}

// `terminals` terminals around one 16-port switch; connection i runs from
// terminal i to terminal i + 1 (modulo the number of terminals).
int RunNetwork(int terminals, int connections, double rate, double seconds) {
  Kernel k;
  Exec(k, "create network net");
  Exec(k, "put parameter network net \"Performance log status\" string 1 1 OFF d SHOW");
  Exec(k, "put parameter network net \"Path\" string 1 1 \"/tmp/celvane_bench_\" d SHOW");
  Exec(k, "create block net S \"ATM Switch\" sw");
  Exec(k, "put parameter block net S \"Number of ports\" \"short int\" 1 1 16 d SHOW");
  for (int i = 0; i < terminals; ++i) AddTerminal(k, i);
  for (int i = 0; i < connections; ++i) AddConnection(k, i, (i + 1) % terminals, rate);

  std::ostringstream sink;
  platform::SetOut(&sink);
  auto begin = Clock::now();
  k.Run("net", seconds);
  double wall = std::chrono::duration<double>(Clock::now() - begin).count();
  platform::SetOut(nullptr);

  // Cells handed to the link towards each receiving terminal.
  unsigned long long delivered = 0;
  Network* net = k.FindNetwork("net");
  Block* s = net->FindBlock("S");
  for (int i = 0; i < connections; ++i) {
    Sstring port, qs;
    s->PeekData("DLN", Sstring(Id("T", (i + 1) % terminals)), port);
    s->PeekData(port, "PHY_QS", qs);
    if (QueueingSystem* q = FindQueueingSystem(*s, qs)) delivered += q->Served();
  }
  unsigned long long events = k.LastRunEvents();
  std::printf("events=%llu wall_s=%.4f events_per_s=%.0f cells=%llu cells_per_s=%.0f "
              "mean_pending=%.1f peak_rss_kb=%ld\n",
              events, wall, events / wall, delivered, delivered / wall, k.LastRunMeanPending(),
              PeakRssKb());
  return 0;
}

// The bare loop: a binary heap of (time, sequence) keys holding `pending`
// events; each event taken schedules one more, as a simulation does.
int RunBare(unsigned long long events, unsigned long long pending) {
  struct Key {
    double time;
    unsigned long long seq;
    bool operator>(const Key& o) const { return time > o.time || (time == o.time && seq > o.seq); }
  };
  std::priority_queue<Key, std::vector<Key>, std::greater<Key>> heap;
  unsigned long long seq = 0;
  double t = 0;
  for (unsigned long long i = 0; i < pending; ++i) heap.push({1e-6 * (i % 7), seq++});
  auto begin = Clock::now();
  double checksum = 0;
  for (unsigned long long i = 0; i < events; ++i) {
    Key k = heap.top();
    heap.pop();
    t = k.time;
    checksum += t;
    heap.push({t + 1e-6 * (1 + (k.seq * 2654435761u) % 13), seq++});
  }
  double wall = std::chrono::duration<double>(Clock::now() - begin).count();
  std::printf("events=%llu wall_s=%.4f events_per_s=%.0f checksum=%g\n", events, wall,
              events / wall, checksum);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "reference")
    return RunNetwork(2, 1, std::atof(argv[2]), std::atof(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "scale")
    return RunNetwork(16, std::atoi(argv[2]), 32e6, std::atof(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "bare")
    return RunBare(std::strtoull(argv[2], nullptr, 10), std::strtoull(argv[3], nullptr, 10));
  std::fprintf(stderr, "usage: celvane_bench reference RATE SECONDS | scale N SECONDS | bare EVENTS PENDING\n");
  return 2;
}
