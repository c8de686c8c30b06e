// celvane_scriptgen: prints the generated script of a seed, or checks a
// range of seeds and prints the campaign figures.
//   celvane_scriptgen print SEED [full]
//   celvane_scriptgen check FIRST_SEED COUNT [full] [TIMEOUT_SECONDS]
//   celvane_scriptgen keep SEED DIR [full]   (checks in this process, keeps DIR)
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <unistd.h>

#include "PropertyRunner.h"

using namespace property;

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  auto profileAt = [&](int i) {
    return argc > i && std::string(argv[i]) == "full" ? Profile::Full : Profile::Safe;
  };
  if (what == "print" && argc > 2) {
    auto known = KnownFromEnvironment();
    std::cout << Generate(std::strtoull(argv[2], nullptr, 10), profileAt(3), known.get()).Text();
    return 0;
  }
  if (what == "check" && argc > 3) {
    CampaignOptions o;
    o.firstSeed = std::strtoull(argv[2], nullptr, 10);
    o.scripts = std::strtoull(argv[3], nullptr, 10);
    o.profile = profileAt(4);
    if (argc > 5) o.timeoutSeconds = std::atof(argv[5]);
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    const std::filesystem::path fast = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp;
    o.scratch = (fast / ("celvane_scriptgen_" + std::to_string(getpid()))).string();
    o.keep = (tmp / "celvane_property_failures").string();
    o.progress = true;
    auto known = KnownFromEnvironment();
    o.known = known.get();
    if (o.profile == Profile::Safe) o.tolerated = {"run-order"};  // as the test does
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
    auto known = KnownFromEnvironment();
    for (const Finding& f :
         CheckScript(Generate(std::strtoull(argv[2], nullptr, 10), profileAt(4), known.get()), dir, runs))
      std::cout << f.kind << ": " << f.detail << '\n';
    return 0;
  }
  std::cerr << "usage: celvane_scriptgen print SEED [full]\n"
               "       celvane_scriptgen check FIRST_SEED COUNT [full] [TIMEOUT_SECONDS]\n"
               "       celvane_scriptgen keep SEED DIR [full]\n";
  return 2;
}
