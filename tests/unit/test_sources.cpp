// Tests of the traffic sources (CBR, VBR batch, file-driven): what they hand
// to the terminal's AAL, when, on which connections, and what they log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "atm/CBRSource.h"
#include "atm/FileSource.h"
#include "atm/VBRBatchSource.h"
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

// Network "n": application A1 (with the given traffic source) on terminal T1,
// and optionally A2 on T2. Files go to a fresh directory of the test.
struct SourceNet {
  Kernel k;
  Network* n = nullptr;
  fs::path dir;

  explicit SourceNet(const char* source, bool second = false, long seed = -1) {
    dir = fs::temp_directory_path() /
          (std::string("celvane-sources-") +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (seed >= 0) k.SetBaseSeed(static_cast<uint32_t>(seed));
    k.CreateNetwork("n");
    n = k.FindNetwork("n");
    n->PutParam("Path", Sstring(dir.string() + "/"));
    for (int i = 1; i <= (second ? 2 : 1); ++i) {
      const std::string a = "A" + std::to_string(i), t = "T" + std::to_string(i);
      n->CreateBlock(a, "ATM Generic Application", "a");
      n->FindBlock(a)->PutParam("Traffic source", Sstring(source));
      n->CreateBlock(t, "ATM B-TE", "t");
      n->ConnectBlock(a, t, "x");
    }
    n->PrepareRun();
  }
  ~SourceNet() { fs::remove_all(dir); }

  Block& App(const char* a = "A1") { return *n->FindBlock(a); }
  template <class L>
  L& Source(const char* a = "A1") {
    std::vector<Sstring> names;
    App(a).ListLayers(names);
    for (const Sstring& name : names)
      if (auto* l = dynamic_cast<L*>(App(a).FindLayer(name))) return *l;
    throw std::runtime_error("no source");
  }
  void AddDc(const char* dci, const char* direction = "Output", const char* a = "A1") {
    App(a).PutData(dci, "NCI", Sstring("V"));
    App(a).PutData(dci, "Direction", Sstring(direction));
  }

  // Runs the queue: events addressed to one of the layers go to it (counted
  // in handled), the others are returned. Stops at maxHandled or past end.
  std::vector<Event> Pump(std::vector<Layer*> layers, size_t maxHandled = SIZE_MAX,
                          double end = 1e300) {
    std::vector<Event> out;
    Event e;
    handled = 0;
    while (handled < maxHandled && !k.Queue().IsEmpty() && k.Queue().First()->time <= end) {
      k.Queue().RemoveFirst(e);
      Layer* target = nullptr;
      for (Layer* l : layers)
        if (e.destinationBlock == l->GetBlockNameId() && e.destinationLayer == l->GetNameId())
          target = l;
      if (target) {
        ++handled;
        target->HandleEvent(e);
      } else {
        out.push_back(e);
      }
    }
    return out;
  }
  size_t handled = 0;
};

const UserSDU& Sdu(Event& e) { return *e.Get<CPCS_UnitData>()->data; }

}  // namespace

TEST(CBRSource, DefaultsGiveTheFirstPacketOneIntervalAfterTheStart) {
  SourceNet net("CBR");
  CBRSource& src = net.Source<CBRSource>();
  EXPECT_EQ(src.Parameters().size(), 8u);
  EXPECT_EQ(src.GetParameter("Start time")->description, "Start time of the tranmition");
  net.AddDc("D1");
  EXPECT_EQ(src.Start(), 1);
  EXPECT_EQ(src.Interval(), 1e-05);
  EXPECT_EQ(src.NumberOfPackets(), 25000000u);
  ASSERT_EQ(net.k.Queue().Size(), 1u);
  EXPECT_EQ(net.k.Queue().First()->time, 1e-05);
  EXPECT_EQ(net.k.Queue().First()->type, Word::SEND_PACKET);
}

