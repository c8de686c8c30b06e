// A fingerprint of the event log of every example network: a hash of the
// time, type, source and destination of every event. Any change of event
// order or timing shows up here as one failing line. After a deliberate
// change, run with CELVANE_PRINT_FINGERPRINTS=1 to see the new values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <unistd.h>

#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {

struct Example {
  const char* file;
  const char* network;
  unsigned long long events;
  const char* fingerprint;
};

const Example kExamples[] = {
    {"two_terminals.txt", "direct", 3030, "548f14ac84b46bce"},
    {"switched.txt", "lan", 13337, "ce654337267dc4b9"},
    {"vbr.txt", "vbr", 33379, "6255736830c09ff2"},
    {"file_source.txt", "file", 1787, "6f2abc3c5367ab21"},
};

// FNV-1a, 64 bits, as 16 hexadecimal digits.
std::string Fnv1a(const std::string& text) {
  unsigned long long h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", h);
  return buf;
}

TEST(Examples, EventLogFingerprints) {
  const bool print = std::getenv("CELVANE_PRINT_FINGERPRINTS") != nullptr;
  for (const Example& ex : kExamples) {
    // The example as written, with its files sent to a scratch folder and the
    // event log switched on before its run command.
    fs::path dir = fs::path(testing::TempDir()) /
                   (std::string("fp_") + ex.network + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ifstream in(fs::path(CELVANE_EXAMPLES) / ex.file);
    ASSERT_TRUE(in) << ex.file;
    std::ostringstream script;
    std::string path = (dir / "").string();
    for (std::string line; std::getline(in, line);) {
      line = std::regex_replace(line, std::regex("\"results/[^\"]*\""), "\"" + path + "\"");
      line = std::regex_replace(line, std::regex("(^| )examples/"),
                                std::string("$1") + CELVANE_EXAMPLES + "/");
      if (line.rfind("run ", 0) == 0)
        script << "put parameter network " << ex.network
               << " \"Simulation log status\" string 1 1 ON d SHOW\n";
      script << line << '\n';
    }
    std::ofstream(dir / "script.txt") << script.str();
    Kernel kernel;
    kernel.SetBaseSeed(1);
    platform::CapturedOutput captured;
    ASSERT_EQ(LoadScript(kernel, (dir / "script.txt").string().c_str()), 1) << captured.Take();
    std::ifstream log(dir / (std::string(ex.network) + "_events.log"));
    std::ostringstream text;
    unsigned long long events = 0;
    for (std::string line; std::getline(log, line); ++events) text << line << '\n';
    std::string fp = Fnv1a(text.str());
    if (print) std::printf("%s %llu %s\n", ex.file, events, fp.c_str());
    EXPECT_EQ(events, ex.events) << ex.file;
    EXPECT_EQ(fp, ex.fingerprint) << ex.file;
    fs::remove_all(dir);
  }
}

}  // namespace
