// Progress: the one line on a terminal's standard error that tells how far a
// long run has got - simulated time reached as a share of the end time,
// events per second and the wall-clock time left - rewritten in place and
// erased when the run ends. Silent when standard error is not a terminal.
#pragma once
#include <chrono>
#include <string>

namespace platform {

class RunProgress {
 public:
  // The run goes from simulated time 0 to endTime.
  explicit RunProgress(double endTime);
  ~RunProgress() { Finish(); }
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  // Called by the run loop every thousand events or so. Redraws the line when the run has lasted a second and the last drawing
  // is a quarter of a second old.
  void Tick(double simulatedTime, unsigned long long events) {
    if (enabled_) Draw(simulatedTime, events);
  }
  // Removes the line (before other console output, and at the end).
  void Erase();
  // Shows the line erased by Erase again, if there was one.
  void Redraw();
  // Erases the line for good: the run is over.
  void Finish() {
    Erase();
    text_.clear();
  }

  // The line's text (tests); fraction < 0 when the end time gives no share.
  static std::string Format(double fraction, double eventsPerSecond, double secondsLeft);

 private:
  using Clock = std::chrono::steady_clock;
  void Draw(double simulatedTime, unsigned long long events);

  bool enabled_;
  bool shown_ = false;
  std::string text_;  // the line last drawn
  double endTime_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
};

// Forces the line on or off whatever standard error is (tests; -1 = decide
// from the terminal again).
void ForceProgress(int on);

}  // namespace platform
