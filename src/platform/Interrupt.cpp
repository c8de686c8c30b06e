// Interrupt: the signal flag, its scope and a race-free wait for input.
#include "platform/Interrupt.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>

namespace platform {

volatile std::sig_atomic_t gInterruptSignal = 0;

namespace {
int gScopeDepth = 0;  // scopes alive; the handlers are ours while > 0

extern "C" void OnInterrupt(int signal) { gInterruptSignal = signal; }
}  // namespace

InterruptScope::InterruptScope() {
  if (gScopeDepth++ == 0) gInterruptSignal = 0;
  struct sigaction a {};
  a.sa_handler = &OnInterrupt;
  sigemptyset(&a.sa_mask);
  a.sa_flags = SA_RESTART;  // console writes are not cut short by a signal
  sigaction(SIGINT, &a, &previousInt_);
  sigaction(SIGTERM, &a, &previousTerm_);
  if (previousInt_.sa_handler == SIG_IGN) sigaction(SIGINT, &previousInt_, nullptr);
  if (previousTerm_.sa_handler == SIG_IGN) sigaction(SIGTERM, &previousTerm_, nullptr);
}

InterruptScope::~InterruptScope() {
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
  --gScopeDepth;
}

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
