// celvane_scriptgen: prints the generated script of a seed, or checks a
// range of seeds and prints the campaign figures.
//   celvane_scriptgen print SEED
//   celvane_scriptgen check FIRST_SEED COUNT [TIMEOUT_SECONDS]
//   celvane_scriptgen keep SEED DIR   (checks in this process, keeps DIR)
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "PropertyRunner.h"

using namespace property;

int main(int argc, char** argv) {
  const std::string what = argc > 2 ? argv[1] : "";
  const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 0;
  if (what == "print") {
    std::cout << Generate(seed).Text();
    return 0;
  }
  if (what == "check" && argc > 3) {
    CampaignOptions o;
    o.firstSeed = seed;
    o.scripts = std::strtoull(argv[3], nullptr, 10);
    if (argc > 4) o.timeoutSeconds = std::atof(argv[4]);
    o.progress = true;
    CampaignSummary s = RunCampaign(o, std::cout);
    PrintSummary(s, std::cout);
    for (const std::string& f : s.failures) std::cout << f << '\n';
    return s.failingScripts ? 1 : 0;
  }
  if (what == "keep" && argc > 3) {
    std::filesystem::remove_all(argv[3]);
    std::filesystem::create_directories(argv[3]);
    size_t runs = 0;
    for (const Finding& f : CheckScript(Generate(seed), std::filesystem::absolute(argv[3]).string(), runs))
      std::cout << f.kind << ": " << f.detail << '\n';
    return 0;
  }
  std::cerr << "usage: celvane_scriptgen print SEED | check FIRST_SEED COUNT [TIMEOUT_SECONDS] | keep SEED DIR\n";
  return 2;
}
