// SIGINT/SIGTERM handlers and a race-free wait for console input.
#include "platform/Interrupt.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>

namespace platform {

volatile std::sig_atomic_t gInterruptSignal = 0;

namespace {
extern "C" void OnInterrupt(int signal) { gInterruptSignal = signal; }

void SetAction(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
}  // namespace

void ClearInterrupt() { gInterruptSignal = 0; }
void CatchInterrupts() { SetAction(&OnInterrupt); }
void DefaultInterrupts() { SetAction(SIG_DFL); }

bool WaitForInput(int fd) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  sigprocmask(SIG_BLOCK, &blocked, &previous);
  bool ready = false;
  while (!InterruptRequested()) {
    struct pollfd p = {fd, POLLIN, 0};
    // The signals are let in only while ppoll sleeps, so one that arrives
    // after the test above still wakes it.
    const int n = ppoll(&p, 1, nullptr, &previous);
    if (n > 0) {
      ready = true;
      break;
    }
    if (n < 0 && errno != EINTR) break;
  }
  // Input and a signal can arrive together (a typed Ctrl-C and the keys after
  // it); the signal, still held back, goes first.
  sigset_t pending;
  sigpending(&pending);
  if (sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM)) ready = false;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return ready;
}

}  // namespace platform
