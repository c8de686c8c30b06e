// Tests of the random variates and the running mean/variance accumulator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "core/Random.h"
#include "core/Statistics.h"

TEST(Random, FullPeriodStaysInRange) {
  // The low 16 bits repeat every 65536 draws, so this visits every raw value,
  // including 65535 where Uniform01() is exactly 1.
  Random r;
  bool sawZero = false, sawOne = false;
  for (int i = 0; i < 65536; ++i) {
    const double u = r.Uniform01();
    sawZero |= (u == 0.0);
    sawOne |= (u == 1.0);
  }
  EXPECT_TRUE(sawZero);
  EXPECT_TRUE(sawOne);
  for (int i = 0; i < 65536; ++i) ASSERT_EQ(r.UniformInt(1, 1), 1);
  for (int i = 0; i < 65536; ++i) {
    const long v = r.UniformInt(-3, 5);
    ASSERT_GE(v, -3);
    ASSERT_LE(v, 5);
  }
  for (int i = 0; i < 65536; ++i) {
    const double e = r.Exponential(2.0);
    ASSERT_TRUE(std::isfinite(e));
    ASSERT_GE(e, 0.0);
  }
  int hits[4] = {0, 0, 0, 0};
  for (int i = 0; i < 40000; ++i) ++hits[r.WeightedIndex({0, 3, 0, 1})];
  EXPECT_EQ(hits[0] + hits[2], 0);
  EXPECT_NEAR(double(hits[1]) / hits[3], 3.0, 0.2);
}

// A positive seed on a fresh object starts from 1, as seed -1 does; each
// object keeps its own shuffle table, so interleaving two objects changes
// neither.
TEST(Random, Ran1SeedsAndTablesPerObject) {
  Random a, b;
  long sa = 12345, sb = -1;
  const double a1 = a.Ran1(sa);
  const double b1 = b.Ran1(sb);
  EXPECT_EQ(a1, b1);
  EXPECT_EQ(a.Ran1(sa), b.Ran1(sb));
}

TEST(Random, PoissonBothBranches) {
  // Alternating the means also exercises the cache of derived values.
  Random r;
  long seed = -17;
  double sumSmall = 0, sumLarge = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const double small = r.Poisson(0.5, seed);
    const double large = r.Poisson(20.0, seed);
    ASSERT_GE(small, 0.0);
    ASSERT_GE(large, 0.0);
    ASSERT_EQ(small, std::floor(small));
    ASSERT_EQ(large, std::floor(large));
    sumSmall += small;
    sumLarge += large;
  }
  EXPECT_NEAR(sumSmall / n, 0.5, 0.03);
  EXPECT_NEAR(sumLarge / n, 20.0, 0.2);
}

TEST(Random, GammaLnAtIntegers) {
  double logFactorial = 0.0;  // log((n-1)!)
  for (int n = 1; n <= 20; ++n) {
    if (n > 1) logFactorial += std::log(n - 1.0);
    EXPECT_NEAR(Random::GammaLn(n), logFactorial, 1e-9 * (1 + logFactorial)) << n;
  }
  EXPECT_NEAR(Random::GammaLn(0.5), 0.5 * std::log(std::acos(-1.0)), 1e-9);
}

// Time-weighted (the per-sample figures are pinned by the receiver's logs).
TEST(Statistics, TimeWeighted) {
  Statistics t;
  t.AddTimeSample(1, 5);
  EXPECT_EQ(t.Mean(), 0.0);  // the signal was 0 up to the first sample
  t.AddTimeSample(3, 0);
  EXPECT_DOUBLE_EQ(t.Mean(), 10.0 / 3);
  EXPECT_DOUBLE_EQ(t.Variance(), (5 - 10.0 / 3) * (5 - 10.0 / 3));

  // Samples at time 0 (queues filling at the start of a run).
  Statistics z;
  z.AddTimeSample(0, 4);
  z.AddTimeSample(0, 2);
  EXPECT_EQ(z.Mean(), 0.0);
  EXPECT_TRUE(std::isfinite(z.Variance()));
  z.AddTimeSample(2, 0);
  EXPECT_DOUBLE_EQ(z.Mean(), 2.0);
  EXPECT_TRUE(std::isfinite(z.Variance()));
}
