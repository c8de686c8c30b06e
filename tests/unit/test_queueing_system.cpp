// Tests of the queueing system: the lines of its statistics logs, and the
// log timer's limits.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>

#include "TestNetwork.h"
#include "platform/Console.h"

namespace {

// A terminal "BTE1" whose network writes its files into a fresh directory.
struct QsBench : TestNetwork {
  QsBench() : TestNetwork("q") { n->CreateBlock("BTE1", "ATM B-TE", "t"); }
  Block& block() { return B("BTE1"); }
};

Cell Tagged(short priority, int vci) { return Cell(0.0, priority, 0, 0, vci, 0, 0, 0); }

// A ".dat" line, written independently of the program's formatter.
std::string Line(std::initializer_list<double> values) {
  std::ostringstream s;
  s << std::left << std::setprecision(16);
  for (double v : values) s << (s.tellp() > 0 ? " " : "") << std::setw(21) << v;
  return s.str() + "\n";
}

}  // namespace

TEST(QueueingSystem, Logs) {
  QsBench b;
  QueueingSystem qs("PHY_QS", b.block());
  qs.PutParam("Trigger by cell status", Sstring("ON"));
  qs.PutParam("Logging every x cells", 0u);  // taken as every cell
  qs.PutParam("Sample statistics status", Sstring("ON"));
  qs.PutParam("Logging every x secs", 1.5);
  qs.Start();
  Cell c1 = Tagged(1, 1), c2 = Tagged(1, 2), out;
  qs.InsertCell(c1, 0.0);  // empty buffer: a line before and after
  qs.InsertCell(c2, 1.0);
  qs.ServeCell(out, 2.0);  // c1 waited 2 s; NoBC held 1, 2, then 1
  Event e;
  while (b.k.Queue().RemoveFirst(e) && e.time < 3.5) qs.HandleEvent(e);
  qs.End();
  EXPECT_EQ(b.Read("B1_PS_Ce.dat"),
            "Time NoSRC NoBQC NoBDC BS NoBC DoBC SS NoSC DoSC\n" +
                Line({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + Line({0, 1, 0, 0, 0, 0, 0, 0, 0, 0}) +
                Line({0, 1, 1, 0, 1, 1, 0, 0, 0, 0}) + Line({1, 2, 2, 0, 1, 2, 0, 0, 0, 0}) +
                Line({2, 2, 2, 0, 1, 2, 0, 0, 0, 0}) + Line({2, 2, 2, 0, 1, 1, 2, 1, 1, 0}));
  const std::string ss = b.Read("B1_PS_SS.dat");
  std::istringstream last(ss.substr(ss.rfind('\n', ss.size() - 2) + 1));
  double t, smNoBC, svNoBC, smDoBC;
  last >> t >> smNoBC >> svNoBC >> smDoBC;
  EXPECT_EQ(t, 3.0);
  EXPECT_DOUBLE_EQ(smNoBC, 1.5);  // time-weighted: (0*0 + 1*1 + 2*1) / 2 s
  EXPECT_DOUBLE_EQ(smDoBC, 2.0);

  // Every third arrival: only inserts and serves while NoSRC is 3, 6, ...
  QueueingSystem third("ATM_QS_3", b.block());
  third.PutParam("Trigger by cell status", Sstring("ON"));
  third.PutParam("Logging every x cells", 3u);
  third.Start();
  for (int i = 1; i <= 4; ++i) third.InsertCell(c1 = Tagged(1, i), i);
  third.ServeCell(out, 5.0);
  third.End();
  const std::string text = b.Read("B1_A3_Ce.dat");  // header, Start's line, t = 3
  EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1),
            Line({3, 3, 3, 0, 1, 3, 0, 0, 0, 0}));

  // A non-positive interval is reported once; each log keeps its first line.
  b.k.Queue().Clear();
  b.n->PrepareRun();
  platform::CapturedOutput console;
  qs.PutParam("Trigger by time status", Sstring("ON"));
  qs.PutParam("Logging every x secs", 0.0);
  qs.Start();
  EXPECT_EQ(console.Take(),
            "run warning: block \"BTE1\" queueing system \"PHY_QS\": parameter \"Logging every x "
            "secs\" makes no sense; its logs keep only their first line in this run\n");
  int handled = 0;
  while (b.k.Queue().RemoveFirst(e)) handled += qs.HandleEvent(e);
  EXPECT_EQ(handled, 2);
}

