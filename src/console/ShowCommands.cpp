// The show commands. Every read here leaves the tables unchanged.
#include "console/ShowCommands.h"

#include <ostream>
#include <sstream>
#include <string>

#include "atm/QueueingSystem.h"
#include "console/CommandActions.h"
#include "core/NumberFormat.h"
#include "model/Network.h"

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

Sstring Numbered(const char* prefix, int n, const char* suffix = "") {
  return Sstring(std::string(prefix) + std::to_string(n) + suffix);
}

std::string PutParameter(const char* what, std::initializer_list<Sstring> names) {
  std::string s = std::string("put parameter ") + what + ' ';
  for (const Sstring& n : names) s += ScriptWord(n) + ' ';
  return s;
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

// The interface of a connected pair as its record holds it (either order of
// the names), or null.
const Scalar* InterfaceOf(const Network& net, const Sstring& a, const Sstring& b) {
  const Scalar* iface = net.Peek("Interfaces", "Interface_" + a + "_" + b);
  return iface ? iface : net.Peek("Interfaces", "Interface_" + b + "_" + a);
}

std::string ScalarText(const Scalar& v) {
  std::ostringstream s;
  WriteScalar(s, v, NumberStyle::Exact);
  return s.str();
}
}  // namespace

std::string CreateBlockCommand(const Network& net, const Block& b) {
  return "create block " + ScriptWord(net.GetName()) + ' ' + ScriptWord(b.GetName()) + ' ' +
         ScriptWord(b.GetModel()) + ' ' + ScriptWord(b.GetKind()) + kFileEnd;
}

std::string ConnectBlockCommand(const Network& net, const Sstring& name1, const Sstring& name2,
                                const std::string& interfaceText) {
  return "connect block " + ScriptWord(net.GetName()) + ' ' + ScriptWord(name1) + ' ' +
         ScriptWord(name2) + ' ' + interfaceText + kFileEnd;
}

std::string CreateVccCommand(const Network& net, const Sstring& nci) {
  double bandwidth = 0;
  net.PeekData(nci, "Bandwidth", bandwidth);
  return "create vcc  " + ScriptWord(net.GetName()) + ' ' + ScriptWord(nci) + ' ' +
         ScriptWord(Text(net, nci, "Service categorie")) + ' ' + Number(bandwidth, ShowMode::File) +
         ' ' + ScriptWord(Text(net, nci, "Block_1")) + kFileEnd;
}

std::string ConnectVccBlockCommand(const Network& net, const Sstring& nci, const Sstring& added,
                                   const Sstring& key) {
  return "connect vcc block " + ScriptWord(net.GetName()) + ' ' + ScriptWord(nci) + ' ' +
         ScriptWord(added) + ' ' + ScriptWord(key) + kFileEnd;
}

std::string CreateLinkCommand(const Network& net, const Sstring& nci, int k) {
  unsigned vpi = 0, vci = 0;
  net.PeekData(nci, Numbered("Link_", k, "_VPI"), vpi);
  net.PeekData(nci, Numbered("Link_", k, "_VCI"), vci);
  return "create link " + ScriptWord(net.GetName()) + ' ' + ScriptWord(nci) + ' ' +
         ScriptWord(Text(net, nci, Numbered("Link_", k, "_Begin"))) + ' ' +
         ScriptWord(Text(net, nci, Numbered("Link_", k, "_End"))) + ' ' + std::to_string(vpi) +
         ' ' + std::to_string(vci) + kFileEnd;
}

std::string CreateDcCommand(const Network& net, const Sstring& dci) {
  return "create dc " + ScriptWord(net.GetName()) + ' ' + ScriptWord(dci) + ' ' +
         ScriptWord(Text(net, dci, "Begin application name")) + ' ' +
         ScriptWord(Text(net, dci, "End application name")) + kFileEnd;
}

std::string PutParameterCommand(const char* what, std::initializer_list<Sstring> names,
                                const Param& p, const Sstring& name) {
  std::ostringstream s;
  s << PutParameter(what, names);
  p.GetParam(name, s, NumberStyle::Exact);
  return s.str();
}

