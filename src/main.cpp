// Program entry: options, the kernel, then the console loop.
#include <iostream>

#include "console/CommandLine.h"
#include "console/CommandTable.h"
#include "console/ConsoleLoop.h"
#include "model/Kernel.h"

int main(int argc, char** argv) {
  const ParsedCommandLine cl = ParseCommandLine(argc, argv, std::cout, std::cerr);
  if (cl.exit) return cl.exitStatus;
  if (!cl.options.scripts.empty()) {
    std::cerr << "celvane: loading scripts is not available yet\n";
    return 1;
  }
  if (cl.options.batch) return 0;  // no scripts to run
  InstallCommandHandlers();
  Kernel kernel;
  ConsoleLoop(kernel);
  return 0;
}
