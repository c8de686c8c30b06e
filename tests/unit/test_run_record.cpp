// The run record: the exact accumulators behind it, and the record of a
// small deterministic CBR network against hand-derived figures and against
// the counters and delays of the legacy statistics files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "TestFiles.h"
#include "TestNetwork.h"
#include "atm/RunFigures.h"
#include "console/Dispatcher.h"
#include "core/ExactStatistics.h"
#include "model/Kernel.h"
#include "model/RunRecord.h"
#include "platform/Console.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

template <class T>
RunRecord::Feed<T> Items(std::vector<T> items) {
  return [items](const auto& put) {
    for (const T& item : items) put(item);
  };
}

// The record is written piece by piece; its text must stay exactly one dump
// of the whole document (indent 2), empty lists and undefined figures too.
TEST(RunRecord, TextIsOneDumpOfTheWholeDocument) {
  RunRecord r;
  r.network = "n\xff";
  r.files = {"a.dat", "b.dat"};
  r.sources = Items<RunRecord::Source>({{"A", "CBR_TS", 3, 4, 120.5}, {"B", "VBR_TS", 0, 0, 0}});
  r.queues = Items<RunRecord::Queue>({{"S", "PHY_QS_0", 5, 4, 1, 0.2, NAN, 1, 2, 1e-6, 0.5},
                                      {"S\"\xfe", "q\n", 0, 0, 0, NAN, 0, 0, 0, INFINITY, 1e300}});
  for (int round = 0; round < 2; ++round) {
    const std::string text = RunRecordJson(r);
    EXPECT_EQ(nlohmann::ordered_json::parse(text).dump(2) + "\n", text) << round;
    r.files.clear();
    r.sources = nullptr;
    r.receivers = Items<RunRecord::Receiver>({{"B", "TR", 1, 0.1, 0, 0.1, 0.1}});
  }
}

TEST(ExactStatistics, SamplesLevelsAndOnTime) {
  // Welford keeps the variance of values far from zero: 1e9 + {1, 2, 3}
  // has variance 1, which the sum of squares would lose entirely.
  SampleSummary s;
  EXPECT_TRUE(std::isnan(s.Mean()));
  for (double x : {1e9 + 2, 1e9 + 1, 1e9 + 3}) s.Add(x);
  EXPECT_EQ(s.Count(), 3u);
  EXPECT_DOUBLE_EQ(s.Mean(), 1e9 + 2);
  EXPECT_DOUBLE_EQ(s.Variance(), 1.0);
  EXPECT_EQ(s.Min(), 1e9 + 1);
  EXPECT_EQ(s.Max(), 1e9 + 3);

  // A count starting at 2 at time 1: 3 on [2, 4), 2 on [4, 5), 1 from 5.
  // Over [1, 6]: area 2 + 6 + 2 + 1 = 11, of squares 4 + 18 + 4 + 1 = 27.
  CountLevel c;
  c.Reset(1.0, 2);
  c.Up(2.0, 3);
  c.Down(4.0, 2);
  c.Down(5.0, 1);
  EXPECT_DOUBLE_EQ(c.Mean(6.0), 11.0 / 5);
  EXPECT_DOUBLE_EQ(c.Variance(6.0), 27.0 / 5 - (11.0 / 5) * (11.0 / 5));
  EXPECT_EQ(c.Max(), 3u);
  EXPECT_TRUE(std::isnan(c.Mean(1.0)));

  // On over [1, 3) and from 7: 2 + 1 of [0, 8].
  OnTime o;
  o.Reset(0.0, false);
  o.On(1.0);
  o.Off(3.0);
  o.On(7.0);
  EXPECT_DOUBLE_EQ(o.Share(8.0), 3.0 / 8);
}

// T1 -- T2 back to back at 155.52 Mbit/s, 10 m; A1 sends 40-byte packets
// (one cell) at 32 Mbit/s, one every 1e-5 s, to A2. A2's receiver logs every
// delay, T1's queue its counters on every cell.
struct CbrNet : TestNetwork {
  AtmRunRecorder recorder;

  CbrNet() {
    k.SetBaseSeed(7);
    k.SetRunIndex(3);
    k.SetRunRecorder(&recorder);
    for (const std::string& line : std::vector<std::string>{
             "create block n T1 \"ATM B-TE\" t", "create block n T2 \"ATM B-TE\" t",
             "create block n A1 \"ATM Generic Application\" a",
             "create block n A2 \"ATM Generic Application\" a",
             "connect block n T1 T2 CB_PHYSICAL_LAYER", "connect block n A1 T1 x",
             "connect block n A2 T2 x", "create vcc n v CBR 155520000 T1",
             "connect vcc block n v T2 T1", "create link n v T1 T2 1 100", "create dc n d A1 A2",
             "put parameter layer n A2 TR \"Trigger by cell status\" string 1 1 ON d SHOW",
             "put parameter QS n T1 PHY_QS \"Trigger by cell status\" string 1 1 ON d SHOW"})
      EXPECT_EQ(ExecuteLine(k, line.c_str()), 1) << line;
  }
  Json Run(double end) {
    platform::CapturedOutput quiet;
    k.Run("n", end);
    return Json::parse(Slurp(dir / "n_run.json"));
  }
};

