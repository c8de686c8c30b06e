// Generated scripts keep the properties every script must keep (see
// PropertyRunner.h), hostile edits included. The number of scripts, the first
// seed and the time limit per script come from the environment, for example
//   CELVANE_PROPERTY_SCRIPTS=20000 build/tests/celvane_property_tests
// (also CELVANE_PROPERTY_SEED, the first seed, and CELVANE_PROPERTY_TIMEOUT in
// seconds).
// Failing scripts are written to $TMPDIR/celvane_property_failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <unistd.h>

#include "PropertyRunner.h"

namespace fs = std::filesystem;
using namespace property;

namespace {

unsigned long long FromEnvironment(const char* name, unsigned long long fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtoull(v, nullptr, 10) : fallback;
}

TEST(ScriptProperty, GeneratedScriptsKeepEveryProperty) {
  CampaignOptions o;
  o.scripts = FromEnvironment("CELVANE_PROPERTY_SCRIPTS", CELVANE_PROPERTY_DEFAULT_SCRIPTS);
  o.firstSeed = FromEnvironment("CELVANE_PROPERTY_SEED", 1);
  o.timeoutSeconds = static_cast<double>(FromEnvironment("CELVANE_PROPERTY_TIMEOUT", CELVANE_PROPERTY_DEFAULT_TIMEOUT));
  // Scripts write many small files: a memory file system, when there is one.
  const fs::path tmp = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::path(testing::TempDir());
  o.scratch = (tmp / ("celvane_property_" + std::to_string(getpid()))).string();
  o.keep = (fs::path(testing::TempDir()) / "celvane_property_failures").string();
  o.progress = o.scripts >= 1000;
  CampaignSummary s = RunCampaign(o, std::cout);
  PrintSummary(s, std::cout);
  std::error_code ec;
  fs::remove_all(o.scratch, ec);
  std::string first;
  for (size_t i = 0; i < s.failures.size() && i < 20; ++i) first += s.failures[i] + "\n";
  EXPECT_EQ(s.failingScripts, 0u) << first << "reproducers: " << o.keep;
}

TEST(ScriptProperty, GeneratorIsDeterministicAndKnowsTheProgramsNames) {
  EXPECT_EQ(Generate(42).Text(), Generate(42).Text());
  EXPECT_NE(Generate(42).Text(), Generate(43).Text());
  const Catalog& c = ProgramCatalog();
  ASSERT_EQ(c.models.size(), 3u);
  auto layers = [](const ModelInfo& m) {
    std::string s;
    for (const ObjectInfo& o : m.layers) s += o.name + ";";
    for (const ObjectInfo& o : m.qss) s += o.name + ";";
    return s;
  };
  EXPECT_EQ(c.models[1].model, "ATM Switch");
  EXPECT_NE(layers(c.models[1]).find("PHY_#;"), std::string::npos) << layers(c.models[1]);
  EXPECT_NE(layers(c.models[1]).find("ATM_QS_#;"), std::string::npos);
  for (const char* l : {"CBR_TS;", "VBR_BATCH_TS;", "GENERIC_TS;", "TR;"})
    EXPECT_NE(layers(c.models[2]).find(l), std::string::npos) << l;
  EXPECT_EQ(c.elementTypes.size(), 9u);
}

// The checks must see what they look for, and nothing else.
TEST(ScriptProperty, ChecksFindNanAndChangedFiles) {
  EXPECT_EQ(FindNanOrInf("1 2 -nan\n"), "1 2 -nan");
  EXPECT_EQ(FindNanOrInf("a\n0.5 inf 3\nb"), "0.5 inf 3");
  EXPECT_EQ(FindNanOrInf("x -Infinity y"), "x -Infinity y");
  EXPECT_EQ(FindNanOrInf("\"nan\" \"a inf\" INFINITE info banana FINITE\n"), "");
  EXPECT_EQ(FindNanOrInf("\"open\nnan\n"), "nan");  // quotes end with the line

  fs::path d = fs::path(testing::TempDir()) / ("celvane_compare_" + std::to_string(getpid()));
  fs::remove_all(d);
  fs::create_directories(d / "a" / "sub");
  fs::create_directories(d / "b" / "sub");
  auto put = [&](const char* side, const char* name, const char* text) {
    std::ofstream(d / side / name) << text;
  };
  put("a", "sub/x.dat", "1\n2\n");
  put("b", "sub/x.dat", "1\n2\n");
  put("a", "lan_end.dat", "wall clock 1");
  put("b", "lan_end.dat", "wall clock 2");
  EXPECT_EQ(CompareFolders((d / "a").string(), (d / "b").string()), "");
  put("b", "sub/x.dat", "1\n3\n");
  EXPECT_EQ(CompareFolders((d / "a").string(), (d / "b").string()), "sub/x.dat line 2: 2 | 3");
  put("b", "y.log", "");
  EXPECT_EQ(CompareFolders((d / "a").string(), (d / "b").string()),
            "only the reloaded copy wrote y.log");
  fs::remove_all(d);
}

}  // namespace
