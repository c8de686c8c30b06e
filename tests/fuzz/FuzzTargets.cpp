// FuzzTargets: a scratch folder per process, runs with bounded end times, and
// the two ways an input reaches the command interpreter.
#include "FuzzTargets.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "atm/AtmModels.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace fuzz {
namespace fs = std::filesystem;

namespace {

// A `run` line with its end time cut to kMaxRunTime: the words are read as the
// command reads them, and the line is kept unchanged unless a longer time was
// read. Other lines are returned as they are.
std::string BoundedRun(const std::string& line) {
  std::istringstream words(line);
  std::string first;
  words >> first;
  if (first != "run") return line;
  Sstring network;
  double time = 0;
  words >> network;
  if (words.eof() || !(words >> time) || time <= kMaxRunTime) return line;
  std::ostringstream bounded;
  bounded << "run " << network << ' ' << kMaxRunTime;
  return bounded.str();
}

// Once per process: the block models and the scratch folder.
const fs::path& Scratch() {
  static const fs::path dir = [] {
    RegisterAtmModels();
    // Inputs make many small files: a memory file system, when there is one.
    const fs::path base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : fs::temp_directory_path();
    fs::path d = base / ("celvane_fuzz_" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// An input works in the scratch folder; afterwards the folder is emptied and
// the process is back where it was (the fuzzer writes its corpus there).
class InScratch {
 public:
  InScratch() : home_(fs::current_path()) { fs::current_path(Scratch()); }
  ~InScratch() {
    std::error_code ec;
    for (auto& e : fs::directory_iterator(Scratch(), ec)) fs::remove_all(e.path(), ec);
    fs::current_path(home_, ec);
  }

 private:
  fs::path home_;
};

}  // namespace

std::string Confined(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  for (char& c : s)
    if (c == '/') c = '_';
  return s;
}

void ExecuteLines(const uint8_t* data, size_t size) {
  InScratch here;
  std::istringstream in(Confined(data, size));
  platform::CapturedOutput quiet;
  Kernel kernel;
  kernel.SetBaseSeed(1);
  for (std::string line; std::getline(in, line);) {
    ExecuteLine(kernel, BoundedRun(line).c_str());
    quiet.Take();
  }
}

void LoadInput(const uint8_t* data, size_t size) {
  InScratch here;
  {
    std::istringstream in(Confined(data, size));
    std::ofstream script("input.txt", std::ios::binary);
    for (std::string line; std::getline(in, line);) script << BoundedRun(line) << '\n';
  }
  platform::CapturedOutput quiet;
  Kernel kernel;
  kernel.SetBaseSeed(1);
  LoadScript(kernel, "input.txt");
}

}  // namespace fuzz
