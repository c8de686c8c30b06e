// save: writes a network as a script of commands that load rebuilds.
#include <ostream>

#include "console/CommandActions.h"
#include "console/SaveScript.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Files.h"

int CmdSave(CommandContext& c) {
  const Network& net = *c.network;
  const Sstring* file = c.kernel.DestinationFile(net.GetName());
  if (!file) return c.Fail("set the destination file with the command 'file'");
  std::ofstream out = platform::OpenForWriting(file->str());
  if (!out) {
    c.out << "save error: I can't create the file " << *file << '\n';
    return 0;
  }
  out << SaveScript(net);
  return 1;
}
