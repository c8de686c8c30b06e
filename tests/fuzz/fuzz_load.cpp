// libFuzzer entry: the input loaded as a script file.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::LoadInput(data, size);
  return 0;
}
