// Tests of the traffic sources (CBR, VBR batch, file-driven): what they hand
// to the terminal's AAL, when, on which connections, and what they log.
#include <gtest/gtest.h>

#include "TestFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

#include "atm/CBRSource.h"
#include "atm/FileSource.h"
#include "atm/VBRBatchSource.h"
#include "TestNetwork.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {
// Applications A1.. with the given source on terminals T1.., each with the
// outgoing connection D1; files go to a directory of the test.
struct Net : TestNetwork {
  std::string source;
  size_t handled = 0;

  explicit Net(const char* src, int apps = 1, long seed = 1) : source(std::string(src) + "_TS") {
    k.SetBaseSeed(static_cast<uint32_t>(seed));
    for (int i = 1; i <= apps; ++i) {
      const std::string a = "A" + std::to_string(i), t = "T" + std::to_string(i);
      n->CreateBlock(a, "ATM Generic Application", "a");
      n->FindBlock(a)->PutParam("Traffic source", Sstring(src));
      n->CreateBlock(t, "ATM B-TE", "t");
      n->ConnectBlock(a, t, "x");
      n->FindBlock(a)->PutData("D1", "Direction", Sstring("Output"));
    }
    n->PrepareRun();
  }
  Block& App(const char* a = "A1") { return *n->FindBlock(a); }
  template <class L = Layer>
  L& Src(const char* a = "A1") { return dynamic_cast<L&>(*App(a).FindLayer(source)); }
  // Hands the sources their own events (at most max, counted in handled) and
  // returns what they send to the AAL.
  std::vector<Event> Pump(size_t max = SIZE_MAX) {
    std::vector<Event> out;
    for (Event e; handled < max && k.Queue().RemoveFirst(e);) {
      if (e.destinationLayer == Word::AAL5) {
        out.push_back(e);
      } else {
        ++handled;
        App(e.destinationBlock.c_str()).RouteEvent(e);
      }
    }
    return out;
  }
};

const UserSDU& Sdu(const Event& e) { return *std::get<CPCS_UnitData>(e.message).data; }
std::vector<double> Lengths(const std::vector<Event>& v) {
  std::vector<double> l;
  for (const Event& e : v) l.push_back(Sdu(e).length);
  return l;
}
}  // namespace

TEST(CBRSource, SendsCeilingOfBytesOverLengthOnEveryConnection) {
  Net net("CBR");
  auto& src = net.Src<CBRSource>();
  ASSERT_EQ(src.Start(), 1);  // defaults: 40-byte packets at 32 Mbit/s
  EXPECT_EQ(net.k.Queue().First()->time, 1e-05);
  net.k.Queue().Clear();

  src.PutParam("Number of bytes to be sent", 100.0);
  src.PutParam("Log packet time status", Sstring("ON"));
  net.App().PutData("D9", "Direction", Sstring("Input"));
  net.App().PutData("D2", "Direction", Sstring("Output"));
  ASSERT_EQ(src.Start(), 1);
  std::vector<Event> sent = net.Pump();
  EXPECT_EQ(net.handled, 4u);  // three packets, then the event that ends it
  ASSERT_EQ(sent.size(), 6u);
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].connection, Name(i % 2 ? "D1" : "D2"));  // table order: newest first
    EXPECT_EQ(sent[i].destinationBlock, Name("T1"));
    EXPECT_EQ(Sdu(sent[i]).birthTime, sent[i / 2 * 2].time);
    EXPECT_EQ(Sdu(sent[i]).length, 40.0);
  }
  // One SDU per packet, shared by its connections and freed after the last.
  std::weak_ptr<UserSDU> sdu = std::get<CPCS_UnitData>(sent[0].message).data;
  EXPECT_EQ(sdu.use_count(), 2);
  sent.clear();
  EXPECT_TRUE(sdu.expired());
  src.End();
  EXPECT_EQ(Slurp(net.dir / "A1_CBR_TS.dat"),
            "Time PacketLength PacketNumber\n"
            "1e-05                 40                    1                    \n"
            "2e-05                 40                    2                    \n"
            "3e-05                 40                    3                    \n");
  // The count carries over: a later run of the same source sends nothing.
  net.n->PrepareRun();
  src.Start();
  EXPECT_TRUE(net.Pump().empty());
}

