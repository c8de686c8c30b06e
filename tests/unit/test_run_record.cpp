// The run record's text and the exact accumulators behind its figures (the
// figures of a whole run are pinned by the end-to-end case run_record_cbr).
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/ExactStatistics.h"
#include "model/RunRecord.h"

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
                                      {"S\"\xfe", "q\n", 0, 0, 0, NAN, 0, 0, 0, INFINITY, 1e300},
                                      {"T\x7f\\", "\t", UINT64_MAX, 10, 0, -0.0, 1e16, 1e15,
                                       123456789.125, 5e-324, 0.1 + 0.2}});
  for (int round = 0; round < 2; ++round) {
    const std::string text = RunRecordJson(r);
    EXPECT_EQ(nlohmann::ordered_json::parse(text).dump(2) + "\n", text) << round;
    r.files.clear();
    r.sources = nullptr;
    r.receivers = Items<RunRecord::Receiver>({{"B", "TR", 1, 0.1, 0, 0.1, 0.1}});
  }
}

// The sample figures are pinned by the end-to-end case run_record_cbr.
TEST(ExactStatistics, LevelsAndOnTime) {
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

}  // namespace
