// Random: linear congruential draws, the shuffled minimal standard generator,
// and the exponential and Poisson variates built on them.
#include "core/Random.h"

#include <cmath>

namespace {

// Park-Miller constants; Schrage's factorisation keeps 16807 * seed within
// 32 bits: modulus = 16807 * 127773 + 2836.
constexpr int64_t kIA = 16807;
constexpr int64_t kIM = 2147483647;
constexpr int64_t kIQ = 127773;
constexpr int64_t kIR = 2836;
constexpr int64_t kNDiv = 1 + (kIM - 1) / 32;  // 67108864
constexpr double kAM = 1.0 / kIM;
constexpr double kRNMX = 0.99999988;  // largest value Ran1 returns

// One step of the minimal standard generator. Callers pass values of at most
// 2^31 in magnitude, so the result lies in [0, 2^31 - 2].
int64_t ParkMillerStep(int64_t s) {
  const int64_t k = s / kIQ;
  s = kIA * (s - k * kIQ) - kIR * k;
  if (s < 0) s += kIM;
  return s;
}

}  // namespace

Random::Random() : state_(kDefaultState) {}

Random::Random(uint32_t seed) : state_(seed) {}

uint32_t Random::NextRaw() {
  state_ = state_ * 15625u + 22221u;  // unsigned wrap-around is mod 2^32
  return state_ & 0xFFFFu;
}

double Random::Uniform01() { return NextRaw() / 65535.0; }

double Random::Uniform(double a, double b) { return a + (b - a) * Uniform01(); }

long Random::UniformInt(long low, long high) {
  const long r = static_cast<long>(Uniform(static_cast<double>(low), static_cast<double>(high) + 1.0));
  // Uniform01() can return exactly 1, which would give high + 1.
  return (r > high && low <= high) ? high : r;
}

size_t Random::WeightedIndex(const std::vector<int>& weights) {
  long total = 0;
  for (int w : weights) total += w;
  if (total <= 0) return 0;
  long r = UniformInt(1, total);
  for (size_t i = 0; i < weights.size(); ++i) {
    if (r <= weights[i]) return i;
    r -= weights[i];
  }
  return 0;
}

double Random::Exponential(double mean) {
  double u = Uniform01();
  while (u == 1.0) u = Uniform01();  // log(0) would be infinite
  return -std::log(1.0 - u) * mean;
}

double Random::GammaLn(double x) {
  static const double kCoefficients[6] = {76.18009172947146,     -86.50532032941678,
                                          24.01409824083091,     -1.231739572450155,
                                          0.001208650973866179, -0.000005395239384953};
  double y = x;
  double tmp = x + 5.5;
  tmp -= (x + 0.5) * std::log(tmp);
  double ser = 1.000000000190015;
  for (double c : kCoefficients) ser += c / ++y;
  return -tmp + std::log(2.5066282746310007 * ser / x);
}

double Random::Ran1(long& seed) {
  // The seed is a 32-bit quantity; wider values are cut to 32 bits.
  int64_t s = static_cast<int32_t>(seed);
  if (s <= 0 || last_ == 0) {
    s = (-s < 1) ? 1 : -s;
    for (int j = kTableSize + 7; j >= 0; --j) {
      s = ParkMillerStep(s);
      if (j < kTableSize) table_[j] = static_cast<int32_t>(s);
    }
    last_ = table_[0];
  }
  s = ParkMillerStep(s);
  const int64_t j = last_ / kNDiv;  // last_ is in [0, 2^31 - 2], so j in [0, 31]
  last_ = table_[j];
  table_[j] = static_cast<int32_t>(s);
  seed = static_cast<long>(s);
  const float temp = static_cast<float>(kAM * last_);
  if (temp > kRNMX) return static_cast<float>(kRNMX);
  return temp;
}

double Random::Poisson(double mean, long& seed) {
  double em;
  if (mean < 12.0) {
    if (mean != cachedMean_) {
      cachedMean_ = mean;
      g_ = std::exp(-mean);
    }
    em = -1.0;
    double t = 1.0;
    do {
      em += 1.0;
      t *= Ran1(seed);
    } while (t > g_);
  } else {
    if (mean != cachedMean_) {
      cachedMean_ = mean;
      sq_ = std::sqrt(2.0 * mean);
      alxm_ = std::log(mean);
      g_ = mean * alxm_ - GammaLn(mean + 1.0);
    }
    double t;
    do {
      double y;
      // Rejection with a Lorentzian comparison function.
      do {
        y = std::tan(3.14159265359 * Ran1(seed));
        em = sq_ * y + mean;
      } while (em < 0.0);
      em = std::floor(em);
      t = 0.9 * (1.0 + y * y) * std::exp(em * alxm_ - GammaLn(em + 1.0) - g_);
    } while (Ran1(seed) > t);
  }
  return em;
}