TEST(TrafficSource, NonsenseSettingsAreReportedAndSendNothing) {
  const struct {
    const char* source;
    const char* parameter;
    double value;
  } cases[] = {
      {"CBR", "Bit rate", 0},
      {"CBR", "Packet length", -40},
      {"CBR", "Number of bytes to be sent", INFINITY},
      {"VBR_BATCH", "Mean interval between batches", 0},
      {"VBR_BATCH", "Mean number of ATM cells", NAN},
      // An AAL5 packet holds at most 65535 bytes: 1365 cells.
      {"CBR", "Packet length", 65535.5},
      // Less than a byte a packet: countless packets.
      {"CBR", "Packet length", 1e-300},
      {"VBR_BATCH", "Mean number of ATM cells", 1365.5},
  };
  platform::CapturedOutput console;
  for (const auto& c : cases) {
    Net net(c.source);
    net.Src().PutParam(c.parameter, c.value);
    EXPECT_EQ(net.Src().Start(), 0) << c.parameter;
    EXPECT_NE(console.Take().find('"' + std::string(c.parameter) + '"'), std::string::npos);
    EXPECT_TRUE(net.k.Queue().IsEmpty()) << c.parameter;
  }
}

// Only a period that cannot move the clock is refused, whatever the end time
// of the run: the run ends when the traffic is done.
TEST(CBRSource, LongRunsSendEverythingAndAStoppedClockIsCaught) {
  Net net("CBR");
  // B's source has no connection: idle, it has nothing to say either.
  net.n->CreateBlock("B", "ATM Generic Application", "receiver");
  net.n->CreateBlock("TB", "ATM B-TE", "t");
  net.n->ConnectBlock("B", "TB", "x");
  auto& src = net.Src<CBRSource>();
  src.PutParam("Packet length", 100.0);
  src.PutParam("Bit rate", 80e6);  // a packet every 10 us
  src.PutParam("Number of bytes to be sent", 1e5);
  platform::CapturedOutput console;
  ASSERT_EQ(net.k.Run("n", 100000), 1);
  EXPECT_EQ(src.PacketsSent(), 1000u);
  EXPECT_EQ(console.Take().find("run warning"), std::string::npos);

  // Added to 1e20 s, 10 us leaves the time as it is: refused at the start,
  // and caught where a packet would plan the next at its own time.
  src.PutParam("Start time", 1e20);
  net.n->PrepareRun();
  EXPECT_EQ(src.Start(), 0);
  EXPECT_NE(console.Take().find("\"Bit rate\" makes no sense"), std::string::npos);
  src.PutParam("Start time", 0.0);
  src.PutParam("Number of bytes to be sent", 1e9);
  ASSERT_EQ(src.Start(), 1);
  net.k.Queue().Clear();
  Event e;
  e.time = 1e20;
  e.type = Word::SEND_PACKET;
  EXPECT_EQ(src.HandleEvent(e), 1);
  for (Event left; net.k.Queue().RemoveFirst(left);)
    EXPECT_NE(left.type, Name(Word::SEND_PACKET));
  EXPECT_EQ(console.Take(),
            "run warning: block \"A1\" layer \"CBR_TS\": parameter \"Bit rate\" no longer moves "
            "the clock at time 1e+20; it stops repeating there\n");
}

TEST(VBRBatchSource, BatchesFillWholeCellsUntilTheBytesAreSent) {
  auto run = [](double bytes) {
    Net net("VBR_BATCH", 1, 7);
    auto& src = net.Src<VBRBatchSource>();
    src.PutParam("Mean number of ATM cells", 20.0);  // the rejection branch
    src.PutParam("Number of bytes to be sent", bytes);
    src.PutParam("Log packet time status", Sstring("ON"));
    net.App().PutData("D2", "Direction", Sstring("Output"));
    EXPECT_EQ(src.Start(), 1);
    std::vector<double> l = Lengths(net.Pump());
    EXPECT_EQ(src.BytesSent(), std::accumulate(l.begin(), l.end(), 0.0));
    src.End();
    std::istringstream log(Slurp(net.dir / "A1_VBR_BATCH_TS.dat"));
    std::string header;
    double t, gap, noc, pl;
    std::getline(log, header) >> t >> gap >> noc >> pl;
    EXPECT_EQ(header, "Time IBP NoC PL");
    EXPECT_EQ(pl, l.at(0));
    EXPECT_EQ(pl, noc * 48 - 8);
    return l;
  };
  const std::vector<double> l = run(2e6);
  double cells = 0;
  for (size_t i = 0; i < l.size(); i += 2) {
    ASSERT_EQ(l.at(i + 1), l[i]);  // one packet per connection
    ASSERT_EQ(std::fmod(l[i] + 8, 48.0), 0.0);
    cells += (l[i] + 8) / 48;
  }
  EXPECT_NEAR(cells / (l.size() / 2), 20.0, 0.6);
  // Strict test: the batch that crosses the limit goes whole, then it stops;
  // reaching the limit exactly is not past it.
  const double sum = std::accumulate(l.begin(), l.end(), 0.0);
  EXPECT_GT(sum, 2e6);
  EXPECT_LE(sum - 2 * l.back(), 2e6);
  EXPECT_EQ(run(2 * l[0]).size(), 4u);
}

