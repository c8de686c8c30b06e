// save: writes a network as a script of commands that load rebuilds.
#include "console/SaveCommand.h"

#include <ostream>

#include "console/CommandReader.h"
#include "console/ScriptWriter.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Files.h"

int SaveNetwork(CommandContext& c) {
  const Sstring* file = c.kernel.DestinationFile(c.network->GetName());
  if (!file) return c.Fail("set the destination file with the command 'file'");
  std::ofstream out = platform::OpenForWriting(file->str());
  if (!out) {
    c.out << "save error: I can't create the file " << *file << '\n';
    return 0;
  }
  WriteNetworkScript(out, *c.network);
  // A script that did not all reach the file (a full disk) is no save.
  out.close();
  if (!out) {
    c.out << "save error: I can't write the file " << *file << '\n';
    return 0;
  }
  return 1;
}
