// Cost of the simulator on generated networks, against a bare binary-heap
// event loop.
//
//   celvane_bench reference RATE_BPS SECONDS  terminal -> switch -> terminal
//   celvane_bench star N SECONDS              one switch, N senders, N receivers
//   celvane_bench chain K SECONDS             K switches in a row, one connection
//   celvane_bench torus SECONDS               4x4 torus of switches, 256 connections
//   celvane_bench bare EVENTS PENDING         the bare loop alone
//   celvane_bench script NETWORK ARG          prints a network's script
//
// A network is built as a console script run through the load command's path,
// so the figures follow whatever the commands do underneath. Prints one line
// of key=value figures: set-up and run CPU time (process CPU clock), events,
// CPU ns per event, mean pending events and the process's peak RSS. Under
// callgrind (--instr-atstart=no) only the run is instrumented.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <queue>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

#include "atm/RunFigures.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

std::string Num(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

// Script of one network named "net": logs off, statistics files under /tmp.
class Script {
 public:
  Script() {
    text_ << "create network net\n"
             "put parameter network net \"Performance log status\" string 1 1 OFF d SHOW\n"
             "put parameter network net \"Path\" string 1 1 \"/tmp/celvane_bench_\" d SHOW\n";
  }
  void Switch(const std::string& s, int ports) {
    text_ << "create block net " << s << " \"ATM Switch\" sw\n"
          << "put parameter block net " << s << " \"Number of ports\" \"short int\" 1 1 " << ports
          << " d SHOW\n";
  }
  // Terminal t with application a, wired to switch s.
  void Terminal(const std::string& t, const std::string& a, const std::string& s) {
    text_ << "create block net " << t << " \"ATM B-TE\" te\n"
          << "connect block net " << t << " " << s << " CB_PHYSICAL_LAYER\n"
          << "create block net " << a << " \"ATM Generic Application\" app\n"
          << "connect block net " << a << " " << t << " x\n";
  }
  void Wire(const std::string& a, const std::string& b) {
    text_ << "connect block net " << a << " " << b << " CB_PHYSICAL_LAYER\n";
  }
  // One CBR connection of 40-byte packets (one cell each) at `rate` from
  // application `from` on path[0] to application `to` on path.back(); the
  // connection's labels are VPI 1 (2 on the last hop) and VCI `vci`.
  void Connection(const std::string& id, const std::vector<std::string>& path,
                  const std::string& from, const std::string& to, int vci, double rate) {
    std::string v = "v" + id;
    text_ << "create vcc net " << v << " CBR 155520000 " << path[0] << "\n";
    for (size_t h = 1; h < path.size(); ++h)
      text_ << "connect vcc block net " << v << " " << path[h] << " " << path[h - 1] << "\n";
    for (size_t h = 1; h < path.size(); ++h)
      text_ << "create link net " << v << " " << path[h - 1] << " " << path[h] << " "
            << (h + 1 == path.size() ? 2 : 1) << " " << vci << "\n";
    text_ << "put parameter layer net " << from << " CBR_TS \"Bit rate\" double 1 1 " << Num(rate)
          << " \"Bit rate\" SHOW\n"
          << "create dc net d" << id << " " << from << " " << to << "\n";
  }
  std::string Text() const { return text_.str(); }

 private:
  std::ostringstream text_;
};

std::string I(const char* prefix, int i) { return prefix + std::to_string(i); }

// The reference network: two terminals around a 16-port switch, one
// connection from the first to the second.
std::string Reference(double rate) {
  Script s;
  s.Switch("S", 16);
  for (int i = 0; i < 2; ++i) s.Terminal(I("T", i), I("A", i), "S");
  s.Connection("0", {"T0", "S", "T1"}, "A0", "A1", 100, rate);
  return s.Text();
}

// One switch, sender terminals T0.. with applications A0.., receiver
// terminals R0.. with applications B0..; connection i from Ai to Bi.
std::string Star(int n) {
  Script s;
  s.Switch("S", 2 * n);
  for (int i = 0; i < n; ++i) s.Terminal(I("T", i), I("A", i), "S");
  for (int i = 0; i < n; ++i) s.Terminal(I("R", i), I("B", i), "S");
  for (int i = 0; i < n; ++i)
    s.Connection(std::to_string(i), {I("T", i), "S", I("R", i)}, I("A", i), I("B", i), 100 + i,
                 32e6);
  return s.Text();
}

// Switches S1 .. SK in a row; one connection from T0 before S1 to T1 after SK.
std::string Chain(int k) {
  Script s;
  for (int i = 1; i <= k; ++i) s.Switch(I("S", i), 4);
  s.Terminal("T0", "A0", "S1");
  for (int i = 1; i < k; ++i) s.Wire(I("S", i), I("S", i + 1));
  s.Terminal("T1", "A1", I("S", k));
  std::vector<std::string> path{"T0"};
  for (int i = 1; i <= k; ++i) path.push_back(I("S", i));
  path.push_back("T1");
  s.Connection("0", path, "A0", "A1", 100, 32e6);
  return s.Text();
}

// 4x4 torus: switch Sxy wired to S(x+1)y and Sx(y+1), wrapping round. Each
// switch carries 16 sender and 16 receiver terminals; sender j of switch
// (x, y) sends to receiver j of switch (x + j % 4, y + j / 4), along x first.
std::string Torus() {
  const int n = 4;
  auto sw = [&](int x, int y) { return "S" + std::to_string(x % n) + std::to_string(y % n); };
  auto end = [&](const char* p, int x, int y, int j) {
    return p + std::to_string(x) + std::to_string(y) + "_" + std::to_string(j);
  };
  Script s;
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y) s.Switch(sw(x, y), 4 + 32);
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y) {
      s.Wire(sw(x, y), sw(x + 1, y));
      s.Wire(sw(x, y), sw(x, y + 1));
    }
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y)
      for (int j = 0; j < 16; ++j) {
        s.Terminal(end("T", x, y, j), end("A", x, y, j), sw(x, y));
        s.Terminal(end("R", x, y, j), end("B", x, y, j), sw(x, y));
      }
  int id = 0;
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y)
      for (int j = 0; j < 16; ++j, ++id) {
        int dx = j % n, dy = j / n;
        std::vector<std::string> path{end("T", x, y, j)};
        for (int i = 0; i <= dx; ++i) path.push_back(sw(x + i, y));
        for (int i = 1; i <= dy; ++i) path.push_back(sw(x + dx, y + i));
        int rx = (x + dx) % n, ry = (y + dy) % n;
        path.push_back(end("R", rx, ry, j));
        // 4 Mbit/s keeps the busiest inter-switch link (24 connections) below its capacity.
        s.Connection(std::to_string(id), path, end("A", x, y, j), end("B", rx, ry, j), 100 + id,
                     4e6);
      }
  return s.Text();
}

