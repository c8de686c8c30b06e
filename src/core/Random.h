// Random: the random variates of the traffic sources (uniform, exponential,
// Poisson) from a 16-bit linear congruential generator and a shuffled
// Park-Miller generator. Every object keeps its own state, so two sources
// never share a stream.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class Random {
 public:
  static constexpr uint32_t kDefaultState = 44449;

  Random();
  explicit Random(uint32_t seed);

  // Restarts the linear congruential stream from the given state.
  void Seed(uint32_t state) { state_ = state; }
  uint32_t State() const { return state_; }

  // state <- state * 15625 + 22221 (mod 2^32); yields the low 16 bits.
  uint32_t NextRaw();
  // NextRaw() / 65535: both 0 and 1 can occur.
  double Uniform01();
  double Uniform(double a, double b);
  // An integer in [low, high].
  long UniformInt(long low, long high);
  // An index chosen with probability proportional to its weight; 0 when the
  // weights do not sum to a positive total.
  size_t WeightedIndex(const std::vector<int>& weights);
  double Exponential(double mean);
  // Natural logarithm of the gamma function (Lanczos approximation), x > 0.
  static double GammaLn(double x);

  // Uniform deviate in (0, 1) from the minimal standard generator behind a
  // 32-entry shuffle; advances the caller's seed. A seed <= 0 (or the first
  // call on this object) re-initialises the shuffle table.
  double Ran1(long& seed);
  // Poisson-distributed count with the given mean, drawn with Ran1(seed).
  double Poisson(double mean, long& seed);

 private:
  static constexpr int kTableSize = 32;

  uint32_t state_;
  // Ran1 shuffle state: the table and the last output (0 = not initialised).
  int32_t table_[kTableSize] = {};
  int32_t last_ = 0;
  // Poisson values derived from the last mean it was called with.
  double cachedMean_ = -1.0;
  double sq_ = 0.0;
  double alxm_ = 0.0;
  double g_ = 0.0;
};
