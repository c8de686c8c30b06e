// Inputs the fuzzers found faults with, replayed through both targets. An
// input is a file under regressions/; a fault comes back as a crash or a
// sanitizer report of this test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FuzzTargets.h"

namespace fs = std::filesystem;

TEST(FuzzRegressions, ReplayThroughLinesAndLoad) {
  size_t replayed = 0;
  for (const auto& e : fs::directory_iterator(CELVANE_FUZZ_REGRESSIONS)) {
    if (!e.is_regular_file() || e.path().filename() == "README") continue;
    std::stringstream s;
    s << std::ifstream(e.path(), std::ios::binary).rdbuf();
    const std::string input = s.str();
    SCOPED_TRACE(e.path().string());
    const auto* data = reinterpret_cast<const uint8_t*>(input.data());
    fuzz::ExecuteLines(data, input.size());
    fuzz::LoadInput(data, input.size());
    ++replayed;
  }
  EXPECT_GT(replayed, 0u);
}

TEST(FuzzRegressions, InputsStayInTheScratchFolder) {
  const std::string in = "file x /etc/y\nput parameter network n Path string 1 1 / p SHOW";
  EXPECT_EQ(fuzz::Confined(reinterpret_cast<const uint8_t*>(in.data()), in.size()),
            "file x _etc_y\nput parameter network n Path string 1 1 _ p SHOW");
}
