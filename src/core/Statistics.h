// Statistics: running mean and variance of a measured quantity, either per
// sample or weighted by the time each value of a signal held.
#pragma once
#include <cstdint>

class Statistics {
 public:
  Statistics() = default;

  // One sample of a per-event quantity (a delay, for instance).
  void AddSample(double x);
  // At simulation time t the signal takes the value x; the signal is 0 from
  // time 0 up to the first call. The mean is the area so far divided by t.
  void AddTimeSample(double t, double x);
  void GetMeanVariance(double& mean, double& variance) const {
    mean = mean_;
    variance = variance_;
  }
  double Mean() const { return mean_; }
  double Variance() const { return variance_; }

 private:
  double sum_ = 0.0;        // sum of samples, or time integral of the signal
  double squares_ = 0.0;    // accumulated squared deviations
  double lastTime_ = 0.0;   // time of the previous time-weighted sample
  double lastValue_ = 0.0;  // value of the previous time-weighted sample
  double mean_ = 0.0;
  double variance_ = 0.0;
  uint32_t count_ = 1;      // one more than the number of samples taken
};
