// Program entry: options, the kernel, the scripts named, then the console.
#include "atm/RunFigures.h"
#include "console/CommandLine.h"
#include "console/ConsoleLoop.h"
#include "console/RunFileLoad.h"
#include "console/Variables.h"
#include "model/Kernel.h"
#include "platform/Console.h"

int main(int argc, char** argv) {
  const ParsedCommandLine cl = ParseCommandLine(argc, argv, platform::Out(), platform::Err());
  if (cl.exit) return cl.exitStatus;
  for (const auto& [name, value] : cl.options.defines) DefineVariable(name, value);
  AtmRunRecorder recorder;
  Kernel kernel;
  kernel.SetRunRecorder(&recorder);
  if (cl.options.seedGiven)
    kernel.SetBaseSeed(static_cast<uint32_t>(cl.options.seed ^ (cl.options.seed >> 32)));
  kernel.SetRunIndex(cl.options.run);
  int status = 0;
  for (const std::string& script : cl.options.scripts)
    if (!LoadScript(kernel, script.c_str())) status = 1;
  if (!cl.options.batch) ConsoleLoop(kernel);
  return status;
}
