// The show commands. Every read here leaves the tables unchanged.
#include "console/ShowCommands.h"

#include <ostream>
#include <string>

#include "console/CommandActions.h"
#include "core/NumberFormat.h"
#include "model/Network.h"
#include "model/VccRecord.h"

namespace {
const char* const kFileEnd = "\n\n";  // a command line and the empty line after it

std::string Number(double v, ShowMode mode) {
  return mode == ShowMode::File ? FormatExact(v) : FormatG(v);
}

Sstring Text(const DataTable& t, const Sstring& key, const Sstring& name) {
  Sstring v;
  t.PeekData(key, name, v);
  return v;
}

// Writes every parameter of a set: its listing on the screen, or one
// "put parameter" command per parameter (values written exactly) in a file.
void ShowParams(std::ostream& out, const Param& p, ShowMode mode, const std::string& command) {
  if (mode == ShowMode::Screen) {
    p.GetParam(out);
    return;
  }
  for (const auto& kv : p.Parameters()) {
    out << command;
    p.GetParam(kv.first, out, NumberStyle::Exact);
  }
}

std::string PutParameter(const char* what, std::initializer_list<Sstring> names) {
  std::string s = std::string("put parameter ") + what + ' ';
  for (const Sstring& n : names) s += Quoted(n) + ' ';
  return s;
}
}  // namespace

void ShowBlock(std::ostream& out, const Network& net, const Block& b, ShowMode mode) {
  if (mode == ShowMode::File) out << "create block ";
  out << net.GetName() << ' ' << b.GetName() << ' ' << b.GetModel() << ' ' << b.GetKind()
      << (mode == ShowMode::File ? kFileEnd : "\n");
}

void ShowBlocks(std::ostream& out, const Network& net, ShowMode mode) {
  net.ForEachBlock([&](const Block& b) { ShowBlock(out, net, b, mode); });
}

// Pairs in the order the connections were made, each once; a pair without an
// interface record is left out.
void ShowConnections(std::ostream& out, const Network& net, ShowMode mode) {
  for (const auto& [a, b] : net.ConnectionOrder()) {
    const Scalar* iface = net.Peek("Interfaces", "Interface_" + a + "_" + b);
    if (!iface) iface = net.Peek("Interfaces", "Interface_" + b + "_" + a);
    if (!iface) continue;
    if (mode == ShowMode::File) out << "connect block ";
    out << net.GetName() << ' ' << a << ' ' << b << ' ';
    WriteScalar(out, *iface, NumberStyle::Exact);
    out << (mode == ShowMode::File ? kFileEnd : "\n");
  }
}

void ShowVccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
              ShowMode mode) {
  for (const Sstring& nci : vccs) {
    if (!net.Peek(nci, "Status")) continue;
    double bandwidth = 0;
    net.PeekData(nci, "Bandwidth", bandwidth);
    if (mode == ShowMode::File) out << "create vcc  ";
    out << net.GetName() << ' ' << nci << ' ' << Text(net, nci, "Service categorie") << ' '
        << Number(bandwidth, mode) << ' ' << VccRecord(net, nci).Block(1)
        << (mode == ShowMode::File ? kFileEnd : "\n");
  }
}

void ShowVccsBlocks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                    ShowMode mode, bool trailingBlank) {
  for (const Sstring& nci : vccs) {
    const VccRecord vcc(net, nci);
    short n = 0;
    if (!vcc.BlockCount(n)) continue;
    for (int k = 1; k < n; ++k) {
      if (mode == ShowMode::File) out << "connect vcc block ";
      out << net.GetName() << ' ' << nci << ' ' << vcc.Block(k + 1) << ' ' << vcc.Block(k);
      out << (mode == ShowMode::File ? kFileEnd : (trailingBlank ? " \n" : "\n"));
    }
  }
}

void ShowVccsLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                   ShowMode mode, const Sstring* from, const Sstring* to) {
  for (const Sstring& nci : vccs) {
    const VccRecord vcc(net, nci);
    short m = 0;
    if (!vcc.LinkCount(m)) continue;
    for (int k = 1; k <= m; ++k) {
      const VccLink link = vcc.Link(k);
      if (from && (link.begin != *from || link.end != *to)) continue;
      if (mode == ShowMode::File) out << "create link ";
      out << net.GetName() << ' ' << nci << ' ' << link.begin << ' ' << link.end << ' ' << link.vpi
          << ' ' << link.vci
          << (mode == ShowMode::File ? kFileEnd : "\n");
    }
  }
}

void ShowDcs(std::ostream& out, const Network& net, const std::vector<Sstring>& dcs,
             ShowMode mode) {
  for (const Sstring& dci : dcs) {
    if (!net.Peek(dci, "Begin application name")) continue;
    if (mode == ShowMode::File) {
      out << "create dc " << net.GetName() << ' ' << dci << ' '
          << Text(net, dci, "Begin application name") << ' '
          << Text(net, dci, "End application name") << kFileEnd;
    } else {
      out << net.GetName() << ' ' << dci << ' ' << Text(net, dci, "Service categorie") << ' '
          << Text(net, dci, "Begin application name") << ' '
          << Text(net, dci, "End application name") << '\n';
    }
  }
}

