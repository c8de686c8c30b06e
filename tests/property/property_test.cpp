// Generated scripts keep the properties every script must keep (see
// PropertyRunner.h), hostile edits included. The number of scripts, the first
// seed and the time limit per script come from the environment, for example
//   CELVANE_PROPERTY_SCRIPTS=20000 build/tests/celvane_property_tests
// (also CELVANE_PROPERTY_SEED, the first seed, and CELVANE_PROPERTY_TIMEOUT in
// seconds).
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
  o.progress = o.scripts >= 1000;
  CampaignSummary s = RunCampaign(o, std::cout);
  PrintSummary(s, std::cout);
  std::string first;
  for (size_t i = 0; i < s.failures.size() && i < 20; ++i) first += s.failures[i] + "\n";
  EXPECT_EQ(s.failingScripts, 0u) << first << "reproducers: " << s.keep;
}

// The generator is deterministic; the checks see what they look for, and
// nothing else.
TEST(ScriptProperty, GeneratorAndChecks) {
  EXPECT_EQ(Generate(42).Text(), Generate(42).Text());
  EXPECT_NE(Generate(42).Text(), Generate(43).Text());

  EXPECT_EQ(FindNanOrInf("a\n0.5 -nan 3\nb"), "0.5 -nan 3");
  EXPECT_EQ(FindNanOrInf("\"open\nx -Infinity\n"), "x -Infinity");  // quotes end with the line
  EXPECT_EQ(FindNanOrInf("\"nan\" \"a inf\" INFINITE info banana\n"), "");

  const fs::path d = fs::path(testing::TempDir()) / ("celvane_compare_" + std::to_string(getpid()));
  const std::string a = (d / "a").string(), b = (d / "b").string();
  for (const std::string& side : {a, b}) fs::create_directories(side + "/sub");
  std::ofstream(a + "/sub/x.dat") << "1\n2\n";
  std::ofstream(b + "/sub/x.dat") << "1\n3\n";
  EXPECT_EQ(CompareFolders(a, b), "sub/x.dat line 2: 2 | 3");
  std::ofstream(a + "/sub/x.dat") << "1\n3\n";
  std::ofstream(b + "/y.log") << "";
  EXPECT_EQ(CompareFolders(a, b), "only the reloaded copy wrote y.log");
  fs::remove_all(d);
}

}  // namespace