// Loads the script through the load command, then runs it. The text is
// released once written: the peak memory measured is the simulator's.
int RunScript(std::string script, double seconds) {
  char path[] = "/tmp/celvane_bench_XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) {
    std::perror("bench: mkstemp");
    return 1;
  }
  close(fd);
  std::ofstream(path) << script;
  std::string().swap(script);

  AtmRunRecorder recorder;  // as the program has: every run writes its record
  Kernel k;
  k.SetRunRecorder(&recorder);
  double c0 = CpuSeconds();
  int loaded = LoadScript(k, Sstring(path));
  double c1 = CpuSeconds();
  std::remove(path);
  if (!loaded) {
    std::fprintf(stderr, "bench: the network's script failed\n");
    return 1;
  }

  std::ostringstream sink;
  platform::SetOut(&sink);
  std::string run = "run net " + Num(seconds);
  auto w0 = Clock::now();
  double c2 = CpuSeconds();
  CALLGRIND_START_INSTRUMENTATION;
  int ran = ExecuteLine(k, run.c_str());
  CALLGRIND_STOP_INSTRUMENTATION;
  double c3 = CpuSeconds();
  double wall = std::chrono::duration<double>(Clock::now() - w0).count();
  platform::SetOut(nullptr);
  if (!ran) {
    std::fprintf(stderr, "bench: the run failed\n");
    return 1;
  }
  unsigned long long events = k.LastRunEvents();
  double cpu = c3 - c2;
  std::printf("events=%llu setup_cpu_s=%.4f cpu_s=%.4f cpu_ns_per_event=%.1f wall_s=%.4f "
              "events_per_s=%.0f mean_pending=%.1f peak_rss_kb=%ld\n",
              events, c1 - c0, cpu, events ? 1e9 * cpu / static_cast<double>(events) : 0.0, wall,
              cpu > 0 ? static_cast<double>(events) / cpu : 0.0, k.LastRunMeanPending(),
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
  double c0 = CpuSeconds();
  double checksum = 0;
  for (unsigned long long i = 0; i < events; ++i) {
    Key k = heap.top();
    heap.pop();
    t = k.time;
    checksum += t;
    heap.push({t + 1e-6 * (1 + (k.seq * 2654435761u) % 13), seq++});
  }
  double cpu = CpuSeconds() - c0;
  std::printf("events=%llu cpu_s=%.4f cpu_ns_per_event=%.1f events_per_s=%.0f checksum=%g\n",
              events, cpu, 1e9 * cpu / static_cast<double>(events),
              static_cast<double>(events) / cpu, checksum);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: celvane_bench reference RATE SECONDS | star N SECONDS | chain K SECONDS |\n"
               "       torus SECONDS | bare EVENTS PENDING | script NETWORK [N|K|RATE]\n");
  return 2;
}

// The script of a network given by name and argument; empty when unknown.
std::string NetworkScript(const std::string& kind, const char* arg) {
  if (kind == "reference") return Reference(std::atof(arg));
  if (kind == "star" && std::atoi(arg) > 0) return Star(std::atoi(arg));
  if (kind == "chain" && std::atoi(arg) > 0) return Chain(std::atoi(arg));
  if (kind == "torus") return Torus();
  return std::string();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() == 3 && a[0] == "bare")
    return RunBare(std::strtoull(argv[2], nullptr, 10), std::strtoull(argv[3], nullptr, 10));
  if (a.size() >= 2 && a[0] == "script") {
    std::string s = NetworkScript(a[1], a.size() > 2 ? argv[3] : "0");
    if (s.empty()) return Usage();
    std::fputs(s.c_str(), stdout);
    return 0;
  }
  if (a.size() == 2 && a[0] == "torus") return RunScript(Torus(), std::atof(argv[2]));
  if (a.size() == 3) {
    std::string s = NetworkScript(a[0], argv[2]);
    if (!s.empty()) return RunScript(std::move(s), std::atof(argv[3]));
  }
  return Usage();
}
