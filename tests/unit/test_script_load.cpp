// load: scripts that load scripts, nested up to the stated depth.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

// Chains of n scripts s1.txt ... sn.txt, each loading the next, the last
// creating network n. 64 load; at 65 the last level is refused where it
// would begin, every level above reports its failing line, and nothing of
// the last script runs. Chains of thousands used to overflow the stack.
TEST(LoadScript, NestsSixtyFourDeepAndRefusesDeeper) {
  const fs::path dir = fs::path(testing::TempDir()) / ("celvane_chain_" + std::to_string(getpid()));
  fs::create_directories(dir);
  auto script = [&](int i) { return (dir / ("s" + std::to_string(i) + ".txt")).string(); };
  platform::CapturedOutput console;
  for (int n : {64, 65}) {
    for (int i = 1; i <= n; ++i)
      std::ofstream(script(i)) << (i < n ? "load \"" + script(i + 1) + "\"" : "create network n");
    Kernel k;
    EXPECT_EQ(LoadScript(k, script(1)), n == 64 ? 1 : 0);
    EXPECT_EQ(k.ExistNetwork("n"), n == 64 ? 1 : 0);
    const std::string said = console.Take();
    if (n == 64) continue;
    const std::string refused = "the file \"" + script(65) + "\" would nest loads deeper than 64";
    EXPECT_EQ(said.find("load error: " + refused + "\n"), 0u) << said.substr(0, 300);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 65);
  }
  fs::remove_all(dir);
}
