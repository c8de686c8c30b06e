// Tests of the traffic receiver: packet delays, their logs and statistics,
// and the release of received packets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestNetwork.h"
#include "atm/TrafficReceiver.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {
// The receiver of application A1 on terminal T1, driven by hand.
struct Rx : TestNetwork {
  TrafficReceiver* tr;

  Rx(const char* cells, const char* samples) {
    n->CreateBlock("A1", "ATM Generic Application", "a");
    n->CreateBlock("T1", "ATM B-TE", "t");
    n->ConnectBlock("A1", "T1", "x");
    tr = dynamic_cast<TrafficReceiver*>(n->FindBlock("A1")->FindLayer("TR"));
    tr->PutParam("Trigger by cell status", Sstring(cells));
    tr->PutParam("Sample statistics status", Sstring(samples));
  }
  void Start() {
    n->PrepareRun();
    EXPECT_EQ(tr->Start(), 1);
  }
  // Packets born at time 0 arrive at the given times; events run up to end.
  void Run(std::initializer_list<double> arrivals, double end) {
    for (double t : arrivals) {
      Event e;
      e.time = t;
      e.type = Word::CPCS_UNITDATA_SIGNAL;
      e.Set(CPCS_UnitData(std::make_shared<UserSDU>(0.0, Name("p"), 40.0), 0, 0, 0, 0, 0));
      k.Queue().Add(std::move(e));
    }
    for (Event e; !k.Queue().IsEmpty() && k.Queue().First()->time <= end;) {
      k.Queue().RemoveFirst(e);
      tr->HandleEvent(e);
    }
    tr->End();
  }
  std::string Log(const char* prefix) {
    std::stringstream s;
    s << std::ifstream(dir / ("A1_TR_" + std::string(prefix) + ".dat")).rdbuf();
    return s.str();
  }
};
}  // namespace

TEST(TrafficReceiver, LogsDelaysAndTheirSampleStatistics) {
  Rx rx("ON", "ON");
  rx.Start();
  rx.Run({0.001, 0.003}, 0.0045);
  // A line every 0.001 s from time 0; a packet comes before the line of its
  // instant, having been queued first.
  EXPECT_EQ(rx.Log("SS"),
            "Time SMPD SVPD\n"
            "0                     0                     0                    \n"
            "0.001                 0.001                 0                    \n"
            "0.002                 0.001                 0                    \n"
            "0.003                 0.002                 1e-06                \n"
            "0.004                 0.002                 1e-06                \n");
  EXPECT_EQ(rx.Log("Ce"),
            "Time PacketDelay\n"
            "0                     0                    \n"
            "0.001                 0.001                \n"
            "0.003                 0.003                \n");
  // A later run opens its packet log with the last delay.
  rx.Start();
  rx.Run({}, 0);
  EXPECT_EQ(rx.Log("Ce"), "Time PacketDelay\n0                     0.003                \n");
}

TEST(TrafficReceiver, ReleasesPacketsAndStaysQuietWhenOff) {
  Rx rx("OFF", "OFF");
  rx.Start();
  EXPECT_TRUE(rx.k.Queue().IsEmpty());
  Event e;
  e.type = Word::CPCS_UNITDATA_SIGNAL;
  e.time = 0.5;
  auto sdu = std::make_shared<UserSDU>(0.25, Name("p"), 40.0);
  std::weak_ptr<UserSDU> watch = sdu;
  e.Set(CPCS_UnitData(std::move(sdu), 0, 0, 0, 0, 0));
  EXPECT_EQ(rx.tr->HandleEvent(e), 1);
  EXPECT_TRUE(watch.expired());  // by the receiver, while the event still lives
  EXPECT_EQ(rx.tr->LastDelay(), 0.25);
  EXPECT_TRUE(fs::is_empty(rx.dir));

  // A non-positive interval is reported as the terminal ATM layer and the
  // queues report it; the line of time 0 is written and none is planned after it.
  rx.tr->PutParam("Sample statistics status", Sstring("ON"));
  rx.tr->PutParam("Logging every x secs", 0.0);
  platform::CapturedOutput console;
  rx.Start();
  EXPECT_EQ(console.Take(),
            "run warning: block \"A1\" layer \"TR\": parameter \"Logging every x secs\" makes no "
            "sense; its log keeps only its first line in this run\n");
  EXPECT_EQ(rx.k.Queue().Size(), 1u);
  rx.Run({}, 1);
  EXPECT_TRUE(rx.k.Queue().IsEmpty());
  EXPECT_EQ(rx.Log("SS"), "Time SMPD SVPD\n0                     0                     0                    \n");
}