// A batch of more cells than one AAL5 packet can fill (1365) goes as several
// packets at its instant: full ones first, then the rest.
TEST(VBRBatchSource, BatchesBeyondOnePacketAreSplit) {
  Net net("VBR_BATCH", 1, 3);
  auto& src = net.Src<VBRBatchSource>();
  src.PutParam("Mean number of ATM cells", 1365.0);
  ASSERT_EQ(src.Start(), 1);
  const std::vector<Event> sent = net.Pump(200);
  size_t split = 0;
  for (size_t i = 0; i < sent.size(); ++i) {
    const double length = Sdu(sent[i]).length;
    ASSERT_LE(length, 65535.0);
    ASSERT_EQ(std::fmod(length + 8, 48.0), 0.0);
    if (i > 0 && sent[i].time == sent[i - 1].time) {
      EXPECT_EQ(Sdu(sent[i - 1]).length, 1365 * 48 - 8);
      ++split;
    }
  }
  EXPECT_GT(split, 50u);  // about half the batches exceed their mean
  EXPECT_LT(split, 150u);
}

namespace {
// A file source reading `text` in stop mode `stop`.
struct FileNet : Net {
  explicit FileNet(const std::string& text, const char* stop = "END") : Net("GENERIC") {
    std::ofstream(dir / "p.txt") << text;
    Src().PutParam("Source file name", Sstring((dir / "p.txt").string()));
    Src().PutParam("Stop to send at", Sstring(stop));
    Src().PutParam("Number of cells to be sent", 3.0);
  }
  // The lengths sent in one run, in time order.
  std::vector<double> Run() {
    n->PrepareRun();
    Src().Start();
    return Lengths(Pump());
  }
};
}  // namespace

TEST(FileSource, QueuesEveryPairAtTimeZero) {
  FileNet net("0.5 100\n0.1 40 0.2\n0\n");
  ASSERT_EQ(net.Src().Start(), 1);
  EXPECT_TRUE(net.Pump(1).empty());
  EXPECT_EQ(net.k.Queue().Size(), 2u);  // both queued by the event at time 0
  std::vector<Event> sent = net.Pump();
  ASSERT_EQ(Lengths(sent), (std::vector<double>{40, 100}));
  EXPECT_EQ(Sdu(sent[0]).birthTime, 0.1);
  EXPECT_EQ(sent[1].time, 0.5);
  EXPECT_GT(sent[0].stamp, sent[1].stamp);  // queued in file order
}

TEST(FileSource, AFileThatCannotBeReadIsReportedAndSendsNothing) {
  FileNet net("0.1 40\n");
  platform::CapturedOutput console;
  // A directory opens on some systems and fails at the first read; reading
  // this process's own memory at offset 0 fails with an I/O error.
  for (const char* file : {".", "/proc/self/mem"}) {
    net.Src().PutParam("Source file name", Sstring(file));
    EXPECT_TRUE(net.Run().empty()) << file;
    const std::string said = console.Take();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(std::string(" source file \"") + file + "\""), std::string::npos) << said;
  }
}

TEST(FileSource, StopModesAndBadEntries) {
  const std::string file = "0.1 40 0.2 41 0.3 40";
  const struct {
    std::string text;
    const char* stop;
    std::vector<double> sent;
    std::vector<const char*> said;  // one console line each
  } cases[] = {
      // 1 cell, then 2 more (41 + 8 bytes): 3 >= 3 stops before the third packet.
      {file, "MAX_CELLS", {40, 41}, {}},
      {file, "MAX_BYTES", {40, 41, 40}, {}},
      {file, "NEVER", {}, {}},
      {"0.5 100\n0.7 x 0.9 40\n", "END", {100}, {"entry 4 (line 2) of the source file"}},
      // A negative time is skipped; "nan" is no number and ends the reading.
      {"-1 100\n0.2 40 nan 40 0.3 40", "END", {40}, {"entry 1 (line 1)", "entry 5 (line 2)"}},
      // Longer than an AAL5 packet: skipped.
      {"0.1 65536 0.2 65535", "END", {65535}, {"entry 2 (line 1)"}},
  };
  platform::CapturedOutput console;
  for (const auto& c : cases) {
    FileNet net(c.text, c.stop);
    EXPECT_EQ(net.Run(), c.sent) << c.text;
    const std::string said = console.Take();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), long(c.said.size())) << said;
    for (const char* part : c.said) EXPECT_NE(said.find(part), std::string::npos) << said;
    if (c.stop == std::string("MAX_CELLS")) {
      EXPECT_TRUE(net.Run().empty());  // the limit spans runs
    }
  }
}