void ShowBlock(std::ostream& out, const Network& net, const Block& b, ShowMode mode) {
  if (mode == ShowMode::File) {
    out << CreateBlockCommand(net, b);
    return;
  }
  out << net.GetName() << ' ' << b.GetName() << ' ' << b.GetModel() << ' ' << b.GetKind() << '\n';
}

void ShowBlocks(std::ostream& out, const Network& net, ShowMode mode) {
  net.ForEachBlock([&](const Block& b) { ShowBlock(out, net, b, mode); });
}

// Pairs in the order the connections were made, each once; a pair without an
// interface record is left out.
void ShowConnections(std::ostream& out, const Network& net, ShowMode mode) {
  for (const auto& [a, b] : net.ConnectionOrder()) {
    const Scalar* iface = InterfaceOf(net, a, b);
    if (!iface) continue;
    if (mode == ShowMode::File) {
      out << ConnectBlockCommand(net, a, b, ScalarText(*iface));
      continue;
    }
    out << net.GetName() << ' ' << a << ' ' << b << ' ';
    if (const Sstring* text = std::get_if<Sstring>(iface)) out << *text;
    else WriteScalar(out, *iface, NumberStyle::Exact);
    out << '\n';
  }
}

void ShowVccs(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
              ShowMode mode) {
  for (const Sstring& nci : vccs) {
    if (!net.Peek(nci, "Status")) continue;
    if (mode == ShowMode::File) {
      out << CreateVccCommand(net, nci);
      continue;
    }
    double bandwidth = 0;
    net.PeekData(nci, "Bandwidth", bandwidth);
    out << net.GetName() << ' ' << nci << ' ' << Text(net, nci, "Service categorie") << ' '
        << Number(bandwidth, mode) << ' ' << Text(net, nci, "Block_1") << '\n';
  }
}

void ShowVccsBlocks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                    ShowMode mode, bool trailingBlank) {
  for (const Sstring& nci : vccs) {
    short n = 0;
    if (!net.PeekData(nci, "Number of blocks", n)) continue;
    for (int k = 1; k < n; ++k) {
      Sstring added = Text(net, nci, Numbered("Block_", k + 1));
      Sstring key = Text(net, nci, Numbered("Block_", k));
      if (mode == ShowMode::File) out << ConnectVccBlockCommand(net, nci, added, key);
      else
        out << net.GetName() << ' ' << nci << ' ' << added << ' ' << key
            << (trailingBlank ? " \n" : "\n");
    }
  }
}

void ShowVccsLinks(std::ostream& out, const Network& net, const std::vector<Sstring>& vccs,
                   ShowMode mode, const Sstring* from, const Sstring* to) {
  for (const Sstring& nci : vccs) {
    short m = 0;
    if (!net.PeekData(nci, "Number of links", m)) continue;
    for (int k = 1; k <= m; ++k) {
      Sstring begin = Text(net, nci, Numbered("Link_", k, "_Begin"));
      Sstring end = Text(net, nci, Numbered("Link_", k, "_End"));
      if (from && (begin != *from || end != *to)) continue;
      if (mode == ShowMode::File) {
        out << CreateLinkCommand(net, nci, k);
        continue;
      }
      unsigned vpi = 0, vci = 0;
      net.PeekData(nci, Numbered("Link_", k, "_VPI"), vpi);
      net.PeekData(nci, Numbered("Link_", k, "_VCI"), vci);
      out << net.GetName() << ' ' << nci << ' ' << begin << ' ' << end << ' ' << vpi << ' ' << vci
          << '\n';
    }
  }
}

void ShowDcs(std::ostream& out, const Network& net, const std::vector<Sstring>& dcs,
             ShowMode mode) {
  for (const Sstring& dci : dcs) {
    if (!net.Peek(dci, "Begin application name")) continue;
    if (mode == ShowMode::File) {
      out << CreateDcCommand(net, dci);
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
      ShowParams(out, *b.FindLayer(n), mode,
                 PutParameter("layer", {net.GetName(), b.GetName(), n}));
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
