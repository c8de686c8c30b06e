// Whole runs of small networks: the kernel's report and run files with a
// fixed clock, the queues of a CBR stream below and above the link rate, and
// two connections crossing one switch.
#include <gtest/gtest.h>

#include "TestFiles.h"
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "TestNetwork.h"
#include "atm/TrafficReceiver.h"
#include "platform/Clock.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {

// Network "n" of terminals T1..Tn, each with application Ai, either wired
// back to back (two terminals) or each to port i-1 of the switch S. Files go
// to a scratch folder of the test.
struct Sim : TestNetwork {
  bool switched;
  std::map<std::string, unsigned> peak;      // most cells a queue held, by "block.queue"
  std::map<std::string, unsigned> received;  // packets each receiver took
  unsigned discarded = 0;                    // by all queueing systems

  Sim(int terminals, bool withSwitch) : switched(withSwitch) {
    if (switched) n->CreateBlock("S", "ATM Switch", "s");
    for (int i = 1; i <= terminals; ++i) {
      const std::string t = "T" + std::to_string(i), a = "A" + std::to_string(i);
      n->CreateBlock(t, "ATM B-TE", "t");
      n->CreateBlock(a, "ATM Generic Application", "a");
      if (switched) n->ConnectBlock(t, "S", "CB_PHYSICAL_LAYER");
      else if (i == 2) n->ConnectBlock("T1", "T2", "CB_PHYSICAL_LAYER");
      n->ConnectBlock(a, t, "x");
    }
  }

  // A CBR VCC from one terminal to another (through S when there is one),
  // labelled first/second on its two hops, and a data connection over it.
  using Labels = std::pair<unsigned, unsigned>;  // VPI, VCI
  void Connect(const char* dc, const char* from, const char* to, Labels first, Labels second = {}) {
    const std::string v = std::string("v_") + dc;
    ASSERT_EQ(n->CreateVcc(v, "CBR", 1e9, from), 1);
    if (switched) {
      ASSERT_EQ(n->ConnectVccBlock(v, "S", from) * n->ConnectVccBlock(v, to, "S"), 1);
      ASSERT_EQ(n->CreateLink(v, from, "S", first.first, first.second), 1);
      ASSERT_EQ(n->CreateLink(v, "S", to, second.first, second.second), 1);
    } else {
      ASSERT_EQ(n->ConnectVccBlock(v, to, from), 1);
      ASSERT_EQ(n->CreateLink(v, from, to, first.first, first.second), 1);
    }
    std::string sender = from, receiver = to;
    sender[0] = receiver[0] = 'A';
    ASSERT_EQ(n->CreateDc(dc, sender, receiver), 1);
  }
  void Source(const char* app, double bitRate, double length, double bytes = 1e9) {
    Layer& s = L(app, "CBR_TS");
    s.PutParam("Bit rate", bitRate);
    s.PutParam("Packet length", length);
    s.PutParam("Number of bytes to be sent", bytes);
  }

  // Runs as the kernel does (the end time is tested before each event),
  // noting after every event how many cells each queueing system holds.
  void Run(double end) {
    k.Queue().Clear();
    n->PrepareRun();
    n->StartAll();
    std::vector<std::pair<std::string, QueueingSystem*>> queues;
    n->ForEachBlock([&](Block& b) {
      std::vector<Sstring> names;
      if (b.ListQSs(names))
        for (const Sstring& q : names)
          queues.emplace_back(b.GetName().str() + "." + q.str(), FindQueueingSystem(b, q));
    });
    double now = 0;
    for (Event e; now <= end && k.Queue().RemoveFirst(e);) {
      now = e.time;
      Block* b = n->RoutableBlock(e.destinationBlock);
      if (b && b->RouteEvent(e) && e.type == Word::CPCS_UNITDATA_SIGNAL)
        ++received[e.destinationBlock.c_str()];
      for (auto& [name, q] : queues) peak[name] = std::max(peak[name], q->InSystem());
    }
    n->FinishAll();
    for (auto& q : queues) discarded += q.second->Discarded();
  }
};

}  // namespace

