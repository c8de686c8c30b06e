// FuzzTargets: a scratch folder per process, runs with bounded end times, and
// the two ways an input reaches the command interpreter.
#include "FuzzTargets.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "atm/AtmModels.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace fuzz {
namespace fs = std::filesystem;

namespace {

// The input's lines, a `run` line's end time cut to kMaxRunTime: its words
// are read as the command reads them, and a line is kept unless a longer time
// was read.
std::vector<std::string> BoundedLines(const uint8_t* data, size_t size) {
  std::istringstream in(Confined(data, size));
  std::vector<std::string> lines;
  for (std::string line, first; std::getline(in, line);) {
    std::istringstream words(line);
    Sstring network;
    double time = 0;
    std::ostringstream bounded;
    if (words >> first && first == "run" && words >> network && !words.eof() && words >> time &&
        time > kMaxRunTime)
      bounded << "run " << network << ' ' << kMaxRunTime;
    lines.push_back(bounded.tellp() > 0 ? bounded.str() : line);
  }
  return lines;
}

// An input works in a scratch folder of the process (in memory when there is
// /dev/shm); afterwards the process is back where it was (the fuzzer writes
// its corpus there) and the folder is gone.
struct InScratch {
  const fs::path home = fs::current_path();
  const fs::path dir = (access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                       ("celvane_fuzz_" + std::to_string(getpid()));
  InScratch() {
    RegisterAtmModels();
    fs::create_directories(dir);
    fs::current_path(dir);
  }
  ~InScratch() {
    std::error_code ec;
    fs::current_path(home, ec);
    fs::remove_all(dir, ec);
  }
};

// A fresh kernel, its output captured.
struct Quiet {
  platform::CapturedOutput output;
  Kernel kernel;
  Quiet() { kernel.SetBaseSeed(1); }
};

}  // namespace

std::string Confined(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  std::replace(s.begin(), s.end(), '/', '_');
  return s;
}

void ExecuteLines(const uint8_t* data, size_t size) {
  InScratch here;
  Quiet q;
  for (const std::string& line : BoundedLines(data, size)) {
    ExecuteLine(q.kernel, line.c_str());
    q.output.Take();
  }
}

void LoadInput(const uint8_t* data, size_t size) {
  InScratch here;
  std::ofstream script("input.txt", std::ios::binary);
  for (const std::string& line : BoundedLines(data, size)) script << line << '\n';
  script.close();
  Quiet q;
  LoadScript(q.kernel, "input.txt");
}

}  // namespace fuzz
