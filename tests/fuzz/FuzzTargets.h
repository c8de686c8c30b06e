// FuzzTargets: what the fuzzers do with one input, shared by the libFuzzer
// entry points and by the test that replays the inputs kept as regressions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Every line of the input through the line executor of a fresh kernel.
void ExecuteLines(const uint8_t* data, size_t size);
// The input written to a script file that a fresh kernel loads.
void LoadInput(const uint8_t* data, size_t size);

// The input as the targets use it: every "/" becomes "_", so that no file
// name can leave the scratch folder the targets work in.
std::string Confined(const uint8_t* data, size_t size);

// The end time the targets let a run have (longer ones are cut to it).
constexpr double kMaxRunTime = 1e-3;

}  // namespace fuzz
