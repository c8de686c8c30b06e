// The commands that rebuild a network, as save writes them.
#include "console/ScriptWriter.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "console/ShowCommands.h"
#include "core/NumberFormat.h"
#include "model/Network.h"
#include "model/VccRecord.h"

namespace {
const char* const kEnd = "\n\n";  // a command line and the empty line after it

Sstring Text(const DataTable& t, const Sstring& key, const Sstring& name) {
  Sstring v;
  t.PeekData(key, name, v);
  return v;
}

// One "put parameter <what> <names...> <record>" command per parameter.
void PutParameters(std::ostream& out, const Param& p, const char* what,
                   std::initializer_list<Sstring> names) {
  std::string command = std::string("put parameter ") + what + ' ';
  for (const Sstring& n : names) command += Quoted(n) + ' ';
  for (const auto& kv : p.Parameters()) {
    out << command;
    p.GetParam(kv.first, out, NumberStyle::Exact);
  }
}

void LayersAndQSs(std::ostream& out, const Network& net, const Block& b) {
  std::vector<Sstring> names;
  if (b.ListLayers(names))
    for (const Sstring& n : names)
      PutParameters(out, *b.FindLayer(n), "layer", {net.GetName(), b.GetName(), n});
  names.clear();
  if (b.ListQSs(names))
    for (const Sstring& n : names)
      PutParameters(out, *b.FindQS(n), "QS", {net.GetName(), b.GetName(), n});
}

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

void Vccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs) {
  for (const Sstring& nci : vccs) {
    if (!net.Peek(nci, "Status")) continue;
    double bandwidth = 0;
    net.PeekData(nci, "Bandwidth", bandwidth);
    out << "create vcc  " << net.GetName() << ' ' << nci << ' '
        << Text(net, nci, "Service categorie") << ' ' << FormatExact(bandwidth) << ' '
        << VccRecord(net, nci).Block(1) << kEnd;
  }
}

void VccPaths(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs) {
  for (const Sstring& nci : vccs) {
    const VccRecord vcc(net, nci);
    short n = 0;
    if (!vcc.BlockCount(n)) continue;
    for (int k = 1; k < n; ++k)
      out << "connect vcc block " << net.GetName() << ' ' << nci << ' ' << vcc.Block(k + 1) << ' '
          << vcc.Block(k) << kEnd;
  }
}

void VccLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs) {
  for (const Sstring& nci : vccs) {
    const VccRecord vcc(net, nci);
    short m = 0;
    if (!vcc.LinkCount(m)) continue;
    for (int k = 1; k <= m; ++k) {
      const VccLink link = vcc.Link(k);
      out << "create link " << net.GetName() << ' ' << nci << ' ' << link.begin << ' ' << link.end
          << ' ' << link.vpi << ' ' << link.vci << kEnd;
    }
  }
}

void Dcs(std::ostream& out, const Network& net, const std::vector<Sstring>& dcs) {
  for (const Sstring& dci : dcs) {
    if (!net.Peek(dci, "Begin application name")) continue;
    out << "create dc " << net.GetName() << ' ' << dci << ' '
        << Text(net, dci, "Begin application name") << ' '
        << Text(net, dci, "End application name") << kEnd;
  }
}
}  // namespace

void WriteNetworkScript(std::ostream& out, const Network& net) {
  out << "create network " << net.GetName() << kEnd;
  PutParameters(out, net, "network", {net.GetName()});
  net.ForEachBlock([&](const Block& b) {
    out << "create block " << net.GetName() << ' ' << b.GetName() << ' ' << b.GetModel() << ' '
        << b.GetKind() << kEnd;
    PutParameters(out, b, "block", {net.GetName(), b.GetName()});
  });
  for (const auto& [a, b] : net.ConnectionOrder()) {
    const Scalar* iface = ConnectionInterface(net, a, b);
    if (!iface) continue;
    out << "connect block " << net.GetName() << ' ' << a << ' ' << b << ' ';
    WriteScalar(out, *iface, NumberStyle::Exact);
    out << kEnd;
  }
  net.ForEachBlock([&](const Block& b) {
    out << "# \n# " << b.GetName() << " layers and QSs parameters\n# \n\n";
    LayersAndQSs(out, net, b);
  });
  const std::vector<Sstring> dcs = net.DcIds();
  const std::vector<Sstring> vccs = VccsInSaveOrder(net, dcs);
  Vccs(out, net, vccs);
  VccPaths(out, net, vccs);
  VccLinks(out, net, vccs);
  Dcs(out, net, dcs);
}
