// FuzzTargets: a scratch folder per process, runs with bounded end times, and
// the two ways an input reaches the command interpreter.
#include "FuzzTargets.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace fuzz {
namespace fs = std::filesystem;

namespace {

Handler gRun = nullptr;

// The run command with its end time cut to kMaxRunTime: the words are read as
// the command reads them, and the command is given the rest unchanged unless
// a longer time was read.
int BoundedRun(Kernel& kernel, std::istream& in) {
  std::string rest{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::istringstream probe(rest);
  Sstring network;
  double time = 0;
  probe >> network;
  if (!probe.eof() && probe >> time && !(time <= kMaxRunTime)) {
    std::ostringstream bounded;
    bounded << network << ' ' << kMaxRunTime;
    rest = bounded.str();
  }
  std::istringstream args(rest);
  return gRun(kernel, args);
}

// Once per process: the command handlers and the bounded run.
const fs::path& Scratch() {
  static const fs::path dir = [] {
    InstallCommandHandlers();
    gRun = FindHandlerRow("CmdRun")->handler;
    RegisterHandler("CmdRun", &BoundedRun);
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
    ExecuteLine(kernel, line.c_str());
    quiet.Take();
  }
}

void LoadInput(const uint8_t* data, size_t size) {
  InScratch here;
  std::ofstream("input.txt", std::ios::binary) << Confined(data, size);
  platform::CapturedOutput quiet;
  Kernel kernel;
  kernel.SetBaseSeed(1);
  LoadScript(kernel, "input.txt");
}

}  // namespace fuzz