// Default source: 40-byte packets (one cell) every 40 * 8 / 32e6 = 1e-5 s,
// 10 events each (SEND_PACKET, CPCS_UNITDATA_INVOKE, ATM_DATA_REQUEST,
// PHY_DATA_REQUEST, 2 PHY_SEND_CELL, RECEIVE_CELL, PHY_DATA_INDICATION,
// ATM_DATA_INDICATION, CPCS_UNITDATA_SIGNAL), all within 1e-5 s of the
// packet, so event 10000 is the last one of packet 1000 (sent at 0.01):
// ceil((0.01 + 1e-9) / T) = ceil(3667.9) = 3668, on the link at 3669T, at T2
// at 3669T + 3.33e-8 = 0.01000296. The end time 0.0100031 lies after it, so
// the SEND_PACKET at 0.01001 still runs: 10001 events. With the clock fixed
// at 0:01:02.03 (6203 hundredths) every wall-clock figure is exact.
TEST(Runs, ReportAndRunFilesWithAFixedClock) {
  Sim sim(2, false);
  sim.Connect("d1", "T1", "T2", {1, 100});
  platform::FixClock({0, 1, 2, 3}, 0);
  platform::CapturedOutput console;
  const int ran = sim.k.Run("n", 0.0100031);
  platform::UseSystemClock();
  ASSERT_EQ(ran, 1);
  EXPECT_EQ(console.Take(),
            "-> Rodando Simulacao ...\n"
            "-> Tempo de Inicio da Simulacao:  0:01:02.03\n\n"
            "10000 0 0.010003\n"
            "\n-> Numero de Eventos Processados: 10001\n\n"
            "-> Tempo de Inicio da Simulacao:  0:01:02.03\n\n"
            "-> Tempo Final da Simulacao:  0:01:02.03\n\n"
            "-> Tempo Inicial da simulacao em centesimos de segundo: 6203\n\n"
            "-> Tempo Final da simulacao em centesimos de segundo: 6203\n\n"
            "-> Tempo de simulacao em centesimos de segundo: 0\n\n"
            "-> Tempo Medio de simulacao em segundos por evento: 0\n\n");
  EXPECT_EQ(Slurp(sim.dir / "n_perf.dat"), "Event Delay Time\n10000 0 0.010003\n");
  EXPECT_EQ(Slurp(sim.dir / "n_end.dat"),
            "NoE BeginTime EndTime SimTime TimePerEvent\n10001 6203 6203 0 0 \n");
  EXPECT_FALSE(fs::exists(sim.dir / "n_events.log"));  // the event log is off by default
}

// 1500-byte packets are 1500 + PAD 28 + 8 = 1536 bytes = 32 cells; at
// 100 Mbit/s one leaves every 1.2e-4 s and takes 32 T = 8.7e-5 s on the
// 155.52 Mbit/s link: 73% of it. A packet reaches T1's PHY_QS within 32 ns and
// its first slot comes later ((1.2e-4 + 1 ns) / T = 44.015, slot 45T), so the
// queue peaks at 32 and drains before the next packet. The switch gets one
// cell per T, 3.3e-8 s after each of its slots (S is T + 3.3e-19): a cell
// arrives while the one before it is in the server, so ATM_QS_1 and PHY_QS_1
// hold at most 2. The first packet's cells leave T1 at 46T .. 77T, S at
// 48S .. 79S and the port at 50T .. 81T: it is complete at 81T + 3.3e-8,
// 1.0e-4 s after it was sent. Packet k is sent at k * 1.2e-4: 7 packets are complete
// by 1 ms, 32 by 4 ms. The 4x longer run leaves every peak as it was.
TEST(Runs, BelowTheLinkRateQueuesStayBounded) {
  const std::map<std::string, unsigned> peaks = {{"S.ATM_QS_0", 0}, {"S.ATM_QS_1", 2},
                                                 {"S.PHY_QS_0", 0}, {"S.PHY_QS_1", 2},
                                                 {"T1.PHY_QS", 32}, {"T2.PHY_QS", 0}};
  for (double end : {0.001, 0.004}) {
    Sim sim(2, true);
    sim.Connect("d1", "T1", "T2", {1, 100}, {2, 200});
    sim.Source("A1", 100e6, 1500);
    sim.Run(end);
    EXPECT_EQ(sim.received["A2"], end < 0.002 ? 7u : 32u);
    EXPECT_EQ(sim.peak, peaks) << end;
    EXPECT_EQ(sim.discarded, 0u);
  }
}

