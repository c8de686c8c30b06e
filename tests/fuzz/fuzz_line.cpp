// libFuzzer entry: each line of the input through the line executor.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ExecuteLines(data, size);
  return 0;
}
