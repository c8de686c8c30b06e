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

// Once per process: the command handlers, the bounded run, and a scratch
// folder that becomes the working folder.
const fs::path& Scratch() {
  static const fs::path dir = [] {
    InstallCommandHandlers();
    gRun = FindHandlerRow("CmdRun")->handler;
    RegisterHandler("CmdRun", &BoundedRun);
    fs::path d = fs::temp_directory_path() / ("celvane_fuzz_" + std::to_string(getpid()));
    fs::create_directories(d);
    fs::current_path(d);
    return d;
  }();
  return dir;
}

// Empties the scratch folder of what the last input made.
void Clean() {
  std::error_code ec;
  fs::current_path(Scratch(), ec);
  for (auto& e : fs::directory_iterator(Scratch(), ec)) fs::remove_all(e.path(), ec);
}

}  // namespace

std::string Confined(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  for (char& c : s)
    if (c == '/') c = '_';
  return s;
}

void ExecuteLines(const uint8_t* data, size_t size) {
  Scratch();
  std::istringstream in(Confined(data, size));
  {
    platform::CapturedOutput quiet;
    Kernel kernel;
    kernel.SetBaseSeed(1);
    for (std::string line; std::getline(in, line);) {
      ExecuteLine(kernel, line.c_str());
      quiet.Take();
    }
  }
  Clean();
}

void LoadInput(const uint8_t* data, size_t size) {
  Scratch();
  std::ofstream("input.txt", std::ios::binary) << Confined(data, size);
  {
    platform::CapturedOutput quiet;
    Kernel kernel;
    kernel.SetBaseSeed(1);
    LoadScript(kernel, "input.txt");
  }
  Clean();
}

}  // namespace fuzz