TEST(CBRSource, SendsCeilingOfBytesOverLengthAndLogsEachPacket) {
  SourceNet net("CBR");
  CBRSource& src = net.Source<CBRSource>();
  src.PutParam("Number of bytes to be sent", 100.0);
  src.PutParam("Log packet time status", Sstring("ON"));
  net.AddDc("D1");
  ASSERT_EQ(src.Start(), 1);
  std::vector<Event> sent = net.Pump({&src});
  // Three packets, then the one planned event that sends nothing.
  EXPECT_EQ(net.handled, 4u);
  EXPECT_TRUE(net.k.Queue().IsEmpty());
  ASSERT_EQ(sent.size(), 3u);
  const double times[] = {1e-05, 2e-05, 3e-05};
  for (size_t i = 0; i < 3; ++i) {
    Event& e = sent[i];
    EXPECT_EQ(e.type, Word::CPCS_UNITDATA_INVOKE);
    EXPECT_EQ(e.destinationBlock, Name("T1"));
    EXPECT_EQ(e.destinationLayer, Word::AAL5);
    EXPECT_EQ(e.connection, Name("D1"));
    EXPECT_DOUBLE_EQ(e.time, times[i]);
    EXPECT_EQ(Sdu(e).birthTime, e.time);
    EXPECT_EQ(Sdu(e).length, 40.0);
    EXPECT_EQ(Sdu(e).name, Name("CBR Constant Length Packet"));
  }
  src.End();
  EXPECT_EQ(ReadFile(net.dir / "A1_CBR_TS.dat"),
            "Time PacketLength PacketNumber\n"
            "1e-05                 40                    1                    \n"
            "2e-05                 40                    2                    \n"
            "3e-05                 40                    3                    \n");

  // The count carries over: a later run of the same source sends nothing.
  net.n->PrepareRun();
  ASSERT_EQ(src.Start(), 1);
  EXPECT_TRUE(net.Pump({&src}).empty());
  EXPECT_EQ(src.PacketsSent(), 3u);
}

