// Statistics: the running mean and variance rules. The variance is the running
// approximation that uses the newest mean for each deviation; the ".dat" logs
// reproduce exactly these numbers.
#include "core/Statistics.h"

void Statistics::AddSample(double x) {
  sum_ += x;
  mean_ = sum_ / count_;
  if (count_ < 2) {
    variance_ = 0.0;
  } else {
    squares_ += (x - mean_) * (x - mean_);
    variance_ = squares_ / (count_ - 1);
  }
  ++count_;
}

void Statistics::AddTimeSample(double t, double x) {
  sum_ += (t - lastTime_) * lastValue_;
  // No time has elapsed at t == 0: the mean stays 0 rather than 0/0.
  mean_ = (t != 0.0) ? sum_ / t : 0.0;
  if (count_ < 2) {
    variance_ = 0.0;
  } else {
    squares_ += (lastValue_ - mean_) * (lastValue_ - mean_);
    variance_ = squares_ / (count_ - 1);
  }
  lastTime_ = t;
  lastValue_ = x;
  ++count_;
}
