// Interrupt: lets a run end early and in order on SIGINT or SIGTERM. While an
// InterruptScope lives, those signals only raise a flag that the event loop
// reads; when the scope ends (after the run has written its files) the
// previous handlers come back and a caught signal is raised again, so the
// program ends as the signal meant.
#pragma once
#include <csignal>

namespace platform {

extern volatile std::sig_atomic_t gInterruptSignal;  // 0, or the signal caught
// True once a signal asked the run under way to stop.
inline bool InterruptRequested() { return gInterruptSignal != 0; }

class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

}  // namespace platform
