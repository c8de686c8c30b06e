// Clock: the wall clock, as the local time of day and as seconds since the
// epoch. Tests can fix both so that reports with run times are reproducible.
#pragma once

namespace platform {

struct TimeOfDay {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int hundredths = 0;
  // The time of day in hundredths of a second since midnight.
  double Hundredths() const { return hours * 360000.0 + minutes * 6000.0 + seconds * 100.0 + hundredths; }
};

// Local time of day now (or the fixed time).
TimeOfDay Now();
// Seconds since 1970-01-01 UTC now (or the fixed value).
long long SecondsSinceEpoch();

// Seconds on a steady clock from an arbitrary origin, for measuring how
// long something took (never fixed).
double MonotonicSeconds();

// Makes Now() and SecondsSinceEpoch() return these values until
// UseSystemClock() is called.
void FixClock(const TimeOfDay& timeOfDay, long long secondsSinceEpoch);
void UseSystemClock();

}  // namespace platform
