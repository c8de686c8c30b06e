// The run's progress line on a terminal's standard error.
#include "platform/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "platform/Console.h"

namespace platform {
namespace {
int gForced = -1;

std::string Duration(double seconds) {
  const long long s = static_cast<long long>(seconds + 0.5);
  char buf[48];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
  return buf;
}
}  // namespace

void ForceProgress(int on) { gForced = on; }

RunProgress::RunProgress(double endTime)
    : enabled_(gForced >= 0 ? gForced == 1 : ErrorIsTerminal()),
      endTime_(endTime),
      start_(Clock::now()),
      lastDraw_(start_) {}

std::string RunProgress::Format(double fraction, double eventsPerSecond, double secondsLeft) {
  char buf[160];
  if (fraction >= 0)
    std::snprintf(buf, sizeof buf, "run: %5.1f%% of the simulated time, %.3g events/s, %s left",
                  100.0 * fraction, eventsPerSecond, Duration(secondsLeft).c_str());
  else
    std::snprintf(buf, sizeof buf, "run: %.3g events/s", eventsPerSecond);
  return buf;
}

void RunProgress::Draw(double simulatedTime, unsigned long long events) {
  const Clock::time_point now = Clock::now();
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  if (elapsed < 1.0 || now - lastDraw_ < std::chrono::milliseconds(250)) return;
  lastDraw_ = now;
  double fraction = -1, left = 0;
  if (endTime_ > 0 && std::isfinite(endTime_)) {
    fraction = std::min(1.0, std::max(0.0, simulatedTime / endTime_));
    left = fraction > 0 ? elapsed * (1.0 - fraction) / fraction : 0.0;
  }
  // One write: carriage return, the text, erase to the end of the line.
  text_ = '\r' + Format(fraction, static_cast<double>(events) / elapsed, left) + "\033[K";
  Err() << text_ << std::flush;
  shown_ = true;
}

void RunProgress::Redraw() {
  if (shown_ || text_.empty()) return;
  Err() << text_ << std::flush;
  shown_ = true;
}

void RunProgress::Erase() {
  if (!shown_) return;
  Err() << "\r\033[K" << std::flush;
  shown_ = false;
}

}  // namespace platform
