// ExactStatistics: exact summaries of a run's measures, kept beside the legacy
// running figures of Statistics. SampleSummary holds the count, mean, sample
// variance, minimum and maximum of per-event samples (Welford's update, which
// stays accurate when the variance is small against the mean); LevelSummary
// holds the time integrals of a piecewise-constant signal and of its square,
// so its time-weighted mean and variance over any horizon are exact.
#pragma once
#include <cstdint>
#include <limits>

class SampleSummary {
 public:
  void Add(double x) {
    ++n_;
    const double d = x - mean_;
    mean_ += d / static_cast<double>(n_);
    m2_ += d * (x - mean_);
    if (x < min_) min_ = x;
    if (x > max_) max_ = x;
  }
  uint64_t Count() const { return n_; }
  // NaN without samples.
  double Mean() const { return n_ ? mean_ : kNaN; }
  // The sample variance (divisor n - 1); NaN below two samples.
  double Variance() const { return n_ > 1 ? m2_ / static_cast<double>(n_ - 1) : kNaN; }
  double Min() const { return n_ ? min_ : kNaN; }
  double Max() const { return n_ ? max_ : kNaN; }

 private:
  static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  uint64_t n_ = 0;
  double mean_ = 0.0;
  double m2_ = 0.0;  // sum of squared deviations from the running mean
  double min_ = std::numeric_limits<double>::infinity();
  double max_ = -std::numeric_limits<double>::infinity();
};

class LevelSummary {
 public:
  // Starts the observation at time t0 with the signal at x0.
  void Reset(double t0, double x0) {
    start_ = last_ = t0;
    x_ = max_ = x0;
    area_ = area2_ = 0.0;
  }
  // At time t the signal takes the value x. A time before the last change
  // (which a run never produces) counts as that change's time.
  void Set(double t, double x) {
    if (t > last_) {
      const double dt = t - last_;
      area_ += dt * x_;
      area2_ += dt * x_ * x_;
      last_ = t;
    }
    x_ = x;
    if (x > max_) max_ = x;
  }
  // Time-weighted mean and variance over [start, t], the signal holding its
  // last value up to t; NaN over an empty interval.
  double Mean(double t) const {
    const double span = Span(t);
    return span > 0 ? Area(t) / span : kNaN;
  }
  double Variance(double t) const {
    const double span = Span(t);
    if (!(span > 0)) return kNaN;
    const double m = Area(t) / span;
    const double v = Area2(t) / span - m * m;
    return v > 0 ? v : 0.0;  // rounding can leave a tiny negative
  }
  double Max() const { return max_; }

 private:
  static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  double Tail(double t) const { return t > last_ ? t - last_ : 0.0; }
  double Span(double t) const { return (t > last_ ? t : last_) - start_; }
  double Area(double t) const { return area_ + Tail(t) * x_; }
  double Area2(double t) const { return area2_ + Tail(t) * x_ * x_; }

  double start_ = 0.0, last_ = 0.0;
  double x_ = 0.0, max_ = 0.0;
  double area_ = 0.0, area2_ = 0.0;
};
