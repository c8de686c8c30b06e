// load: scripts that load scripts, nested up to the stated depth.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {

// Writes s1.txt ... sN.txt, each loading the next; the last creates network n.
fs::path WriteChain(const fs::path& dir, int n) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (int i = 1; i <= n; ++i) {
    std::ofstream f(dir / ("s" + std::to_string(i) + ".txt"));
    if (i < n) f << "load \"" << (dir / ("s" + std::to_string(i + 1) + ".txt")).string() << "\"\n";
    else f << "create network n\n";
  }
  return dir / "s1.txt";
}

TEST(LoadScript, NestsSixtyFourDeepAndRefusesDeeper) {
  const fs::path dir =
      fs::path(testing::TempDir()) / ("celvane_chain_" + std::to_string(::getpid()));
  platform::CapturedOutput console;
  {
    Kernel k;
    EXPECT_EQ(LoadScript(k, WriteChain(dir, 64).string()), 1) << console.Take();
    EXPECT_EQ(k.ExistNetwork("n"), 1);
  }
  // One more level is refused where it would begin; every level above
  // reports its failing line, and nothing of the last script ran.
  for (int n : {65, 100}) {
    Kernel k;
    EXPECT_EQ(LoadScript(k, WriteChain(dir, n).string()), 0);
    const std::string said = console.Take();
    EXPECT_EQ(said.find("load error: the file \"" + (dir / "s65.txt").string() +
                        "\" would nest loads deeper than 64\n"),
              0u)
        << said.substr(0, 300);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 65);
    EXPECT_EQ(k.ExistNetwork("n"), 0);
  }
  fs::remove_all(dir);
}

}  // namespace