TEST(CBRSource, EveryOutgoingConnectionGetsThePacketSharingOneSdu) {
  SourceNet net("CBR");
  CBRSource& src = net.Source<CBRSource>();
  src.PutParam("Number of bytes to be sent", 80.0);
  net.AddDc("D1");
  net.AddDc("D9", "Input");
  net.AddDc("D2");
  ASSERT_EQ(src.Start(), 1);
  std::vector<Event> sent = net.Pump({&src});
  ASSERT_EQ(sent.size(), 4u);
  // Table order: the connection added last comes first.
  const char* order[] = {"D2", "D1", "D2", "D1"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(sent[i].connection, Name(order[i])) << i;
  EXPECT_EQ(sent[0].time, sent[1].time);
  EXPECT_EQ(sent[0].Get<CPCS_UnitData>()->data, sent[1].Get<CPCS_UnitData>()->data);
  EXPECT_NE(sent[0].Get<CPCS_UnitData>()->data, sent[2].Get<CPCS_UnitData>()->data);
  std::weak_ptr<UserSDU> first = sent[0].Get<CPCS_UnitData>()->data;
  EXPECT_EQ(first.use_count(), 2);
  sent.clear();
  EXPECT_TRUE(first.expired());
}

TEST(CBRSource, NonsenseOrMissingSettingsSendNothing) {
  SourceNet net("CBR");
  CBRSource& src = net.Source<CBRSource>();
  platform::CapturedOutput console;

  // No outgoing connection: nothing planned, nothing said.
  EXPECT_EQ(src.Start(), 0);
  net.AddDc("D1");
  src.PutParam("Number of bytes to be sent", 0.0);
  EXPECT_EQ(src.Start(), 0);
  EXPECT_EQ(console.Take(), "");

  src.PutParam("Number of bytes to be sent", 100.0);
  src.PutParam("Bit rate", 0.0);
  src.PutParam("Packet length", -40.0);
  EXPECT_EQ(src.Start(), 0);
  const std::string said = console.Take();
  EXPECT_NE(said.find("\"Bit rate\""), std::string::npos) << said;
  EXPECT_NE(said.find("\"Packet length\""), std::string::npos) << said;
  EXPECT_TRUE(net.k.Queue().IsEmpty());

  // Without its ("DBN", layer) entry the source falls silent at once.
  src.PutParam("Bit rate", 1e6);
  src.PutParam("Packet length", 40.0);
  net.App().DelData("DBN", "CBR_TS");
  EXPECT_EQ(src.Start(), 1);
  EXPECT_TRUE(net.Pump({&src}).empty());
  EXPECT_EQ(net.handled, 1u);
}

TEST(VBRBatchSource, BatchesFillWholeCellsUntilTheBytesAreSent) {
  SourceNet net("VBR_BATCH", false, 7);
  VBRBatchSource& src = net.Source<VBRBatchSource>();
  src.PutParam("Mean number of ATM cells", 20.0);  // the rejection branch
  src.PutParam("Mean interval between batches", 1.0);
  src.PutParam("Number of bytes to be sent", 2e6);
  src.PutParam("Log packet time status", Sstring("ON"));
  net.AddDc("D1");
  net.AddDc("D2");
  ASSERT_EQ(src.Start(), 1);
  std::vector<Event> sent = net.Pump({&src});
  ASSERT_GE(sent.size(), 2u);
  ASSERT_EQ(sent.size() % 2, 0u);
  double bytes = 0, cells = 0;
  for (size_t i = 0; i < sent.size(); i += 2) {
    const double length = Sdu(sent[i]).length;
    ASSERT_EQ(Sdu(sent[i + 1]).length, length);
    ASSERT_EQ(sent[i + 1].time, sent[i].time);
    ASSERT_EQ(std::fmod(length + 8, 48.0), 0.0);
    bytes += 2 * length;
    cells += (length + 8) / 48;
  }
  EXPECT_EQ(src.BytesSent(), bytes);
  // Strict test: the last batch crossed the limit, the one before did not.
  EXPECT_GT(bytes, 2e6);
  EXPECT_LE(bytes - 2 * Sdu(sent.back()).length, 2e6);
  const double batches = sent.size() / 2.0;
  EXPECT_NEAR(cells / batches, 20.0, 0.6);

  // One log line per packet: time, gap, cells, length = cells * 48 - 8.
  src.End();
  std::istringstream log(ReadFile(net.dir / "A1_VBR_BATCH_TS.dat"));
  std::string header;
  std::getline(log, header);
  EXPECT_EQ(header, "Time IBP NoC PL");
  double t, gap, noc, pl, lastT = 0;
  size_t lines = 0;
  while (log >> t >> gap >> noc >> pl) {
    EXPECT_EQ(pl, noc * 48 - 8);
    EXPECT_EQ(pl, Sdu(sent[2 * lines]).length);
    EXPECT_GE(t, lastT);
    lastT = t;
    ++lines;
  }
  EXPECT_EQ(lines, sent.size() / 2);
}

TEST(VBRBatchSource, HalfACellOnAverageLeavesMostBatchesEmpty) {
  SourceNet net("VBR_BATCH", false, 11);
  VBRBatchSource& src = net.Source<VBRBatchSource>();
  net.AddDc("D1");
  ASSERT_EQ(src.Start(), 1);
  const double start = net.k.Queue().First()->time;
  const size_t batches = 20000;
  std::vector<Event> sent = net.Pump({&src}, batches);
  const double empty = 1.0 - double(sent.size()) / batches;
  EXPECT_NEAR(empty, std::exp(-0.5), 0.02);
  // Among the packets, one cell (40 bytes) has P(1) / (1 - P(0)) = 0.77; a
  // batch of three cells makes a 136-byte packet.
  size_t one = 0, three = 0;
  for (Event& e : sent) {
    one += Sdu(e).length == 40;
    three += Sdu(e).length == 136;
  }
  EXPECT_NEAR(double(one) / sent.size(), 0.5 * std::exp(-0.5) / (1 - std::exp(-0.5)), 0.03);
  EXPECT_GT(three, 0u);
  // Exponential gaps with the default mean interval.
  const double meanGap = (net.k.Queue().First()->time - start) / batches;
  EXPECT_NEAR(meanGap / 2.72633744856e-06, 1.0, 0.03);
}

TEST(VBRBatchSource, EachSourceHasItsOwnStreamRepeatableBySeed) {
  auto draw = [](long seed) {
    SourceNet net("VBR_BATCH", true, seed);
    VBRBatchSource& a = net.Source<VBRBatchSource>("A1");
    VBRBatchSource& b = net.Source<VBRBatchSource>("A2");
    for (Block* app : {&net.App("A1"), &net.App("A2")}) {
      app->PutData("D", "Direction", Sstring("Output"));
      app->FindLayer("VBR_BATCH_TS")->PutParam("Mean number of ATM cells", 4.0);
    }
    a.Start();
    b.Start();
    std::vector<double> lengths[2];
    for (Event& e : net.Pump({&a, &b}, 400))
      lengths[e.sourceBlock == Name("A1") ? 0 : 1].push_back(Sdu(e).length);
    return std::vector<std::vector<double>>{lengths[0], lengths[1]};
  };
  const auto first = draw(5);
  ASSERT_GT(first[0].size(), 50u);
  ASSERT_GT(first[1].size(), 50u);
  EXPECT_NE(first[0], first[1]);
  EXPECT_EQ(draw(5), first);
  EXPECT_NE(draw(6)[0], first[0]);
}

TEST(VBRBatchSource, NonsenseSettingsAreReported) {
  SourceNet net("VBR_BATCH");
  VBRBatchSource& src = net.Source<VBRBatchSource>();
  net.AddDc("D1");
  platform::CapturedOutput console;
  src.PutParam("Number of bytes to be sent", 0.0);
  EXPECT_EQ(src.Start(), 0);
  EXPECT_EQ(console.Take(), "");

  src.PutParam("Number of bytes to be sent", 1000.0);
  src.PutParam("Mean interval between batches", 0.0);
  src.PutParam("Mean number of ATM cells", -1.0);
  EXPECT_EQ(src.Start(), 0);
  const std::string said = console.Take();
  EXPECT_NE(said.find("\"Mean interval between batches\""), std::string::npos) << said;
  EXPECT_NE(said.find("\"Mean number of ATM cells\""), std::string::npos) << said;
  EXPECT_TRUE(net.k.Queue().IsEmpty());

  // A mean of 0 cells is legal: batches come, none carries a packet.
  src.PutParam("Mean interval between batches", 1.0);
  src.PutParam("Mean number of ATM cells", 0.0);
  EXPECT_EQ(src.Start(), 1);
  EXPECT_TRUE(net.Pump({&src}, 100).empty());
  EXPECT_EQ(net.handled, 100u);
  EXPECT_EQ(console.Take(), "");
}

namespace {
// A file source reading `text`, in stop mode `stop`, with one connection.
struct FileNet : SourceNet {
  FileSource& src;
  explicit FileNet(const std::string& text, const char* stop = "END")
      : SourceNet("GENERIC"), src(Source<FileSource>()) {
    std::ofstream(dir / "packets.txt") << text;
    src.PutParam("Source file name", Sstring((dir / "packets.txt").string()));
    src.PutParam("Stop to send at", Sstring(stop));
    AddDc("D1");
  }
  // Lengths of the packets sent, in time order.
  std::vector<double> Run() {
    n->PrepareRun();
    src.Start();
    std::vector<double> lengths;
    for (Event& e : Pump({&src})) lengths.push_back(Sdu(e).length);
    return lengths;
  }
};
}  // namespace

TEST(FileSource, PlacesEveryPairAtTimeZeroAndSkipsEmptyLengths) {
  FileNet net("0.5 100\n0.1 40 0.2\n0\n");
  ASSERT_EQ(net.src.Start(), 1);
  ASSERT_EQ(net.k.Queue().Size(), 1u);
  EXPECT_EQ(net.k.Queue().First()->time, 0.0);
  std::vector<Event> read = net.Pump({&net.src}, 1);
  EXPECT_TRUE(read.empty());
  // Both packets are queued by the one event at time 0, each at its own time.
  ASSERT_EQ(net.k.Queue().Size(), 2u);
  std::vector<Event> sent = net.Pump({&net.src});
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].time, 0.1);
  EXPECT_EQ(Sdu(sent[0]).length, 40.0);
  EXPECT_EQ(Sdu(sent[0]).birthTime, 0.1);
  EXPECT_EQ(sent[1].time, 0.5);
  EXPECT_EQ(Sdu(sent[1]).length, 100.0);
  EXPECT_GT(sent[0].stamp, sent[1].stamp);  // queued in file order
  EXPECT_EQ(sent[1].destinationLayer, Word::AAL5);
  EXPECT_EQ(Sdu(sent[1]).name, Name("Packet read from file"));
}

