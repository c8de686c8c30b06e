// The show commands' listings.
#include "console/ShowCommands.h"

#include <ostream>
#include <string>

#include "atm/QueueingSystem.h"
#include "core/NumberFormat.h"
#include "model/Network.h"

namespace {
Sstring Text(const DataTable& t, const Sstring& key, const Sstring& name) {
  Sstring v;
  t.PeekData(key, name, v);
  return v;
}

Sstring Numbered(const char* prefix, int n, const char* suffix = "") {
  return Sstring(std::string(prefix) + std::to_string(n) + suffix);
}
}  // namespace

const Scalar* ConnectionInterface(const Network& net, const Sstring& a, const Sstring& b) {
  const Scalar* iface = net.Peek("Interfaces", "Interface_" + a + "_" + b);
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
    const Scalar* iface = ConnectionInterface(net, a, b);
    if (!iface) continue;
    out << net.GetName() << ' ' << a << ' ' << b << ' ';
    WriteScalar(out, *iface, NumberStyle::Exact);
    out << '\n';
  }
}

void ShowVccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs) {
  for (const Sstring& nci : vccs) {
    if (!net.Peek(nci, "Status")) continue;
    double bandwidth = 0;
    net.PeekData(nci, "Bandwidth", bandwidth);
    out << net.GetName() << ' ' << nci << ' ' << Text(net, nci, "Service categorie") << ' '
        << FormatG(bandwidth) << ' ' << Text(net, nci, "Block_1") << '\n';
  }
}

void ShowVccsBlocks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                    bool trailingBlank) {
  for (const Sstring& nci : vccs) {
    short n = 0;
    if (!net.PeekData(nci, "Number of blocks", n)) continue;
    for (int k = 1; k < n; ++k)
      out << net.GetName() << ' ' << nci << ' ' << Text(net, nci, Numbered("Block_", k + 1)) << ' '
          << Text(net, nci, Numbered("Block_", k)) << (trailingBlank ? " \n" : "\n");
  }
}

void ShowVccsLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                   const Sstring* from, const Sstring* to) {
  for (const Sstring& nci : vccs) {
    short m = 0;
    if (!net.PeekData(nci, "Number of links", m)) continue;
    for (int k = 1; k <= m; ++k) {
      Sstring begin = Text(net, nci, Numbered("Link_", k, "_Begin"));
      Sstring end = Text(net, nci, Numbered("Link_", k, "_End"));
      if (from && to && (begin != *from || end != *to)) continue;
      unsigned vpi = 0, vci = 0;
      net.PeekData(nci, Numbered("Link_", k, "_VPI"), vpi);
      net.PeekData(nci, Numbered("Link_", k, "_VCI"), vci);
      out << net.GetName() << ' ' << nci << ' ' << begin << ' ' << end << ' ' << vpi << ' ' << vci
          << '\n';
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
