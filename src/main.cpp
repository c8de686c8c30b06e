// Program entry: options, the kernel, the scripts named, then the console.
#include "atm/RunFigures.h"
#include "console/CommandLine.h"
#include "console/ConsoleLoop.h"
#include "console/Diagnostics.h"
#include "console/RunFileLoad.h"
#include "console/Variables.h"
#include "model/Kernel.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/Interrupt.h"

int main(int argc, char** argv) {
  const ParsedCommandLine cl = ParseCommandLine(argc, argv, platform::Out(), platform::Err());
  if (cl.exit) return cl.exitStatus;
  platform::TreatFileSizeLimitAsWriteError();
  diag::SetStrict(cl.options.strict);
  for (const auto& [name, value] : cl.options.defines) DefineVariable(name, value);
  AtmRunRecorder recorder;
  Kernel kernel;
  kernel.SetRunRecorder(&recorder);
  if (cl.options.seedGiven)
    kernel.SetBaseSeed(static_cast<uint32_t>(cl.options.seed ^ (cl.options.seed >> 32)));
  kernel.SetRunIndex(cl.options.run);
  int status = 0;
  {
    // An interrupt stops the script at the command it came in (a run at its
    // next event, with its files and record written); the program then ends
    // with 130, the kernel and every file closed on the way out.
    platform::InterruptScope interrupts;
    for (const std::string& script : cl.options.scripts) {
      if (!LoadScript(kernel, script.c_str())) status = 1;
      if (platform::InterruptRequested()) return platform::kInterruptedStatus;
    }
  }
  if (!cl.options.batch && ConsoleLoop(kernel) == platform::kInterruptedStatus)
    return platform::kInterruptedStatus;
  return status;
}
