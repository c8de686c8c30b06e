// Console streams, line reading and screen clearing.
#include "platform/Console.h"

#include <iostream>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#define CELVANE_HAVE_ISATTY 1
#endif

namespace platform {
namespace {
std::ostream* gOut = nullptr;
std::istream* gIn = nullptr;
std::ostream* gErr = nullptr;
}  // namespace

std::ostream& Out() { return gOut ? *gOut : std::cout; }
std::istream& In() { return gIn ? *gIn : std::cin; }
std::ostream& Err() { return gErr ? *gErr : std::cerr; }
void SetOut(std::ostream* out) { gOut = out; }
void SetIn(std::istream* in) { gIn = in; }
void SetErr(std::ostream* err) { gErr = err; }

bool ReadLine(std::istream& in, std::string& line) {
  return static_cast<bool>(std::getline(in, line));
}

bool OutputIsTerminal() {
#ifdef CELVANE_HAVE_ISATTY
  return gOut == nullptr && isatty(STDOUT_FILENO) == 1;
#else
  return false;
#endif
}

void ClearScreen() {
  if (OutputIsTerminal()) Out() << "\033[2J\033[H" << std::flush;
}

CapturedOutput::CapturedOutput() : previous_(gOut) { gOut = &text_; }

CapturedOutput::~CapturedOutput() { gOut = previous_; }

std::string CapturedOutput::Take() {
  std::string s = text_.str();
  text_.str(std::string());
  return s;
}

}  // namespace platform
