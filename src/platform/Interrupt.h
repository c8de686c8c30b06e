// Interrupt: SIGINT and SIGTERM turned into a flag that the event loop and
// the console poll, so that a run stops cleanly at the next event instead of
// killing the program with its files half written.
#pragma once
#include <csignal>

namespace platform {

// The signal caught last (SIGINT or SIGTERM), 0 when none is pending. Read
// once per event by the run loop, hence a plain global.
extern volatile std::sig_atomic_t gInterruptSignal;

inline bool InterruptRequested() { return gInterruptSignal != 0; }
inline int InterruptSignal() { return gInterruptSignal; }
void ClearInterrupt();

// Catches SIGINT and SIGTERM from now on (system calls are restarted).
void CatchInterrupts();
// Gives SIGINT and SIGTERM back their default action (ending the program);
// used while a non-terminal console waits for a line, as it always did.
void DefaultInterrupts();

// Waits until fd has input or an interrupt is pending, without the race
// between testing the flag and sleeping. False when an interrupt is pending.
bool WaitForInput(int fd);

// The exit status of a program ended by an interrupt.
constexpr int kInterruptedStatus = 130;

}  // namespace platform
