// Wall clock readings through std::chrono and the C time functions.
#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace platform {
namespace {
bool gFixed = false;
TimeOfDay gFixedTime;
long long gFixedEpoch = 0;
}  // namespace

TimeOfDay Now() {
  if (gFixed) return gFixedTime;
  using namespace std::chrono;
  const system_clock::time_point now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  const long long ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  // Single-threaded program: std::localtime's shared buffer is safe here.
  const std::tm* local = std::localtime(&t);
  TimeOfDay r;
  if (local) {
    r.hours = local->tm_hour;
    r.minutes = local->tm_min;
    r.seconds = local->tm_sec;
  }
  r.hundredths = static_cast<int>((ms < 0 ? ms + 1000 : ms) / 10);
  return r;
}

long long SecondsSinceEpoch() {
  if (gFixed) return gFixedEpoch;
  return static_cast<long long>(std::time(nullptr));
}

double MonotonicSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void FixClock(const TimeOfDay& timeOfDay, long long secondsSinceEpoch) {
  gFixed = true;
  gFixedTime = timeOfDay;
  gFixedEpoch = secondsSinceEpoch;
}

void UseSystemClock() { gFixed = false; }

}  // namespace platform
