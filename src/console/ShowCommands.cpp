// The show commands' listings.
#include "console/ShowCommands.h"

#include <ostream>
#include <string>

#include "core/NumberFormat.h"
#include "model/Network.h"
#include "model/VccRecord.h"

namespace {
Sstring Text(const DataTable& t, const Sstring& key, const Sstring& name) {
  Sstring v;
  t.PeekData(key, name, v);
  return v;
}
}  // namespace

std::optional<Scalar> ConnectionInterface(const Network& net, const Sstring& a,
                                          const Sstring& b) {
  std::optional<Scalar> iface = net.Peek("Interfaces", "Interface_" + a + "_" + b);
  return iface ? iface : net.Peek("Interfaces", "Interface_" + b + "_" + a);
}

void ShowBlock(std::ostream& out, const Network& net, const Block& b) {
  out << net.GetName() << ' ' << b.GetName() << ' ' << b.GetModel() << ' ' << b.GetKind() << '\n';
}

void ShowBlocks(std::ostream& out, const Network& net) {
  net.ForEachBlock([&](const Block& b) { ShowBlock(out, net, b); });
}

// Pairs in the order the connections were made, each once; a pair without an
// interface record is left out.
void ShowConnections(std::ostream& out, const Network& net) {
  for (const auto& [a, b] : net.ConnectionOrder()) {
    const std::optional<Scalar> iface = ConnectionInterface(net, a, b);
    if (!iface) continue;
    out << net.GetName() << ' ' << a << ' ' << b << ' ';
    if (const Sstring* text = std::get_if<Sstring>(&*iface)) out << *text;
    else WriteScalar(out, *iface, NumberStyle::Exact);
    out << '\n';
  }
}

void ShowVccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs) {
  for (const Sstring& nci : vccs) {
    if (!net.Peek(nci, "Status")) continue;
    double bandwidth = 0;
    net.PeekData(nci, "Bandwidth", bandwidth);
    out << net.GetName() << ' ' << nci << ' ' << Text(net, nci, "Service categorie") << ' '
        << FormatG(bandwidth) << ' ' << VccRecord(net, nci).Block(1) << '\n';
  }
}

void ShowVccsBlocks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                    bool trailingBlank) {
  for (const Sstring& nci : vccs) {
    const VccRecord vcc(net, nci);
    short n = 0;
    if (!vcc.BlockCount(n)) continue;
    for (int k = 1; k < n; ++k)
      out << net.GetName() << ' ' << nci << ' ' << vcc.Block(k + 1) << ' ' << vcc.Block(k)
          << (trailingBlank ? " \n" : "\n");
  }
}

void ShowVccsLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                   const Sstring* from, const Sstring* to) {
  for (const Sstring& nci : vccs) {
    const VccRecord vcc(net, nci);
    short m = 0;
    if (!vcc.LinkCount(m)) continue;
    for (int k = 1; k <= m; ++k) {
      const VccLink link = vcc.Link(k);
      if (from && to && (link.begin != *from || link.end != *to)) continue;
      out << net.GetName() << ' ' << nci << ' ' << link.begin << ' ' << link.end << ' ' << link.vpi
          << ' ' << link.vci << '\n';
    }
  }
}

void ShowDcs(std::ostream& out, const Network& net, const std::vector<Sstring>& dcs) {
  for (const Sstring& dci : dcs) {
    if (!net.Peek(dci, "Begin application name")) continue;
    out << net.GetName() << ' ' << dci << ' ' << Text(net, dci, "Service categorie") << ' '
        << Text(net, dci, "Begin application name") << ' '
        << Text(net, dci, "End application name") << '\n';
  }
}

void ShowBlockParameters(std::ostream& out, const Network& net) {
  net.ForEachBlock([&](const Block& b) { b.GetParam(out); });
}

void ShowLayerParameters(std::ostream& out, const Network& net) {
  net.ForEachBlock([&](const Block& b) {
    std::vector<Sstring> names;
    if (b.ListLayers(names))
      for (const Sstring& n : names) b.FindLayer(n)->GetParam(out);
  });
}

void ShowQSParameters(std::ostream& out, const Network& net) {
  net.ForEachBlock([&](const Block& b) {
    std::vector<Sstring> names;
    if (b.ListQSs(names))
      for (const Sstring& n : names) b.FindQS(n)->GetParam(out);
  });
}