TEST(FileSource, StopModes) {
  const std::string file = "0.1 40 0.2 100 0.3 40";
  FileNet cells(file, "MAX_CELLS");
  cells.src.PutParam("Number of cells to be sent", 3.0);
  // 1 cell, then 3 more: 4 >= 3 stops before the third packet.
  EXPECT_EQ(cells.Run(), (std::vector<double>{40, 100}));
  EXPECT_EQ(cells.src.CellsSent(), 4.0);
  // The limit spans runs.
  EXPECT_TRUE(cells.Run().empty());

  EXPECT_EQ(FileNet(file, "MAX_BYTES").Run(), (std::vector<double>{40, 100, 40}));
  EXPECT_TRUE(FileNet(file, "NEVER").Run().empty());
}

TEST(FileSource, UnreadableEntriesAreReportedWithTheirPlace) {
  platform::CapturedOutput console;
  FileNet bad("0.5 100\n0.7 x 0.9 40\n");
  EXPECT_EQ(bad.Run(), std::vector<double>{100});
  std::string said = console.Take();
  EXPECT_NE(said.find("entry 4 (line 2)"), std::string::npos) << said;
  EXPECT_NE(said.find("not a number"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

  FileNet negative("-1 100 0.2 40 nan 40 0.3 40");
  EXPECT_EQ(negative.Run(), std::vector<double>{40});
  said = console.Take();
  EXPECT_NE(said.find("entry 1 (line 1)"), std::string::npos) << said;
  EXPECT_NE(said.find("entry 5 (line 1)"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2);

  FileNet missing("");
  missing.src.PutParam("Source file name", Sstring((missing.dir / "none.txt").string()));
  EXPECT_EQ(missing.src.Start(), 1);
  EXPECT_TRUE(missing.k.Queue().IsEmpty());
  said = console.Take();
  EXPECT_NE(said.find("none.txt"), std::string::npos) << said;
}
