// save: writes a network as a script of commands that load rebuilds.
#include <algorithm>
#include <ostream>

#include "console/CommandActions.h"
#include "console/ShowCommands.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Files.h"

namespace {
// The order in which to write the VCCs so that, on loading, every create dc
// binds its DC to the VCC it has now: create dc takes the most recently
// added free matching VCC, so the VCCs no DC uses come first (table order)
// and the VCCs in use follow in the reverse order of the DC lines.
std::vector<Sstring> VccsInSaveOrder(const Network& net, const std::vector<Sstring>& dcs) {
  std::vector<Sstring> used;
  for (const Sstring& dci : dcs) {
    Sstring nci;
    if (net.PeekData(dci, "NCI", nci) && net.Peek(nci, "Status") &&
        std::find(used.begin(), used.end(), nci) == used.end())
      used.push_back(nci);
  }
  std::vector<Sstring> order;
  for (const Sstring& nci : net.VccIds())
    if (std::find(used.begin(), used.end(), nci) == used.end()) order.push_back(nci);
  order.insert(order.end(), used.rbegin(), used.rend());
  return order;
}
}  // namespace

int CmdSave(CommandContext& c) {
  const Network& net = *c.network;
  const Sstring* file = c.kernel.DestinationFile(net.GetName());
  if (!file) return c.Fail("set the destination file with the command 'file'");
  std::ofstream out = platform::OpenForWriting(file->str());
  if (!out) {
    c.out << "save error: I can't create the file " << *file << '\n';
    return 0;
  }
  const ShowMode mode = ShowMode::File;
  out << "create network " << net.GetName() << "\n\n";
  ShowNetworkParameters(out, net, mode);
  net.ForEachBlock([&](const Block& b) {
    ShowBlock(out, net, b, mode);
    ShowOneBlockParameters(out, net, b.GetName(), mode);
  });
  ShowConnections(out, net, mode);
  net.ForEachBlock([&](const Block& b) {
    out << "# \n# " << b.GetName() << " layers and QSs parameters\n# \n\n";
    ShowBlockLayersAndQSs(out, net, b.GetName(), mode);
  });
  std::vector<Sstring> dcs = net.DcIds();
  std::vector<Sstring> vccs = VccsInSaveOrder(net, dcs);
  ShowVccs(out, net, vccs, mode);
  ShowVccsBlocks(out, net, vccs, mode);
  ShowVccsLinks(out, net, vccs, mode);
  ShowDcs(out, net, dcs, mode);
  // A script that did not all reach the file (a full disk) is no save.
  out.close();
  if (!out) {
    c.out << "save error: I can't write the file " << *file << '\n';
    return 0;
  }
  return 1;
}
