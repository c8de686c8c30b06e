// Tests of the traffic receiver: packet delays, their logs and statistics,
// and the release of received packets; and one packet stream end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "atm/TrafficReceiver.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

fs::path TestDir() {
  fs::path dir = fs::temp_directory_path() /
                 (std::string("celvane-receiver-") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// Application A1 on terminal T1; the receiver is driven by hand.
struct ReceiverNet {
  Kernel k;
  Network* n = nullptr;
  fs::path dir = TestDir();
  TrafficReceiver* tr = nullptr;

  ReceiverNet() {
    k.CreateNetwork("n");
    n = k.FindNetwork("n");
    n->PutParam("Path", Sstring(dir.string() + "/"));
    n->CreateBlock("A1", "ATM Generic Application", "a");
    n->CreateBlock("T1", "ATM B-TE", "t");
    n->ConnectBlock("A1", "T1", "x");
    tr = dynamic_cast<TrafficReceiver*>(n->FindBlock("A1")->FindLayer("TR"));
    n->PrepareRun();
  }
  ~ReceiverNet() { fs::remove_all(dir); }

  // A packet born at `birth` arriving at t.
  void Arrive(double t, double birth) {
    Event e;
    e.time = t;
    e.type = Word::CPCS_UNITDATA_SIGNAL;
    e.sourceBlock = Name("T1");
    e.sourceLayer = Word::AAL5;
    e.destinationBlock = Name("A1");
    e.destinationLayer = Word::TR;
    e.Set(CPCS_UnitData(std::make_shared<UserSDU>(birth, Name("p"), 40.0), 0, 0, 0, 0, 0));
    k.Queue().Add(std::move(e));
  }
  // Hands every queued event up to `end` to the receiver.
  void Pump(double end) {
    Event e;
    while (!k.Queue().IsEmpty() && k.Queue().First()->time <= end) {
      k.Queue().RemoveFirst(e);
      tr->HandleEvent(e);
    }
  }
};

}  // namespace

TEST(TrafficReceiver, SampleStatisticsOfTheDelays) {
  ReceiverNet net;
  ASSERT_NE(net.tr, nullptr);
  net.tr->PutParam("Sample statistics status", Sstring("ON"));
  net.tr->PutParam("Trigger by cell status", Sstring("ON"));
  ASSERT_EQ(net.tr->Start(), 1);
  net.Arrive(0.001, 0.0);
  net.Arrive(0.003, 0.0);
  net.Pump(0.0045);
  EXPECT_DOUBLE_EQ(net.tr->MeanDelay(), 0.002);
  EXPECT_DOUBLE_EQ(net.tr->DelayVariance(), 1e-06);
  net.tr->End();

  // One line every 0.001 s from time 0, the first before any packet.
  std::istringstream ss(ReadFile(net.dir / "A1_TR_SS.dat"));
  std::string line, last;
  std::getline(ss, line);
  EXPECT_EQ(line, "Time SMPD SVPD");
  std::getline(ss, line);
  EXPECT_EQ(line, "0                     0                     0                    ");
  int lines = 1;
  while (std::getline(ss, line)) last = line, ++lines;
  EXPECT_EQ(lines, 5);
  EXPECT_EQ(last, "0.004                 0.002                 1e-06                ");

  EXPECT_EQ(ReadFile(net.dir / "A1_TR_Ce.dat"),
            "Time PacketDelay\n"
            "0                     0                    \n"
            "0.001                 0.001                \n"
            "0.003                 0.003                \n");

  // A later run starts its packet log with the last delay; the statistics
  // go on over both runs.
  net.n->PrepareRun();
  net.tr->Start();
  net.Arrive(0.002, 0.0);
  net.Pump(0.0025);
  net.tr->End();
  EXPECT_EQ(ReadFile(net.dir / "A1_TR_Ce.dat"),
            "Time PacketDelay\n"
            "0                     0.003                \n"
            "0.002                 0.002                \n");
  EXPECT_DOUBLE_EQ(net.tr->MeanDelay(), 0.002);
}

TEST(TrafficReceiver, ReleasesEveryPacketAndStaysQuietWhenOff) {
  ReceiverNet net;
  ASSERT_EQ(net.tr->Start(), 1);
  EXPECT_TRUE(net.k.Queue().IsEmpty());
  net.Arrive(0.5, 0.25);
  Event e;
  net.k.Queue().RemoveFirst(e);
  std::weak_ptr<UserSDU> sdu = e.Get<CPCS_UnitData>()->data;
  EXPECT_EQ(net.tr->HandleEvent(e), 1);
  EXPECT_TRUE(sdu.expired());  // released by the receiver, not by the event
  EXPECT_EQ(net.tr->LastDelay(), 0.25);
  EXPECT_EQ(net.tr->MeanDelay(), 0.0);  // no statistics when off
  net.tr->End();
  EXPECT_TRUE(fs::is_empty(net.dir));
}

TEST(TrafficReceiver, NonPositiveIntervalWritesOnlyTheFirstLine) {
  ReceiverNet net;
  platform::CapturedOutput console;
  net.tr->PutParam("Sample statistics status", Sstring("ON"));
  net.tr->PutParam("Logging every x secs", 0.0);
  ASSERT_EQ(net.tr->Start(), 1);
  EXPECT_NE(console.Take().find("\"Logging every x secs\""), std::string::npos);
  EXPECT_TRUE(net.k.Queue().IsEmpty());
  net.tr->End();
  EXPECT_EQ(ReadFile(net.dir / "A1_TR_SS.dat"),
            "Time SMPD SVPD\n0                     0                     0                    \n");
}

// A1 (CBR) -> T1 -> T2 -> A2 over one VCC and one data connection.
TEST(TrafficReceiver, PacketsCrossTheNetworkWithPositiveDelays) {
  const fs::path dir = TestDir();
  {
    Kernel k;
    k.CreateNetwork("n");
    Network* n = k.FindNetwork("n");
    n->PutParam("Path", Sstring(dir.string() + "/"));
    for (const char* a : {"A1", "A2"}) n->CreateBlock(a, "ATM Generic Application", "a");
    for (const char* t : {"T1", "T2"}) n->CreateBlock(t, "ATM B-TE", "t");
    ASSERT_EQ(n->ConnectBlock("A1", "T1", "x"), 1);
    ASSERT_EQ(n->ConnectBlock("A2", "T2", "x"), 1);
    ASSERT_EQ(n->ConnectBlock("T1", "T2", "CB_PHYSICAL_LAYER"), 1);
    ASSERT_EQ(n->CreateVcc("V1", "CBR", 32000000, "T1"), 1);
    ASSERT_EQ(n->ConnectVccBlock("V1", "T2", "T1"), 1);
    ASSERT_EQ(n->CreateLink("V1", "T1", "T2", 1, 32), 1);
    ASSERT_EQ(n->CreateDc("D1", "A1", "A2"), 1);
    Layer* cbr = n->FindBlock("A1")->FindLayer("CBR_TS");
    cbr->PutParam("Number of bytes to be sent", 100.0);
    cbr->PutParam("Log packet time status", Sstring("ON"));
    n->FindBlock("A2")->FindLayer("TR")->PutParam("Trigger by cell status", Sstring("ON"));
    platform::CapturedOutput console;
    k.Run("n", 1.0);
  }
  std::istringstream ce(ReadFile(dir / "A2_TR_Ce.dat"));
  std::string header;
  std::getline(ce, header);
  EXPECT_EQ(header, "Time PacketDelay");
  double t, delay, lastT = -1;
  int packets = 0;
  ce >> t >> delay;  // the opening line at time 0
  while (ce >> t >> delay) {
    EXPECT_GT(delay, 0.0);
    EXPECT_GT(t, lastT);
    lastT = t;
    ++packets;
  }
  EXPECT_EQ(packets, 3);
  EXPECT_NE(ReadFile(dir / "A1_CBR_TS.dat").find("\n3e-05 "), std::string::npos);
  fs::remove_all(dir);
}