void ShowNetworkParameters(std::ostream& out, const Network& net, ShowMode mode) {
  ShowParams(out, net, mode, PutParameter("network", {net.GetName()}));
}

void ShowOneBlockParameters(std::ostream& out, const Network& net, const Sstring& block,
                            ShowMode mode) {
  if (const Block* b = net.FindBlock(block))
    ShowParams(out, *b, mode, PutParameter("block", {net.GetName(), block}));
}

void ShowBlockParameters(std::ostream& out, const Network& net, ShowMode mode) {
  net.ForEachBlock([&](const Block& b) { ShowOneBlockParameters(out, net, b.GetName(), mode); });
}

namespace {
void LayersOf(std::ostream& out, const Network& net, const Block& b, ShowMode mode) {
  std::vector<Sstring> names;
  if (b.ListLayers(names))
    for (const Sstring& n : names)
      ShowParams(out, *b.FindLayer(n), mode, PutParameter("layer", {net.GetName(), b.GetName(), n}));
}
void QSsOf(std::ostream& out, const Network& net, const Block& b, ShowMode mode) {
  std::vector<Sstring> names;
  if (b.ListQSs(names))
    for (const Sstring& n : names)
      ShowParams(out, *b.FindQS(n), mode, PutParameter("QS", {net.GetName(), b.GetName(), n}));
}
}  // namespace

void ShowLayerParameters(std::ostream& out, const Network& net, ShowMode mode) {
  net.ForEachBlock([&](const Block& b) { LayersOf(out, net, b, mode); });
}

void ShowQSParameters(std::ostream& out, const Network& net, ShowMode mode) {
  net.ForEachBlock([&](const Block& b) { QSsOf(out, net, b, mode); });
}

void ShowBlockLayersAndQSs(std::ostream& out, const Network& net, const Sstring& block,
                           ShowMode mode) {
  if (const Block* b = net.FindBlock(block)) {
    LayersOf(out, net, *b, mode);
    QSsOf(out, net, *b, mode);
  }
}

// Console commands (screen listings).
int CmdShowNetwork(CommandContext& c) {
  ShowBlocks(c.out, *c.network, ShowMode::Screen);
  return 1;
}
int CmdShowBlock(CommandContext& c) {
  ShowBlock(c.out, *c.network, *c.block, ShowMode::Screen);
  return 1;
}
int CmdShowConnections(CommandContext& c) {
  ShowConnections(c.out, *c.network, ShowMode::Screen);
  return 1;
}
int CmdShowVccs(CommandContext& c) {
  ShowVccs(c.out, *c.network, c.network->VccIds(), ShowMode::Screen);
  return 1;
}
int CmdShowVcc(CommandContext& c) {
  ShowVccs(c.out, *c.network, {c.words[1]}, ShowMode::Screen);
  return 1;
}
int CmdShowVccsBlocks(CommandContext& c) {
  ShowVccsBlocks(c.out, *c.network, c.network->VccIds(), ShowMode::Screen);
  return 1;
}
int CmdShowVccBlocks(CommandContext& c) {
  ShowVccsBlocks(c.out, *c.network, {c.words[1]}, ShowMode::Screen, true);
  return 1;
}
int CmdShowVccsLinks(CommandContext& c) {
  ShowVccsLinks(c.out, *c.network, c.network->VccIds(), ShowMode::Screen);
  return 1;
}
int CmdShowVccLinks(CommandContext& c) {
  ShowVccsLinks(c.out, *c.network, {c.words[1]}, ShowMode::Screen);
  return 1;
}
int CmdShowVccLink(CommandContext& c) {
  ShowVccsLinks(c.out, *c.network, {c.words[1]}, ShowMode::Screen, &c.words[2], &c.words[3]);
  return 1;
}
int CmdShowDcs(CommandContext& c) {
  ShowDcs(c.out, *c.network, c.network->DcIds(), ShowMode::Screen);
  return 1;
}
int CmdShowDc(CommandContext& c) {
  ShowDcs(c.out, *c.network, {c.words[1]}, ShowMode::Screen);
  return 1;
}
int CmdShowTable(CommandContext& c) {
  if (c.layer) c.layer->ShowTable(c.out);
  else if (c.block) c.block->ShowTable(c.out);
  else c.network->ShowTable(c.out);
  return 1;
}
int CmdShowParameters(CommandContext& c) {
  if (c.qs) c.qs->GetParam(c.out);
  else if (c.layer) c.layer->GetParam(c.out);
  else if (c.block) c.block->GetParam(c.out);
  else c.network->GetParam(c.out);
  return 1;
}
int CmdShowParametersBlocks(CommandContext& c) {
  ShowBlockParameters(c.out, *c.network, ShowMode::Screen);
  return 1;
}
int CmdShowParametersLayers(CommandContext& c) {
  ShowLayerParameters(c.out, *c.network, ShowMode::Screen);
  return 1;
}
int CmdShowParametersQSs(CommandContext& c) {
  ShowQSParameters(c.out, *c.network, ShowMode::Screen);
  return 1;
}
