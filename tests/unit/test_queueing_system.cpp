// Tests of the queueing system: buffer limits, service order, conservation of
// cells, and the exact lines of its three statistics logs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "atm/QueueingSystem.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

namespace {

// A terminal "BTE1" whose network writes its files into a fresh directory.
struct QsBench {
  Kernel k;
  Network* n;
  std::string dir;
  explicit QsBench(const char* test) {
    dir = (std::filesystem::temp_directory_path() / "celvane_qs" / test).string() + "/";
    std::filesystem::remove_all(dir);
    k.CreateNetwork("q");
    n = k.FindNetwork("q");
    n->PutParam("Path", Sstring(dir));
    n->CreateBlock("BTE1", "ATM B-TE", "t");
  }
  Block& block() { return *n->FindBlock("BTE1"); }
  std::string Read(const char* file) {
    std::ifstream in(dir + file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

Cell Tagged(short priority, int vci) { return Cell(0.0, priority, 0, 0, vci, 0, 0, 0); }

// The ".dat" line, written independently of the program's formatter.
std::string Line(std::initializer_list<double> values) {
  std::ostringstream s;
  s << std::left << std::setprecision(16);
  bool first = true;
  for (double v : values) {
    if (!first) s << ' ';
    first = false;
    s << std::setw(21) << v;
  }
  return s.str() + "\n";
}

}  // namespace

TEST(QueueingSystem, BufferSizeOneAndZero) {
  QsBench b("limits");
  QueueingSystem qs("PHY_QS", b.block());
  qs.PutParam("Buffer size", 1u);
  qs.Start();
  Cell a = Tagged(1, 10), x = Tagged(1, 11), out;
  EXPECT_EQ(qs.InsertCell(a, 0.0), 1);
  EXPECT_EQ(qs.BufferState(), 2);
  EXPECT_EQ(qs.InsertCell(x, 0.1), 0);
  EXPECT_EQ(x.VCI(), 11);  // a discarded cell stays with the caller
  EXPECT_EQ(qs.ServeCell(out, 0.2), 0);  // moves the cell into the server
  EXPECT_EQ(qs.BufferState(), 0);
  EXPECT_EQ(qs.InsertCell(x, 0.3), 1);
  EXPECT_EQ(qs.ServeCell(out, 0.4), 1);
  EXPECT_EQ(out.VCI(), 10);
  EXPECT_DOUBLE_EQ(out.QueueTime(), 0.2);  // server entry time
  EXPECT_EQ(qs.Discarded(), 1u);

  QueueingSystem zero("ATM_QS_0", b.block());
  zero.PutParam("Buffer size", 0u);
  zero.Start();
  for (int i = 0; i < 100; ++i) {
    Cell c = Tagged(1, i);
    ASSERT_EQ(zero.InsertCell(c, 0.0), 1);
  }
  EXPECT_EQ(zero.Discarded(), 0u);
  EXPECT_EQ(zero.Buffered(), 100u);
}

TEST(QueueingSystem, ServiceOrder) {
  QsBench b("order");
  QueueingSystem qs("PHY_QS", b.block());
  qs.Start();
  auto serveAll = [&](double t) {
    std::vector<int> order;
    Cell out;
    while (qs.InSystem() > 0)
      if (qs.ServeCell(out, t)) order.push_back(out.VCI());
    return order;
  };
  Cell low = Tagged(3, 1), high = Tagged(1, 2);
  qs.InsertCell(low, 0.0);
  qs.InsertCell(high, 1.0);
  EXPECT_EQ(serveAll(2.0), (std::vector<int>{2, 1}));

  // Equal priority and queue time: the skew heap's merge rule decides.
  for (int vci : {10, 11, 12, 13}) {
    Cell c = Tagged(5, vci);
    qs.InsertCell(c, 3.0);
  }
  EXPECT_EQ(serveAll(4.0), (std::vector<int>{10, 12, 11, 13}));
}

TEST(QueueingSystem, ConservesCells) {
  QsBench b("conservation");
  QueueingSystem qs("PHY_QS", b.block());
  qs.PutParam("Buffer size", 5u);
  qs.Start();
  std::mt19937 rng(7);
  auto payload = std::make_shared<CPCS_PDU>();
  double t = 0;
  for (int i = 0; i < 5000; ++i) {
    t += 0.001;
    if (rng() % 5 < 3) {
      Cell c(t, static_cast<short>(rng() % 4), 0, 1, 1, 0, 0, 0, payload);
      qs.InsertCell(c, t);
    } else {
      Cell out;
      qs.ServeCell(out, t);
    }
    ASSERT_EQ(qs.Arrived(), qs.Accepted() + qs.Discarded());
    ASSERT_EQ(qs.Accepted(), qs.Served() + qs.Buffered() + qs.InServer());
    ASSERT_LE(qs.InServer(), 1u);
    ASSERT_LE(qs.Buffered(), 5u);
  }
  EXPECT_GT(qs.Discarded(), 0u);
  // Only the cells still held keep the shared payload alive.
  EXPECT_EQ(payload.use_count(), 1 + static_cast<long>(qs.InSystem()));
}

TEST(QueueingSystem, CellTriggeredLog) {
  QsBench b("cell_log");
  QueueingSystem qs("PHY_QS", b.block());
  qs.PutParam("Trigger by cell status", Sstring("ON"));
  qs.PutParam("Logging every x cells", 0u);  // taken as every cell
  qs.Start();
  Cell c = Tagged(1, 1), out;
  qs.InsertCell(c, 1.0);   // empty buffer: a line before and after
  qs.ServeCell(out, 2.5);  // into the server: a line before and after
  qs.End();
  const std::string header = "Time NoSRC NoBQC NoBDC BS NoBC DoBC SS NoSC DoSC\n";
  EXPECT_EQ(b.Read("B1_PS_Ce.dat"), header + Line({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
                                        Line({1, 1, 0, 0, 0, 0, 0, 0, 0, 0}) +
                                        Line({1, 1, 1, 0, 1, 1, 0, 0, 0, 0}) +
                                        Line({2.5, 1, 1, 0, 1, 1, 0, 0, 0, 0}) +
                                        Line({2.5, 1, 1, 0, 0, 0, 1.5, 1, 1, 0}));

  // Every third arrival: only inserts and serves while NoSRC is 3, 6, ...
  QueueingSystem third("ATM_QS_3", b.block());
  third.PutParam("Trigger by cell status", Sstring("ON"));
  third.PutParam("Logging every x cells", 3u);
  third.Start();
  for (int i = 1; i <= 4; ++i) {
    Cell x = Tagged(1, i);
    third.InsertCell(x, i);
  }
  third.ServeCell(out, 5.0);
  third.End();
  std::istringstream lines(b.Read("B1_A3_Ce.dat"));
  std::vector<std::string> times;
  for (std::string l; std::getline(lines, l);) times.push_back(l.substr(0, l.find(' ')));
  EXPECT_EQ(times, (std::vector<std::string>{"Time", "0", "3"}));
}

TEST(QueueingSystem, TimeAndSampleLogs) {
  QsBench b("time_log");
  QueueingSystem qs("PHY_QS", b.block());
  qs.PutParam("Trigger by time status", Sstring("ON"));
  qs.PutParam("Sample statistics status", Sstring("ON"));
  qs.PutParam("Logging every x secs", 1.5);
  qs.Start();
  Cell c1 = Tagged(1, 1), c2 = Tagged(1, 2), out;
  qs.InsertCell(c1, 0.0);
  qs.InsertCell(c2, 1.0);
  qs.ServeCell(out, 2.0);  // c1 waited 2 s; NoBC held 1, 2, then 1
  Event e;
  std::vector<double> times;
  while (b.k.Queue().RemoveFirst(e) && e.time < 3.5) {
    times.push_back(e.time);
    qs.HandleEvent(e);
  }
  qs.End();
  EXPECT_EQ(times, (std::vector<double>{0, 0, 1.5, 1.5, 3, 3}));
  std::istringstream ss(b.Read("B1_PS_SS.dat"));
  std::string header, first, second, third;
  std::getline(ss, header);
  std::getline(ss, first);
  std::getline(ss, second);
  std::getline(ss, third);
  EXPECT_EQ(header, "Time SMNoBC SVNoBC SMDoBC SVDoBC SMNoSC SVNoSC DoSC");
  std::istringstream last(third);
  double t, smNoBC, svNoBC, smDoBC;
  last >> t >> smNoBC >> svNoBC >> smDoBC;
  EXPECT_EQ(t, 3.0);
  EXPECT_DOUBLE_EQ(smNoBC, 1.5);  // area 0*0 + 1*1 + 2*1 over 2 s
  EXPECT_DOUBLE_EQ(smDoBC, 2.0);

  // A non-positive interval is reported once; each log keeps its first line.
  b.k.Queue().Clear();
  b.n->PrepareRun();  // a new run: the file names are free again
  platform::CapturedOutput console;
  QueueingSystem bad("PHY_QS", b.block());
  bad.PutParam("Trigger by time status", Sstring("ON"));
  bad.PutParam("Sample statistics status", Sstring("ON"));
  bad.PutParam("Logging every x secs", 0.0);
  bad.Start();
  EXPECT_EQ(console.Take(),
            "run warning: block \"BTE1\" queueing system \"PHY_QS\": parameter \"Logging every x "
            "secs\" makes no sense; its logs keep only their first line in this run\n");
  int handled = 0;
  while (b.k.Queue().RemoveFirst(e)) handled += bad.HandleEvent(e);
  EXPECT_EQ(handled, 2);
}