TEST(RunRecord, CbrRunAgainstHandFiguresAndLegacyFiles) {
  CbrNet net;
  const Json r = net.Run(0.0100031);
  const double T = 424 / 155.52e6, interval = 40 * 8 / 32e6;

  // Packets leave at t(k) = t(k-1) + 1e-5; the one at t(1001) = 0.01001 is
  // the 10001st and last event (see Runs.ReportAndRunFilesWithAFixedClock).
  std::vector<double> sent{0};
  for (int k = 1; k <= 1001; ++k) sent.push_back(sent.back() + interval);
  EXPECT_EQ(r["version"], 1);
  EXPECT_EQ(r["network"], "n");
  EXPECT_EQ(r["seed"], 7);
  EXPECT_EQ(r["run"], 3);
  EXPECT_EQ(r["events"], 10001);
  EXPECT_EQ(r["time_reached"].get<double>(), sent[1001]);
  EXPECT_EQ(r["interrupted"], false);
  for (const Json& f : r["files"]) EXPECT_TRUE(fs::exists(f.get<std::string>())) << f;
  EXPECT_EQ(r["files"].back(), (net.dir / "n_end.dat").string());

  const Json& a1 = r["sources"][0];
  EXPECT_EQ(a1["block"], "A1");
  EXPECT_EQ(a1["packets"], 1001);
  EXPECT_EQ(a1["cells"], 1001);
  EXPECT_EQ(a1["bytes"], 40040);

  // Packet k's cell reaches T1's queue within 1 ns, enters the server at
  // the next slot boundary s(k) T and leaves one slot later; it reaches A2
  // after the 10 m of the link: delay = (s(k) + 1) T + 10 / 3e8 - t(k).
  const double propagation = double(10.0f) / double(3e8f);
  SampleSummary expected;
  for (int k = 1; k <= 1000; ++k)
    expected.Add((std::ceil((sent[k] + 1e-9) / T) + 1) * T + propagation - sent[k]);
  const Json& a2 = r["receivers"][1];
  EXPECT_EQ(a2["block"], "A2");
  EXPECT_EQ(a2["packets"], 1000);
  EXPECT_NEAR(a2["delay_mean"].get<double>(), expected.Mean(), 1e-15);
  EXPECT_NEAR(a2["delay_variance"].get<double>(), expected.Variance(), 1e-20);
  EXPECT_NEAR(a2["delay_min"].get<double>(), expected.Min(), 1e-15);
  EXPECT_NEAR(a2["delay_max"].get<double>(), expected.Max(), 1e-15);
  // The same figures from the legacy per-packet log (16 digits).
  SampleSummary logged;
  const auto delays = ReadDat(net.dir / "A2_TR_Ce.dat");
  ASSERT_EQ(delays.size(), 1001u);  // the line at time 0, then one per packet
  for (size_t i = 1; i < delays.size(); ++i) logged.Add(delays[i][1]);
  EXPECT_NEAR(a2["delay_mean"].get<double>(), logged.Mean(), 1e-12 * logged.Mean());
  EXPECT_NEAR(a2["delay_variance"].get<double>(), logged.Variance(), 1e-9 * logged.Variance());

  // T1's queue: its counters as the legacy log's last line has them; the
  // server holds each of the 1000 cells one slot; the buffer holds 0 or 1
  // cell, so its variance is p(1 - p), and by Little's law its time
  // integral is the sum of the waits.
  const Json& q = r["queues"][0];
  EXPECT_EQ(q["block"], "T1");
  EXPECT_EQ(q["name"], "PHY_QS");
  const std::vector<double> last = ReadDat(net.dir / "T1_PS_Ce.dat").back();
  EXPECT_EQ(q["arrived"].get<double>(), last[1]);
  EXPECT_EQ(q["accepted"].get<double>(), last[2]);
  EXPECT_EQ(q["discarded"].get<double>(), last[3]);
  EXPECT_EQ(q["arrived"], 1000);
  EXPECT_EQ(q["loss_ratio"], 0.0);
  EXPECT_EQ(q["buffer_max"], 1);
  EXPECT_NEAR(q["server_mean"].get<double>(), 1000 * T / sent[1001], 1e-12);
  EXPECT_NEAR(q["server_mean"].get<double>(), T / interval, 3e-3);  // the offered load
  const double p = q["buffer_mean"].get<double>();
  EXPECT_GT(p, 0.05);
  EXPECT_NEAR(q["buffer_variance"].get<double>(), p * (1 - p), 1e-12);
  EXPECT_NEAR(p * sent[1001], q["buffer_delay_mean"].get<double>() * 1000, 1e-12 * p * sent[1001]);

  // A second run: the legacy counters go on, the record counts this run.
  const Json again = net.Run(0.0100031);
  EXPECT_EQ(ReadDat(net.dir / "T1_PS_Ce.dat").back()[1], 2000);
  EXPECT_EQ(again["queues"][0]["arrived"], 1000);
  EXPECT_EQ(again["sources"][0]["packets"], 1001);
  EXPECT_EQ(again["receivers"][1]["packets"], 1000);
}

}  // namespace