// A time-driven log writes at most a million lines in a run (1e-12 s on a
// 1 ms run would be 1e9), and stops where its period no longer moves the
// clock; each is said once. An unusable period stops it silently (the owner
// reported it at the start).
TEST(LogTimer, StopsAtAMillionLinesOrWhereTheClockStands) {
  platform::CapturedOutput console;
  LogTimer timer;
  ASSERT_TRUE(timer.Start(1e-12));
  double t = 0, next = 0;
  unsigned long lines = 1;
  for (; timer.Next(t, next, "B", "layer", "L", "SS"); ++lines) t = next;
  EXPECT_EQ(lines, 1000000u);
  EXPECT_EQ(console.Take(),
            "run warning: block \"B\" layer \"L\": parameter \"Logging every x secs\" gives "
            "1000000 lines of its log \"SS\" by time 9.99999e-07; the log stops there\n");

  ASSERT_TRUE(timer.Start(1e-20));
  EXPECT_TRUE(timer.Next(0.0, next, "B", "layer", "L", "SS"));
  EXPECT_FALSE(timer.Next(1.0, next, "B", "layer", "L", "SS"));
  EXPECT_EQ(console.Take(),
            "run warning: block \"B\" layer \"L\": parameter \"Logging every x secs\" no longer "
            "moves the clock at time 1; it stops repeating there\n");
  // The logs of a run share one budget: the first to find it spent says so,
  // once; every log stops at its next line.
  LogLineBudget run;
  run.left = 3;
  LogTimer a, b;
  ASSERT_TRUE(a.Start(1.0, &run) && b.Start(1.0, &run));
  EXPECT_TRUE(a.Next(0.0, next, "B", "layer", "L", "SS") && b.Next(0.0, next, "B", "QS", "Q", "Ti"));
  EXPECT_TRUE(a.Next(1.0, next, "B", "layer", "L", "SS"));
  EXPECT_FALSE(b.Next(1.0, next, "B", "QS", "Q", "Ti"));
  EXPECT_FALSE(a.Next(2.0, next, "B", "layer", "L", "SS"));
  EXPECT_EQ(console.Take(), "run warning: the logs of this run wrote 2000000 periodic lines by "
                            "time 1; they stop there\n");
  for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) {
    EXPECT_FALSE(timer.Start(bad));
    EXPECT_FALSE(timer.Next(0.0, next, "B", "layer", "L", "SS"));
  }
  EXPECT_EQ(console.Take(), "");
}

// The logs are made at the first run that turns one on: runs before it write
// nothing, and one turned on later (or off again) behaves as from the start.
TEST(QueueingSystem, LogsTurnedOnBetweenRuns) {
  QsBench b;
  QueueingSystem qs("PHY_QS", b.block());
  Cell c = Tagged(1, 1), out;
  auto run = [&](double t0) {
    b.k.Queue().Clear();
    qs.Start();
    qs.InsertCell(c = Tagged(1, 1), t0);
    qs.ServeCell(out, t0 + 1.0);
    Event e;
    while (b.k.Queue().RemoveFirst(e) && e.time < t0 + 2.5) qs.HandleEvent(e);
    qs.End();
  };
  run(0.0);  // no log on: nothing made, nothing written
  EXPECT_FALSE(std::filesystem::exists(b.dir / "B1_PS_Ce.dat"));
  qs.PutParam("Trigger by cell status", Sstring("ON"));
  qs.PutParam("Sample statistics status", Sstring("ON"));
  qs.PutParam("Logging every x secs", 1.0);
  run(0.0);
  // Start's line carries the first run's counts: one cell in the server.
  const std::string ce = b.Read("B1_PS_Ce.dat");
  EXPECT_EQ(ce.substr(ce.find('\n') + 1, ce.find('\n', ce.find('\n') + 1) - ce.find('\n')),
            Line({0, 1, 1, 0, 0, 0, 1, 1, 1, 0}));
  const std::string ss = b.Read("B1_PS_SS.dat");
  EXPECT_EQ(std::count(ss.begin(), ss.end(), '\n'), 4);  // header and t = 0, 1, 2
  qs.PutParam("Trigger by cell status", Sstring("OFF"));
  qs.PutParam("Sample statistics status", Sstring("OFF"));
  run(0.0);  // off again: the files of the last run stay as they were
  EXPECT_EQ(b.Read("B1_PS_SS.dat"), ss);
  EXPECT_EQ(qs.Arrived(), 3u);
  EXPECT_EQ(qs.Served(), 2u);
}
