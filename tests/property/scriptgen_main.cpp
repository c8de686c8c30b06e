// celvane_scriptgen: prints the generated script of a seed, or checks a
// range of seeds and prints the campaign figures.
//   celvane_scriptgen print SEED
//   celvane_scriptgen check FIRST_SEED COUNT [TIMEOUT_SECONDS]
//   celvane_scriptgen keep SEED DIR   (checks in this process, keeps DIR)
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <unistd.h>

#include "PropertyRunner.h"

using namespace property;

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  if (what == "print" && argc > 2) {
    std::cout << Generate(std::strtoull(argv[2], nullptr, 10)).Text();
    return 0;
  }
  if (what == "check" && argc > 3) {
    CampaignOptions o;
    o.firstSeed = std::strtoull(argv[2], nullptr, 10);
    o.scripts = std::strtoull(argv[3], nullptr, 10);
    if (argc > 4) o.timeoutSeconds = std::atof(argv[4]);
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    const std::filesystem::path fast = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp;
    o.scratch = (fast / ("celvane_scriptgen_" + std::to_string(getpid()))).string();
    o.keep = (tmp / "celvane_property_failures").string();
    o.progress = true;
    CampaignSummary s = RunCampaign(o, std::cout);
    PrintSummary(s, std::cout);
    for (const std::string& f : s.failures) std::cout << f << '\n';
    std::filesystem::remove_all(o.scratch);
    return s.failingScripts ? 1 : 0;
  }
  if (what == "keep" && argc > 3) {
    std::filesystem::remove_all(argv[3]);
    std::filesystem::create_directories(argv[3]);
    const std::string dir = std::filesystem::absolute(argv[3]).string();
    size_t runs = 0;
    for (const Finding& f : CheckScript(Generate(std::strtoull(argv[2], nullptr, 10)), dir, runs))
      std::cout << f.kind << ": " << f.detail << '\n';
    return 0;
  }
  std::cerr << "usage: celvane_scriptgen print SEED\n"
               "       celvane_scriptgen check FIRST_SEED COUNT [TIMEOUT_SECONDS]\n"
               "       celvane_scriptgen keep SEED DIR\n";
  return 2;
}
