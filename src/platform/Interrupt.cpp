// Interrupt: the signal flag and its scope.
#include "platform/Interrupt.h"

#include <iostream>

#include "platform/Console.h"

namespace platform {

volatile std::sig_atomic_t gInterruptSignal = 0;

namespace {
void Catch(int signal) { gInterruptSignal = signal; }
}  // namespace

InterruptScope::InterruptScope() {
  gInterruptSignal = 0;
  struct sigaction a {};
  a.sa_handler = Catch;
  sigemptyset(&a.sa_mask);
  sigaction(SIGINT, &a, &previousInt_);
  sigaction(SIGTERM, &a, &previousTerm_);
  // A signal the program was told to ignore stays ignored.
  if (previousInt_.sa_handler == SIG_IGN) sigaction(SIGINT, &previousInt_, nullptr);
  if (previousTerm_.sa_handler == SIG_IGN) sigaction(SIGTERM, &previousTerm_, nullptr);
}

InterruptScope::~InterruptScope() {
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
  const int signal = gInterruptSignal;
  gInterruptSignal = 0;
  if (signal != 0) {
    // What was printed must not be lost with the process.
    Out().flush();
    std::cout.flush();
    std::cerr.flush();
    std::raise(signal);
  }
}

}  // namespace platform
