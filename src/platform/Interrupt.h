// Interrupt: SIGINT (Ctrl-C) and SIGTERM turned into a flag that the event
// loop and the console read, so that a run stops in order at the next event
// - its files completed and its record written - instead of the program
// dying with its files half written. What happens after the run is the
// console's choice: at a terminal prompt the prompt comes back; elsewhere
// the program exits with kInterruptedStatus once its files are closed.
#pragma once
#include <csignal>

namespace platform {

// The signal caught last (SIGINT or SIGTERM), 0 when none is pending. Read
// once per event by the run loop, hence a plain global.
extern volatile std::sig_atomic_t gInterruptSignal;

// True once a signal asked the command under way to stop.
inline bool InterruptRequested() { return gInterruptSignal != 0; }
inline int InterruptSignal() { return gInterruptSignal; }
inline void ClearInterrupt() { gInterruptSignal = 0; }

// While an InterruptScope lives, SIGINT and SIGTERM only raise the flag
// (system calls are restarted). The outermost scope starts with the flag
// clear; scopes nest (a run inside a console session). When a scope ends
// the previous handlers come back and the flag is left for the caller to
// read. A signal the program was started with ignored stays ignored.
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

// Waits until fd has input or an interrupt is pending, without the race
// between testing the flag and sleeping; meant for use inside a scope.
// False when an interrupt is pending.
bool WaitForInput(int fd);

// The exit status of a program ended by an interrupt.
constexpr int kInterruptedStatus = 130;

}  // namespace platform
