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

// T1 and T2 back to back, A1 on T1 sending to A2 on T2 over VCC v (labels
// 1/100) and DC d1. Files go to a scratch folder of the test.
struct Sim : TestNetwork {
  Sim() {
    for (const char* b : {"T1", "T2"}) n->CreateBlock(b, "ATM B-TE", "t");
    for (const char* b : {"A1", "A2"}) n->CreateBlock(b, "ATM Generic Application", "a");
    n->ConnectBlock("T1", "T2", "CB_PHYSICAL_LAYER");
    n->ConnectBlock("A1", "T1", "x");
    n->ConnectBlock("A2", "T2", "x");
    EXPECT_EQ(n->CreateVcc("v", "CBR", 1e9, "T1") * n->ConnectVccBlock("v", "T2", "T1") *
                  n->CreateLink("v", "T1", "T2", 1, 100) * n->CreateDc("d1", "A1", "A2"),
              1);
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
  Sim sim;
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

// Events go straight to the component routing picks, as resolved for the
// run under way: a receiver replaced between two runs, or a receiving
// application removed, gets (or misses) the packets of the next run.
TEST(Runs, EditsBetweenRunsRouteTheNextRunAfresh) {
  Sim sim;
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
  Sim sim;
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
