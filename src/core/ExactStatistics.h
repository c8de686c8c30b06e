// ExactStatistics: exact summaries of a run's measures, kept beside the legacy
// running figures of Statistics. SampleSummary holds the count, mean, sample
// variance, minimum and maximum of per-event samples (Welford's update, which
// stays accurate when the variance is small against the mean); CountLevel
// holds the time integrals of a count (cells in a buffer) and of its square,
// so its time-weighted mean and variance over any horizon are exact up to
// rounding; OnTime the share of time an on/off signal is on. The updates sit
// on the simulation's hot path and take a handful of operations each.
#pragma once
#include <cstdint>
#include <limits>

class SampleSummary {
 public:
  void Add(double x) {
    n_ += 1.0;
    const double d = x - mean_;
    mean_ += d / n_;
    m2_ += d * (x - mean_);
    if (x < min_) min_ = x;
    if (x > max_) max_ = x;
  }
  uint64_t Count() const { return static_cast<uint64_t>(n_); }
  // NaN without samples.
  double Mean() const { return n_ > 0 ? mean_ : kNaN; }
  // The sample variance (divisor n - 1); NaN below two samples.
  double Variance() const { return n_ > 1 ? m2_ / (n_ - 1) : kNaN; }
  double Min() const { return n_ > 0 ? min_ : kNaN; }
  double Max() const { return n_ > 0 ? max_ : kNaN; }

 private:
  static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  double n_ = 0.0;  // exact up to 2^53 samples; no conversion per sample
  double mean_ = 0.0;
  double m2_ = 0.0;  // sum of squared deviations from the running mean
  double min_ = std::numeric_limits<double>::infinity();
  double max_ = -std::numeric_limits<double>::infinity();
};

class CountLevel {
 public:
  // Starts the observation at time t0 with the count at k0.
  void Reset(double t0, uint32_t k0) {
    t0_ = t0;
    k0_ = k_ = max_ = k0;
    s1_ = s2_ = 0.0;
  }
  // At time t (never before the previous change) the count rises to k, or
  // falls to k. The integrals are kept by parts, which makes a change a few
  // operations: over [t0, T], the integral of k dt is k(T) T - k0 t0 - S1
  // and that of k^2 dt is k(T)^2 T - k0^2 t0 - S2, where S1 and S2 sum t
  // times the change of k and of k^2. Each term carries one rounding of a
  // quantity no larger than max k^2 T, so the relative error stays near the
  // number of changes times 1e-16, times (max k)^2 / mean k^2 at worst.
  void Up(double t, uint32_t k) {
    s1_ += t;
    s2_ += t * static_cast<double>(2 * static_cast<int64_t>(k) - 1);
    k_ = k;
    if (k > max_) max_ = k;
  }
  void Down(double t, uint32_t k) {
    s1_ -= t;
    s2_ -= t * static_cast<double>(2 * static_cast<int64_t>(k) + 1);
    k_ = k;
  }
  // Time-weighted mean and variance over [t0, t], the count holding its
  // last value up to t; NaN over an empty interval.
  double Mean(double t) const {
    if (!(t > t0_)) return kNaN;
    return (Level(k_) * t - Level(k0_) * t0_ - s1_) / (t - t0_);
  }
  double Variance(double t) const {
    if (!(t > t0_)) return kNaN;
    const double m = Mean(t);
    const double k = Level(k_), k0 = Level(k0_);
    const double v = (k * k * t - k0 * k0 * t0_ - s2_) / (t - t0_) - m * m;
    return v > 0 ? v : 0.0;  // rounding can leave a tiny negative
  }
  uint32_t Max() const { return max_; }

 private:
  static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  static double Level(uint32_t k) { return static_cast<double>(k); }

  double t0_ = 0.0;
  uint32_t k0_ = 0, k_ = 0, max_ = 0;
  double s1_ = 0.0, s2_ = 0.0;
};

// The share of time an on/off signal (a server holding a cell or not) is on:
// the total of its on periods, kept with one operation per switch.
class OnTime {
 public:
  // Starts the observation at time t0, the signal on or off.
  void Reset(double t0, bool on) {
    start_ = t0;
    since_ = on ? t0 : kOff;
    total_ = 0.0;
  }
  void On(double t) { since_ = t; }
  void Off(double t) {
    total_ += t - since_;
    since_ = kOff;
  }
  // The share of [start, t] the signal was on; NaN over an empty interval.
  double Share(double t) const {
    if (!(t > start_)) return std::numeric_limits<double>::quiet_NaN();
    const double on = total_ + (since_ != kOff && t > since_ ? t - since_ : 0.0);
    return on / (t - start_);
  }

 private:
  static constexpr double kOff = -std::numeric_limits<double>::infinity();
  double start_ = 0.0, since_ = kOff, total_ = 0.0;
};