// T1's link runs at 622.08 Mbit/s (cell time 6.8e-7 s), so it carries A1's
// 40-byte packets at 300 Mbit/s: one cell every 320 / 300e6 = 1.0667e-6 s,
// 937500 cells/s. The switch moves one cell per slot S = 2.72634e-6 s out of
// ATM_QS_1 (366792 cells/s); once its 10 places are full (after about 20 us)
// the other 570708 cells/s are discarded. Over the second half of a 1 ms run
// that is 570708 * 0.5e-3 = 285.4 discards, give or take one cell each in the
// arrivals, the serves and the buffer level; the whole 1 ms run discards about
// twice as many as the 0.5 ms one (2.04: the filling time counts once).
TEST(Runs, AboveTheLinkRateTheOutputQueueFillsAndDiscardsGrowLinearly) {
  unsigned discards[2];
  for (int i = 0; i < 2; ++i) {
    Sim sim(2, true);
    sim.Connect("d1", "T1", "T2", {1, 100}, {2, 200});
    sim.L("T1", "PHY").PutParam("Bit rate", 622.08e6);
    sim.L("S", "PHY_0").PutParam("Bit rate", 622.08e6);
    sim.Q("S", "ATM_QS_1").PutParam("Buffer size", 10u);
    sim.Source("A1", 300e6, 40);
    sim.Run(0.0005 * (i + 1));
    discards[i] = sim.Q("S", "ATM_QS_1").Discarded();
    EXPECT_EQ(sim.peak["S.ATM_QS_1"], 11u);  // 10 waiting, 1 in the server
    EXPECT_LE(sim.peak["T1.PHY_QS"], 2u);
    EXPECT_LE(sim.peak["S.PHY_QS_1"], 2u);
    EXPECT_EQ(sim.discarded, discards[i]);  // no other queue discards
  }
  EXPECT_NEAR(static_cast<double>(discards[1]) - discards[0], 285.4, 3.0);
  EXPECT_NEAR(static_cast<double>(discards[1]) / discards[0], 2.0, 0.1);
}

// Two VCCs cross S with swapped labels: T1 -> S on 1/100, S -> T3 on 2/200;
// T2 -> S on 2/200, S -> T4 on 1/100. A switch that kept the input labels,
// or looked connections up by their output labels, would hand the cells to a
// terminal that does not know them or to the other receiver. A1 sends 120
// bytes (3 packets of 40) to A3, A2 sends 200 (5) to A4.
TEST(Runs, TwoConnectionsThroughOneSwitchReachTheirOwnReceivers) {
  Sim sim(4, true);
  sim.Connect("d1", "T1", "T3", {1, 100}, {2, 200});
  sim.Connect("d2", "T2", "T4", {2, 200}, {1, 100});
  sim.Source("A1", 32e6, 40, 120);
  sim.Source("A2", 32e6, 40, 200);
  sim.Run(1.0);
  EXPECT_EQ(sim.received, (std::map<std::string, unsigned>{{"A3", 3}, {"A4", 5}}));
  EXPECT_TRUE(sim.k.Queue().IsEmpty());
}

// Events go straight to the component routing picks, as resolved for the
// run under way: a receiver replaced between two runs, or a receiving
// application removed, gets (or misses) the packets of the next run.
TEST(Runs, EditsBetweenRunsRouteTheNextRunAfresh) {
  Sim sim(2, false);
  sim.Connect("d1", "T1", "T2", {1, 100});
  sim.Source("A1", 32e6, 40);  // a packet every 1e-5 s
  platform::CapturedOutput quiet;
  auto delivered = [&] {
    return static_cast<TrafficReceiver&>(sim.L("A2", "TR")).RunDelays().Count();
  };
  sim.k.Run("n", 1e-4);
  const uint64_t perRun = delivered();
  EXPECT_GE(perRun, 9u);
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(sim.B("A2").RemoveLayer("TR"), 1);
    ASSERT_EQ(sim.B("A2").CreateLayer("TR", "TR"), 1);
    sim.k.Run("n", 1e-4);
    EXPECT_EQ(delivered(), perRun) << run;
  }
  ASSERT_EQ(sim.B("A2").RemoveLayer("TR"), 1);
  sim.k.Run("n", 1e-4);  // the packets now end at A2, which has no receiver
  ASSERT_EQ(sim.B("A2").CreateLayer("TR", "TR"), 1);
  sim.k.Run("n", 1e-4);
  EXPECT_EQ(delivered(), perRun);
}

// Run files that cannot take their lines (here a full device) are reported
// once each when the run ends: a statistics file and a kernel file.
TEST(Runs, FilesThatCannotBeWrittenAreReportedOnce) {
  Sim sim(2, false);
  sim.Connect("d1", "T1", "T2", {1, 100});
  sim.L("A1", "CBR_TS").PutParam("Log packet time status", Sstring("ON"));
  fs::create_directories(sim.dir);
  const char* full[] = {"A1_CBR_TS.dat", "n_end.dat"};
  for (const char* f : full) fs::create_symlink("/dev/full", sim.dir / f);
  platform::CapturedOutput console;
  ASSERT_EQ(sim.k.Run("n", 0.001), 1);
  const std::string said = console.Take();
  std::string expected;
  for (const char* f : full)
    expected += "run warning: cannot write the file \"" + (sim.dir / f).string() +
                "\"; it is incomplete\n";
  const size_t first = said.find("run warning");
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.substr(first), expected);
}
