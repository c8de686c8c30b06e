// ScriptWriter: writes a network as the commands that rebuild it (save).
//
// The layout is that of the save command: the network and its parameters,
// the blocks (oldest first, so that the rebuilt network lists them in the
// same order) with their parameters, the connections, the layer and queue
// parameters, the VCCs with their blocks and links, the DCs. Some networks
// that the commands can build are not the result of those commands in that
// order; for them the script adds what makes the copy the same:
// - a block parameter that would refuse a connection ("Number of ports",
//   "Number of applications") or make another source layer ("Traffic
//   source") holds a value that admits it until the connections are made;
// - a switch port freed by a disconnection is held by a stand-in terminal
//   while the later peers connect, so they keep their port numbers;
// - the network's "Path", which queues and traffic sources keep from their
//   making, is set to the value each connection's objects were made with;
// - VBR sources draw the random streams they drew: streams drawn by sources
//   that no longer exist are drawn by a stand-in application;
// - a block whose peers were all disconnected keeps its (empty) list of
//   peers, as a stand-in connected and disconnected again leaves it;
// - a VCC path extended from a block that is not the last one is extended
//   from that block again;
// - a source's parameters that a DC was made with are put back before that
//   DC is made;
// - the last section restores every parameter and table entry that differs
//   (values set after the commands they would block, deleted defaults,
//   entries put or deleted by hand).
// Each command is run in the copy as it is written; one that fails there is
// left out, so load never stops on the script.
#include "console/ScriptWriter.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "atm/Application.h"
#include "atm/QueueingSystem.h"
#include "atm/TrafficSource.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "console/ShowCommands.h"
#include "core/NumberFormat.h"
#include "model/DataKeys.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "model/VccRecord.h"
#include "platform/Console.h"

namespace {
using namespace datakey;

const char* const kSwitchModel = "ATM Switch";
const char* const kTerminalModel = "ATM B-TE";
const char* const kApplicationModel = "ATM Generic Application";
const char* const kEnd = "\n\n";  // a command line and the empty line after it

Sstring Numbered(const char* prefix, int n, const char* suffix = "") {
  return Sstring(std::string(prefix) + std::to_string(n) + suffix);
}

template <class T>
std::vector<T> Reversed(std::vector<T> v) {
  std::reverse(v.begin(), v.end());
  return v;
}

std::string ScalarText(const Scalar& v) {
  std::ostringstream s;
  WriteScalar(s, v, NumberStyle::Exact);
  return s.str();
}

Sstring Text(const DataTable& t, const Sstring& key, const Sstring& name) {
  Sstring v;
  t.PeekData(key, name, v);
  return v;
}

// ---------------------------------------------------------------------------
// The commands that rebuild one item: the command line and the empty line
// after it (a parameter's record ends with its own). Names are script words.

std::string CreateBlockCommand(const Network& net, const Block& b) {
  return "create block " + ScriptWord(net.GetName()) + ' ' + ScriptWord(b.GetName()) + ' ' +
         ScriptWord(b.GetModel()) + ' ' + ScriptWord(b.GetKind()) + kEnd;
}

// interfaceText: the interface word as written (quoted for a text).
std::string ConnectBlockCommand(const Network& net, const Sstring& name1, const Sstring& name2,
                                const std::string& interfaceText) {
  return "connect block " + ScriptWord(net.GetName()) + ' ' + ScriptWord(name1) + ' ' +
         ScriptWord(name2) + ' ' + interfaceText + kEnd;
}

std::string CreateVccCommand(const Network& net, const Sstring& nci) {
  double bandwidth = 0;
  net.PeekData(nci, kBandwidth, bandwidth);
  return "create vcc  " + ScriptWord(net.GetName()) + ' ' + ScriptWord(nci) + ' ' +
         ScriptWord(Text(net, nci, kCategory)) + ' ' + FormatExact(bandwidth) + ' ' +
         ScriptWord(VccRecord(net, nci).Block(1)) + kEnd;
}

std::string ConnectVccBlockCommand(const Network& net, const Sstring& nci, const Sstring& added,
                                   const Sstring& key) {
  return "connect vcc block " + ScriptWord(net.GetName()) + ' ' + ScriptWord(nci) + ' ' +
         ScriptWord(added) + ' ' + ScriptWord(key) + kEnd;
}

// Link `k` (from 1) of the VCC.
std::string CreateLinkCommand(const Network& net, const Sstring& nci, int k) {
  const VccLink link = VccRecord(net, nci).Link(k);
  return "create link " + ScriptWord(net.GetName()) + ' ' + ScriptWord(nci) + ' ' +
         ScriptWord(link.begin) + ' ' + ScriptWord(link.end) + ' ' + std::to_string(link.vpi) +
         ' ' + std::to_string(link.vci) + kEnd;
}

std::string CreateDcCommand(const Network& net, const Sstring& dci) {
  return "create dc " + ScriptWord(net.GetName()) + ' ' + ScriptWord(dci) + ' ' +
         ScriptWord(Text(net, dci, kBeginApplication)) + ' ' +
         ScriptWord(Text(net, dci, kEndApplication)) + kEnd;
}

// "put parameter " what, the names, and parameter `name` of p as a record.
std::string PutParameterCommand(const char* what, std::initializer_list<Sstring> names,
                                const Param& p, const Sstring& name) {
  std::ostringstream s;
  s << "put parameter " << what << ' ';
  for (const Sstring& n : names) s << ScriptWord(n) << ' ';
  p.GetParam(name, s, NumberStyle::Exact);
  return s.str();
}

// ---------------------------------------------------------------------------
// What load makes of a command's text.

// The one command load reads back from text: its lines without empty and
// comment lines, joined by line breaks. False when load would read no
// command, or more than one, out of it.
bool AsLoadReadsIt(const std::string& text, std::string& command) {
  std::istringstream in(text);
  bool started = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string word = ScriptLineFirstWord(line);
    if (word.empty() || word[0] == '#') continue;
    if (StartsCommand(word) == started) return false;
    command = started ? command + '\n' + line : line;
    started = true;
  }
  return started;
}

// Commands whose failure changes nothing (the others may leave part of
// their work done, so the copy is rebuilt after one fails).
bool FailsCleanly(const std::string& text) {
  for (const char* p :
       {"put ", "del ", "create dc ", "create link ", "create vcc ", "create block "})
    if (text.compare(0, std::char_traits<char>::length(p), p) == 0) return true;
  return false;
}

// ---------------------------------------------------------------------------
// The copy: a kernel of its own in which the script is run as it is written.

class Copy {
 public:
  explicit Copy(const Sstring& network) : network_(network) { Rebuild(); }

  // Runs the command in the copy and keeps it in the script when it
  // succeeds there; a failed command is left out. Pointers into the copy
  // are not valid across this call.
  bool Try(const std::string& text) {
    if (!Run(text)) {
      if (!FailsCleanly(text)) Rebuild();
      return false;
    }
    pieces_.push_back(text);
    return true;
  }
  // Lines written as they are (comments).
  void Write(const std::string& text) { pieces_.push_back(text); }
  // Forgets what was written after the mark (the copy is rebuilt).
  size_t Mark() const { return pieces_.size(); }
  void Rollback(size_t mark) {
    if (mark >= pieces_.size()) return;
    pieces_.resize(mark);
    Rebuild();
  }

  Network* Net() const { return kernel_->FindNetwork(network_); }
  const Kernel& GetKernel() const { return *kernel_; }
  std::string Text() const {
    std::string s;
    for (const std::string& p : pieces_) s += p;
    return s;
  }

 private:
  bool Run(const std::string& text) {
    std::string command;
    if (!AsLoadReadsIt(text, command)) return false;
    platform::CapturedOutput quiet;  // a refused command's message is no news here
    return ExecuteLine(*kernel_, command.c_str()) == 1;
  }
  void Rebuild() {
    kernel_ = std::make_unique<Kernel>();
    for (const std::string& p : pieces_) Run(p);
  }

  Sstring network_;
  std::unique_ptr<Kernel> kernel_;
  std::vector<std::string> pieces_;
};

// ---------------------------------------------------------------------------
// Switch ports: which port each connection takes, and the stand-ins that
// make a rebuilt switch give the same ones.

// The port a switch gives its next equipment peer (Switch::ConnectInterface):
// the number of such peers it has, unless that port is in use; then the
// lowest free one.
int NextPort(const std::set<int>& used, int peers) {
  if (!used.count(peers)) return peers;
  int p = 0;
  while (used.count(p)) ++p;
  return p;
}

// The ports one connection takes on a switch: two when it connects the
// switch to itself (both offered the same peer count).
std::vector<int> PortsTaken(std::set<int> used, int peers, size_t n) {
  std::vector<int> ports;
  for (size_t i = 0; i < n; ++i) {
    ports.push_back(NextPort(used, peers));
    used.insert(ports.back());
  }
  return ports;
}

// One step of the connection section.
struct Step {
  enum Kind { HolderIn, HolderOut, Connect, KeepEmptyList } kind;
  Sstring block;   // HolderIn: the switch; KeepEmptyList: the block
  Sstring holder;  // HolderIn, HolderOut, KeepEmptyList: the stand-in
  size_t connection = 0;
};

struct SwitchState {
  std::set<int> used;              // ports in use in the copy, as planned
  int peers = 0;                   // its equipment peers in the copy
  std::map<int, Sstring> holders;  // port -> stand-in holding it
  int highest = -1;                // highest port the plan uses
};

bool IsPortLayer(const Sstring& name, int& port) {
  const std::string& s = name.str();
  if (s.size() < 5 || s.compare(0, 4, "PHY_") != 0) return false;
  if (s.find_first_not_of("0123456789", 4) != std::string::npos || s.size() > 9) return false;
  port = std::stoi(s.substr(4));
  return std::to_string(port) == s.substr(4);
}

// ---------------------------------------------------------------------------

// The keys of a block's table whose order a run depends on, oldest first:
// cells find their connection by input labels and a terminal its DC by the
// VCC, the first key in the table's order; a source serves its DCs in the
// table's order.
std::vector<Sstring> OrderedKeys(const DataTable& t) {
  std::vector<Sstring> keys;
  for (const Sstring& key : Reversed(t.AllKeys())) {
    const DataTable::Row* row = t.FindRow(key);
    if ((row->Contains(kInputVpi) && row->Contains(kInputVci)) || row->Contains(kDirection) ||
        row->Contains(kNCI))
      keys.push_back(key);
  }
  return keys;
}

class ScriptWriter {
 public:
  // Blocks named in `keyed` get their ordered keys made first.
  ScriptWriter(const Network& net, std::set<Sstring> keyed)
      : net_(net), copy_(net.GetName()), keyed_(std::move(keyed)) {
    net.ForEachBlock([&](const Block& b) { blocks_.push_back(&b); });
    std::reverse(blocks_.begin(), blocks_.end());
  }

  std::string Write() {
    copy_.Try("create network " + ScriptWord(net_.GetName()) + kEnd);
    for (const auto& kv : net_.Parameters())
      copy_.Try(PutParameterCommand("network", {net_.GetName()}, net_, kv.first));
    PlanConnections();
    for (const Block* b : blocks_) BlockSection(*b);
    ConnectionSection();
    for (const Block* b : blocks_) LayerSection(*b);
    VccSection();
    DcSection();
    RestoreSection();
    return copy_.Text();
  }

  // The blocks whose ordered keys the copy holds in another order.
  std::set<Sstring> KeysOutOfOrder() const {
    std::set<Sstring> blocks;
    for (const Block* b : blocks_) {
      const Block* cb = copy_.Net()->FindBlock(b->GetName());
      if (cb && OrderedKeys(*b) != OrderedKeys(*cb)) blocks.insert(b->GetName());
    }
    return blocks;
  }

 private:
  // --- planning -------------------------------------------------------------

  void PlanConnections() {
    net_.ForEachBlock([&](const Block& b) { names_.insert(b.GetName()); });
    AlignPorts();
    const auto& pairs = net_.ConnectionOrder();
    for (size_t i = 0; i < pairs.size(); ++i) {
      const auto& [a, b] = pairs[i];
      PlanSwitchSide(a, i, a == b ? 2 : 1);
      if (a != b) PlanSwitchSide(b, i, 1);
      steps_.push_back({Step::Connect, Sstring(), Sstring(), i});
      Commit(a, a == b ? 2 : 1);
      if (a != b) Commit(b, 1);
    }
    for (auto& [name, s] : switches_)
      for (const auto& [port, holder] : s.holders)
        steps_.push_back({Step::HolderOut, name, holder});
    for (const Block* b : blocks_)
      if (net_.HasNeighbours(b->GetName()) && net_.NumberOfNeighbours(b->GetName()) == 0) {
        steps_.push_back({Step::KeepEmptyList, b->GetName(), NewHolderName()});
        auto it = switches_.find(b->GetName());
        if (it != switches_.end()) it->second.highest = std::max(it->second.highest, 0);
      }
  }

  // Matches the ports of every switch with its connections: the connections
  // made them in turn, so the k-th port made (the layer registry lists the
  // newest first) belongs to the k-th connection of the switch, two for a
  // connection to itself. A switch whose ports do not match its peers that
  // way gets no stand-ins.
  void AlignPorts() {
    for (const Block* b : blocks_) {
      if (b->GetModel() != kSwitchModel) continue;
      switches_[b->GetName()];
      std::vector<Sstring> layers;
      b->ListLayers(layers);
      std::vector<int> ports;
      for (const Sstring& l : Reversed(layers)) {
        int port = 0;
        if (IsPortLayer(l, port)) ports.push_back(port);
      }
      std::map<size_t, std::vector<int>> mine;
      size_t next = 0;
      bool aligned = true;
      const auto& pairs = net_.ConnectionOrder();
      for (size_t i = 0; i < pairs.size() && aligned; ++i) {
        const auto& [x, y] = pairs[i];
        if (x != b->GetName() && y != b->GetName()) continue;
        size_t n = x == y ? 2 : 1;
        const Sstring& peer = x == b->GetName() ? y : x;
        for (size_t k = 0; k < n; ++k, ++next) {
          Sstring holder;
          aligned = aligned && next < ports.size() &&
                    b->PeekData(kDBN, Numbered("PHY_", ports[next]), holder) && holder == peer;
          if (aligned) mine[i].push_back(ports[next]);
        }
      }
      if (aligned && next == ports.size())
        for (auto& [i, p] : mine) ports_[{b->GetName(), i}] = p;
    }
  }

  Sstring NewHolderName() {
    Sstring name;
    do name = Numbered("~stand-in-", ++holderCount_);
    while (names_.count(name));
    return name;
  }

  // The ports connection i has on a switch in the saved network (empty when
  // not known).
  std::vector<int> PortsOf(const Sstring& name, size_t i) const {
    auto it = ports_.find({name, i});
    return it == ports_.end() ? std::vector<int>() : it->second;
  }

  // Adds the stand-ins that make connection i take on switch `name` the
  // ports it has in the saved network (a plan that fails adds none).
  void PlanSwitchSide(const Sstring& name, size_t i, size_t n) {
    auto it = switches_.find(name);
    if (it == switches_.end()) return;
    SwitchState& s = it->second;
    std::vector<int> want = PortsOf(name, i);
    if (want.size() != n || PortsTaken(s.used, s.peers, n) == want) return;
    const int bound = std::max(*std::max_element(want.begin(), want.end()),
                               s.used.empty() ? 0 : *s.used.rbegin()) +
                      1;
    // First stand-ins where the switch puts them until it would give the
    // wanted ports; else stand-ins on every port below a bound, the wanted
    // ones then freed.
    for (int fill = 0; fill <= 3; ++fill) {
      SwitchState trial = s;
      std::vector<Step> steps;
      if (fill == 0) {
        Free(trial, name, want, steps);
        while (PortsTaken(trial.used, trial.peers, n) != want) {
          int p = NextPort(trial.used, trial.peers);
          if (std::find(want.begin(), want.end(), p) != want.end()) break;
          Hold(trial, name, steps);
        }
      } else {
        while (static_cast<int>(trial.used.size()) < bound + fill - 1) Hold(trial, name, steps);
        Free(trial, name, want, steps);
      }
      if (PortsTaken(trial.used, trial.peers, n) == want) {
        s = trial;
        steps_.insert(steps_.end(), steps.begin(), steps.end());
        return;
      }
    }
  }

  // A stand-in takes the port the switch gives its next peer.
  void Hold(SwitchState& s, const Sstring& name, std::vector<Step>& steps) {
    int p = NextPort(s.used, s.peers);
    Sstring holder = NewHolderName();
    steps.push_back({Step::HolderIn, name, holder});
    s.used.insert(p);
    ++s.peers;
    s.holders[p] = holder;
    s.highest = std::max(s.highest, p);
  }

  // The stand-ins on the given ports leave.
  static void Free(SwitchState& s, const Sstring& name, const std::vector<int>& ports,
                   std::vector<Step>& steps) {
    for (int p : ports) {
      auto h = s.holders.find(p);
      if (h == s.holders.end()) continue;
      steps.push_back({Step::HolderOut, name, h->second});
      s.used.erase(p);
      --s.peers;
      s.holders.erase(h);
    }
  }

  // The switch takes the ports of the next connection as its rule gives them.
  void Commit(const Sstring& name, size_t n) {
    auto it = switches_.find(name);
    if (it == switches_.end()) return;
    SwitchState& s = it->second;
    for (int p : PortsTaken(s.used, s.peers, n)) {
      s.used.insert(p);
      s.highest = std::max(s.highest, p);
    }
    s.peers += static_cast<int>(n);
  }

  // --- blocks ---------------------------------------------------------------

  // The number of application peers a terminal gets while connecting.
  int ApplicationPeers(const Sstring& terminal) const {
    int n = 0;
    for (const auto& [a, b] : net_.ConnectionOrder()) {
      const Sstring& other = a == terminal ? b : b == terminal ? a : Sstring();
      if (other.empty() || a == b) continue;
      const Block* peer = net_.FindBlock(other);
      if (peer && !peer->IsEquipment()) ++n;
    }
    return n;
  }

  // The source layer an application holds ("X_TS"), or null.
  static const TrafficSource* SourceLayer(const Block& app) {
    std::vector<Sstring> layers;
    app.ListLayers(layers);
    for (const Sstring& l : layers)
      if (const auto* source = dynamic_cast<const TrafficSource*>(app.FindLayer(l))) return source;
    return nullptr;
  }

  // The "Traffic source" an application is rebuilt with until the last
  // section, when its own would make another source layer than the one it
  // has (or none): the name of the source it has.
  static std::optional<Sstring> StandInSource(const Block& app) {
    if (!app.HasLayer("TR")) return std::nullopt;
    Sstring used;
    if (const TrafficSource* source = SourceLayer(app)) {
      const std::string& n = source->GetName().str();
      used = Sstring(n.substr(0, n.size() - 3));
    } else {
      used = "NONE";  // a source that makes no layer
    }
    // What the rebuilt block attaches with: its parameter when that reads
    // as a text, else what it read when it was made (the default).
    Sstring source;
    if (!app.GetParam("Traffic source", source)) source = "CBR";
    if (source != used && (app.HasLayer(used + "_TS") || IsSourceWord(source))) return used;
    return std::nullopt;
  }

  // The source layer create dc finds in the rebuilt application: the one
  // its "Traffic source" names while the DCs are made.
  static const TrafficSource* SourceAtCreateDc(const Block& app) {
    Sstring source;
    if (std::optional<Sstring> used = StandInSource(app)) source = *used;
    else app.GetParam("Traffic source", source);
    return dynamic_cast<const TrafficSource*>(app.FindLayer(source + "_TS"));
  }

  // "create block" and the block's parameters; a parameter that would stop a
  // connection (or make another source layer) is written with a value that
  // admits it, and put right in the last section.
  void BlockSection(const Block& b) {
    copy_.Try(CreateBlockCommand(net_, b));
    Param temporary;
    const Sstring model = b.GetModel();
    if (model == kSwitchModel) {
      short ports = 8;
      b.GetParam("Number of ports", ports);
      int needed = switches_[b.GetName()].highest + 1;
      if (ports < needed) Admit(temporary, b, "Number of ports", static_cast<short>(needed));
    } else if (model == kTerminalModel) {
      short apps = 4;
      b.GetParam("Number of applications", apps);
      int needed = ApplicationPeers(b.GetName());
      if (apps < needed) Admit(temporary, b, "Number of applications", static_cast<short>(needed));
    } else if (model == kApplicationModel) {
      if (std::optional<Sstring> used = StandInSource(b)) Admit(temporary, b, "Traffic source", *used);
    }
    std::set<Sstring> names;
    for (const auto& kv : b.Parameters()) names.insert(kv.first);
    for (const auto& kv : temporary.Parameters()) names.insert(kv.first);
    for (const Sstring& name : names) {
      const Param& from = temporary.GetParameter(name) ? temporary : static_cast<const Param&>(b);
      copy_.Try(PutParameterCommand("block", {net_.GetName(), b.GetName()}, from, name));
    }
    if (!keyed_.count(b.GetName())) return;
    // A key keeps its place once made: an entry put and deleted makes it.
    const std::string target =
        "block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(b.GetName()) + ' ';
    for (const Sstring& key : OrderedKeys(b)) {
      copy_.Try("put data " + target + ScriptWord(key) + " \"~order\" \"int\" 0" + kEnd);
      copy_.Try("del data " + target + ScriptWord(key) + " \"~order\"" + kEnd);
    }
  }

  static bool IsSourceWord(const Sstring& s) {
    return s == "CBR" || s == "VBR_BATCH" || s == "GENERIC";
  }

  // A stand-in value of parameter `name`, with the texts of the block's own.
  template <class T>
  static void Admit(Param& p, const Block& b, const char* name, const T& value) {
    const Parameter* own = b.GetParameter(name);
    p.PutParam(name, value, own ? own->description.str() : Sstring(name),
                own ? own->option.str() : Sstring("SHOW"));
  }

  // --- connections ------------------------------------------------------------

  void ConnectionSection() {
    for (const Step& s : steps_) {
      switch (s.kind) {
        case Step::HolderIn:
          copy_.Try(CreateHolder(s.holder, kTerminalModel));
          copy_.Try(ConnectBlockCommand(net_, s.block, s.holder, "\"CB_PHYSICAL_LAYER\""));
          break;
        case Step::HolderOut:
          RemoveHolder(s.holder);
          break;
        case Step::Connect:
          Connect(s.connection);
          break;
        case Step::KeepEmptyList:
          copy_.Try(CreateHolder(s.holder, kTerminalModel));
          copy_.Try(ConnectBlockCommand(net_, s.block, s.holder, "\"CB_PHYSICAL_LAYER\""));
          RemoveHolder(s.holder);
          break;
      }
    }
  }

  std::string CreateHolder(const Sstring& name, const char* model) {
    return "create block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(name) + ' ' +
           ScriptWord(model) + " \"stand-in\"" + kEnd;
  }
  void RemoveHolder(const Sstring& name) {
    copy_.Try("disconnect block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(name) + kEnd);
    copy_.Try("remove block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(name) + kEnd);
  }

  // The objects one side of a connection made, for the path they keep: the
  // port's transmit queue of equipment, the source layer of an application.
  std::optional<Sstring> MadeWithPath(const Block& side, const Block& peer, size_t connection) {
    if (!peer.IsEquipment()) return std::nullopt;
    if (side.GetModel() == kTerminalModel) {
      if (const QueueingSystem* q = FindQueueingSystem(side, kPhyQueue)) return q->OutputPath();
    } else if (side.GetModel() == kSwitchModel) {
      std::vector<int> ports = PortsOf(side.GetName(), connection);
      if (!ports.empty())
        if (const QueueingSystem* q =
                FindQueueingSystem(side, Numbered("PHY_QS_", ports.front())))
          return q->OutputPath();
    } else if (const TrafficSource* source = SourceLayer(side)) {
      return Sstring(source->MadeWithPath());
    }
    return std::nullopt;
  }

  // The interface word: the physical layer type a port of the pair was made
  // with, else the pair's record.
  std::string InterfaceText(const Block& a, const Block& b, size_t connection) {
    for (const Block* side : {&a, &b}) {
      const Block* peer = side == &a ? &b : &a;
      if (!peer->IsEquipment()) continue;
      if (side->GetModel() == kTerminalModel) {
        Sstring port;
        if (side->PeekData(kDLN, peer->GetName(), port) && port == "PHY")
          if (const Layer* l = side->FindLayer("PHY")) return ScriptWord(l->GetType());
      } else if (side->GetModel() == kSwitchModel) {
        std::vector<int> ports = PortsOf(side->GetName(), connection);
        if (!ports.empty())
          if (const Layer* l = side->FindLayer(Numbered("PHY_", ports.front())))
            return ScriptWord(l->GetType());
      }
    }
    const std::optional<Scalar> iface = ConnectionInterface(net_, a.GetName(), b.GetName());
    return iface ? ScalarText(*iface) : std::string("\"CB_PHYSICAL_LAYER\"");
  }

  void Connect(size_t i) {
    const auto& [na, nb] = net_.ConnectionOrder()[i];
    const Block* a = net_.FindBlock(na);
    const Block* b = net_.FindBlock(nb);
    if (!a || !b) return;
    // The path the connection's queues and source were made with.
    std::optional<Sstring> path = MadeWithPath(*a, *b, i);
    if (!path) path = MadeWithPath(*b, *a, i);
    if (path) {
      Sstring now;
      copy_.Net()->GetParam("Path", now);
      if (now != *path) {
        const Parameter* own = net_.GetParameter("Path");
        Param p;
        p.PutParam("Path", *path, own ? own->description.str() : Sstring("Path"),
                   own ? own->option.str() : Sstring("SHOW"));
        copy_.Try(PutParameterCommand("network", {net_.GetName()}, p, "Path"));
      }
    }
    // The random stream of a VBR source made by this connection.
    for (const Block* side : {a, b}) {
      const auto* app = dynamic_cast<const Application*>(side);
      const Block* terminal = side == a ? b : a;
      if (!app || !app->SourceStream() || !SourceLayer(*app) || !terminal->IsEquipment()) continue;
      long burn = static_cast<long>(app->SourceStream()) - 1 -
                  static_cast<long>(copy_.GetKernel().SourcesSeeded());
      if (burn > 0) DrawStreams(terminal->GetName(), burn);
    }
    copy_.Try(ConnectBlockCommand(net_, na, nb, InterfaceText(*a, *b, i)));
  }

  // A stand-in application with a VBR source, connected to the terminal and
  // disconnected again `count` times: each time its source draws a stream.
  void DrawStreams(const Sstring& terminal, long count) {
    Sstring holder = NewHolderName();
    copy_.Try(CreateHolder(holder, kApplicationModel));
    copy_.Try(
        "put parameter block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(holder) +
        " \"Traffic source\" \"string\" 1 1\n\"VBR_BATCH\" \n\"Traffic source\"\n\"SHOW\"\n\n");
    for (long i = 0; i < count; ++i) {
      if (!copy_.Try(ConnectBlockCommand(net_, holder, terminal, "\"stand-in\""))) break;
      copy_.Try("disconnect block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(holder) + kEnd);
    }
    copy_.Try("remove block " + ScriptWord(net_.GetName()) + ' ' + ScriptWord(holder) + kEnd);
  }

  // --- layers and queues ------------------------------------------------------

  void LayerSection(const Block& b) {
    copy_.Write("# \n# " + ScriptWord(b.GetName()) + " layers and QSs parameters\n# \n\n");
    std::vector<Sstring> names;
    if (b.ListLayers(names))
      for (const Sstring& n : names)
        for (const auto& kv : b.FindLayer(n)->Parameters())
          copy_.Try(PutParameterCommand("layer", {net_.GetName(), b.GetName(), n}, *b.FindLayer(n),
                                        kv.first));
    names.clear();
    if (b.ListQSs(names))
      for (const Sstring& n : names)
        for (const auto& kv : b.FindQS(n)->Parameters())
          copy_.Try(
              PutParameterCommand("QS", {net_.GetName(), b.GetName(), n}, *b.FindQS(n), kv.first));
  }

  // --- VCCs and DCs ---------------------------------------------------------

  // The last block of a VCC's path ("" when it has none).
  Sstring LastBlock(const Sstring& nci) const {
    const VccRecord vcc(net_, nci);
    short n = 0;
    return vcc.BlockCount(n) ? vcc.Block(n) : Sstring();
  }

  // The first block an application is wired to ("" when none).
  Sstring Attachment(const Sstring& app) const {
    const auto* peers = net_.Neighbours(app);
    return peers && !peers->empty() ? peers->front()->GetName() : Sstring();
  }

  // The DCs to make with "create dc", oldest first: those whose record
  // still describes what create dc makes - the VCC it holds is one the
  // script makes in full, busy, running between the terminals of the two
  // applications, of the DC's category and wide enough for its bit rate;
  // both terminals have its adaptation layer; of DCs holding one VCC, the
  // first by name. The others are restored entry by entry at the end.
  std::vector<Sstring> Dcs() const {
    std::map<Sstring, Sstring> holder;  // VCC -> the DC that makes it busy
    for (const Sstring& dci : net_.DcIds()) {
      Sstring nci;
      if (!IsMadeDc(dci, nci)) continue;
      auto it = holder.find(nci);
      if (it == holder.end() || dci < it->second) holder[nci] = dci;
    }
    std::vector<Sstring> dcs;
    for (const Sstring& dci : Reversed(net_.DcIds())) {
      Sstring nci;
      if (IsMadeDc(dci, nci) && holder[nci] == dci) dcs.push_back(dci);
    }
    return dcs;
  }

  bool IsMadeDc(const Sstring& dci, Sstring& nci) const {
    Sstring begin, end, status, category, vccCategory, first, aal;
    double rate = 0, bandwidth = 0;
    if (!net_.PeekData(dci, kBeginApplication, begin) ||
        !net_.PeekData(dci, kEndApplication, end) || !net_.PeekData(dci, kNCI, nci) ||
        !IsVcc(nci) || !PathRebuilds(nci) || !net_.PeekData(nci, kStatus, status) ||
        status != "BUSY" || !net_.PeekData(dci, kCategory, category) ||
        !net_.PeekData(nci, kCategory, vccCategory) || category != vccCategory ||
        !net_.PeekData(dci, kBandwidth, rate) || !net_.PeekData(nci, kBandwidth, bandwidth) ||
        !(rate <= bandwidth) || !net_.PeekData(nci, VccBlockEntry(1), first))
      return false;
    const Block* sender = net_.FindBlock(begin);
    const Block* b1 = net_.FindBlock(Attachment(begin));
    const Block* bn = net_.FindBlock(Attachment(end));
    return sender && SourceAtCreateDc(*sender) && b1 && bn && b1->GetName() == first &&
           LastBlock(nci) == bn->GetName() && bn->PeekData(dci, kAalLayer, aal) &&
           b1->HasLayer(aal) && bn->HasLayer(aal);
  }

  // The blocks of a VCC's path, in order.
  std::vector<Sstring> PathOf(const Sstring& nci) const {
    const VccRecord vcc(net_, nci);
    std::vector<Sstring> path;
    for (int k = 1, n = vcc.BlockCount(); k <= n; ++k) path.push_back(vcc.Block(k));
    return path;
  }

  // Whether connect vcc block rebuilds every hop of the VCC's path.
  bool PathRebuilds(const Sstring& nci) const {
    std::vector<Sstring> path = PathOf(nci);
    for (size_t k = 1; k < path.size(); ++k)
      if (!CanExtend(net_, nci, path[k], KeyBlock(nci, path, k))) return false;
    return !path.empty();
  }

  // A key whose entries "create vcc" can write: the rest of a VCC record is
  // made by the commands after it or restored at the end.
  bool IsVcc(const Sstring& nci) const {
    double bandwidth = 0;
    const std::optional<Scalar> s = net_.Peek(nci, kStatus);
    const std::optional<Scalar> c = net_.Peek(nci, kCategory);
    const std::optional<Scalar> f = net_.Peek(nci, VccBlockEntry(1));
    return s && std::holds_alternative<Sstring>(*s) && c && std::holds_alternative<Sstring>(*c) &&
           !std::get<Sstring>(*c).empty() && f && std::holds_alternative<Sstring>(*f) &&
           !std::get<Sstring>(*f).empty() && net_.PeekData(nci, kBandwidth, bandwidth);
  }

  // The VCCs in the order to create them: create dc takes the most recently
  // made free VCC that fits, so the VCCs no DC uses come first (oldest
  // first) and those in use follow in the reverse order of their DCs.
  std::vector<Sstring> Vccs(const std::vector<Sstring>& dcs) const {
    std::vector<Sstring> used;
    for (const Sstring& dci : dcs) {
      Sstring nci;
      if (net_.PeekData(dci, kNCI, nci)) used.push_back(nci);
    }
    std::vector<Sstring> order;
    for (const Sstring& nci : Reversed(net_.VccIds()))
      if (IsVcc(nci) && std::find(used.begin(), used.end(), nci) == used.end())
        order.push_back(nci);
    order.insert(order.end(), used.rbegin(), used.rend());
    return order;
  }

  // The block a hop of a VCC was added after: the peer facing the added
  // block's input port when that is an earlier block of the path, else the
  // block before it.
  Sstring KeyBlock(const Sstring& nci, const std::vector<Sstring>& path, size_t k) const {
    const Block* added = net_.FindBlock(path[k]);
    Sstring port, peer;
    if (added && added->PeekData(nci, kInputPort, port) && added->PeekData(kDBN, port, peer) &&
        std::find(path.begin(), path.begin() + static_cast<long>(k), peer) !=
            path.begin() + static_cast<long>(k) &&
        net_.AreNeighbours(peer, path[k]))
      return peer;
    return path[k - 1];
  }

  // Whether connect vcc block would succeed in a network (one that fails
  // may leave part of its work done, which costs a rebuild of the copy).
  static bool CanExtend(const Network& net, const Sstring& nci, const Sstring& added,
                        const Sstring& key) {
    const Block* a = net.FindBlock(added);
    const Block* k = net.FindBlock(key);
    Sstring port;
    return a && k && a->IsEquipment() && k->IsEquipment() && net.AreNeighbours(key, added) &&
           net.HasKey(nci) && k->PeekData(kDLN, added, port) && a->PeekData(kDLN, key, port);
  }

  void VccSection() {
    dcs_ = Dcs();
    std::vector<Sstring> vccs = Vccs(dcs_);
    for (const Sstring& nci : vccs) copy_.Try(CreateVccCommand(net_, nci));
    for (const Sstring& nci : vccs) {
      std::vector<Sstring> path = PathOf(nci);
      for (size_t k = 1; k < path.size(); ++k) {
        Sstring key = KeyBlock(nci, path, k);
        if (CanExtend(*copy_.Net(), nci, path[k], key))
          copy_.Try(ConnectVccBlockCommand(net_, nci, path[k], key));
      }
    }
    for (const Sstring& nci : vccs) {
      for (int k = 1, m = VccRecord(net_, nci).LinkCount(); k <= m; ++k)
        copy_.Try(CreateLinkCommand(net_, nci, k));
    }
  }

  void DcSection() {
    for (const Sstring& dci : dcs_) {
      size_t mark = copy_.Mark();
      SourceAsForDc(dci);
      if (!copy_.Try(CreateDcCommand(net_, dci))) copy_.Rollback(mark);
    }
  }

  // Gives the sender's source in the copy the category, adaptation layer and
  // bit rate the DC was made with (the DC's record keeps them).
  void SourceAsForDc(const Sstring& dci) {
    Sstring app, category, endBlock, aal;
    double rate = 0;
    net_.PeekData(dci, kBeginApplication, app);
    const Block* sender = net_.FindBlock(app);
    const Layer* source = sender ? SourceLayer(*sender) : nullptr;
    if (!source) return;
    Param wanted;
    if (net_.PeekData(dci, kCategory, category)) wanted.PutParam("Service categorie", category);
    if (net_.PeekData(dci, kEndBlock, endBlock))
      if (const Block* b = net_.FindBlock(endBlock); b && b->PeekData(dci, kAalLayer, aal))
        wanted.PutParam("ATM adaptation layer", aal);
    if (net_.PeekData(dci, kBandwidth, rate)) wanted.PutParam("Bit rate", rate);
    for (const auto& [name, want] : wanted.Parameters()) {
      std::string command;
      {
        const Block* copySender = copy_.Net()->FindBlock(app);
        const Layer* copySource = copySender ? copySender->FindLayer(source->GetName()) : nullptr;
        if (!copySource) return;
        if (SameValue(*copySource, wanted, name)) continue;
        const Parameter* own = copySource->GetParameter(name);
        if (!own) own = source->GetParameter(name);
        Param p;
        p.PutParameter(name, {want.value, own ? own->description : ParameterText(),
                              own ? own->option : ParameterText()});
        command = PutParameterCommand("layer", {net_.GetName(), app, source->GetName()}, p, name);
      }
      copy_.Try(command);
    }
  }

  // Whether parameter `name` of `have` reads as the value of `want`'s.
  static bool SameValue(const Param& have, const Param& want, const Sstring& name) {
    const Parameter* w = want.GetParameter(name);
    const Parameter* h = have.GetParameter(name);
    if (!h) return false;
    std::ostringstream a, b;
    h->value.Write(a, NumberStyle::Exact);
    w->value.Write(b, NumberStyle::Exact);
    return a.str() == b.str() && h->value.Type() == w->value.Type();
  }

  // --- the last section ------------------------------------------------------

  static std::string ParamText(const Param& p, const Sstring& name) {
    std::ostringstream s;
    p.GetParam(name, s, NumberStyle::Exact);
    return s.str();
  }

  // Commands making the copy's parameter set `have` equal to `want`.
  void RestoreParams(std::vector<std::string>& out, const Param& want, const Param& have,
                     const char* what, std::initializer_list<Sstring> names) {
    for (const auto& kv : want.Parameters())
      if (!have.GetParameter(kv.first) || ParamText(have, kv.first) != ParamText(want, kv.first))
        out.push_back(PutParameterCommand(what, names, want, kv.first));
    for (const auto& kv : have.Parameters())
      if (!want.GetParameter(kv.first)) {
        std::string command = std::string("del parameter ") + what;
        for (const Sstring& n : names) command += ' ' + ScriptWord(n);
        out.push_back(command + ' ' + ScriptWord(kv.first) + kEnd);
      }
  }

  // Commands making the copy's table `have` equal to `want`: the entries it
  // lacks or holds otherwise are put, those it has in excess deleted. Keys
  // and names go in byte order, which the rebuilt network shares (the order
  // in which its keys were made may differ).
  static void RestoreTable(std::vector<std::string>& out, const DataTable& want,
                           const DataTable& have, const std::string& target) {
    for (const auto& [key, name] : Entries(want)) {
      const Scalar w = *want.Peek(key, name);
      const std::optional<Scalar> h = have.Peek(key, name);
      if (h && ScalarKeyword(*h) == std::string(ScalarKeyword(w)) &&
          ScalarText(*h) == ScalarText(w))
        continue;
      out.push_back("put data " + target + ' ' + ScriptWord(key) + ' ' + ScriptWord(name) + ' ' +
                    ScriptWord(ScalarKeyword(w)) + ' ' + ScalarText(w) + kEnd);
    }
    for (const auto& [key, name] : Entries(have))
      if (!want.Peek(key, name))
        out.push_back("del data " + target + ' ' + ScriptWord(key) + ' ' + ScriptWord(name) + kEnd);
  }

  // Every (key, name) of a table, in byte order.
  static std::set<std::pair<Sstring, Sstring>> Entries(const DataTable& t) {
    std::set<std::pair<Sstring, Sstring>> entries;
    for (const Sstring& key : t.AllKeys())
      for (const Sstring& name : t.FindRow(key)->Keys()) entries.insert({key, name});
    return entries;
  }

  void RestoreSection() {
    std::vector<std::string> commands;
    const Network& copy = *copy_.Net();
    const Sstring& n = net_.GetName();
    RestoreParams(commands, net_, copy, "network", {n});
    for (const Block* b : blocks_) {
      const Block* cb = copy.FindBlock(b->GetName());
      if (!cb) continue;
      RestoreParams(commands, *b, *cb, "block", {n, b->GetName()});
      std::vector<Sstring> names;
      b->ListLayers(names);
      for (const Sstring& l : names)
        if (const Layer* cl = cb->FindLayer(l))
          RestoreParams(commands, *b->FindLayer(l), *cl, "layer", {n, b->GetName(), l});
      names.clear();
      b->ListQSs(names);
      for (const Sstring& q : names)
        if (const Component* cq = cb->FindQS(q))
          RestoreParams(commands, *b->FindQS(q), *cq, "QS", {n, b->GetName(), q});
    }
    RestoreTable(commands, net_, copy, "network " + ScriptWord(n));
    for (const Block* b : blocks_) {
      const Block* cb = copy.FindBlock(b->GetName());
      if (!cb) continue;
      RestoreTable(commands, *b, *cb, "block " + ScriptWord(n) + ' ' + ScriptWord(b->GetName()));
      std::vector<Sstring> names;
      b->ListLayers(names);
      for (const Sstring& l : names)
        if (const Layer* cl = cb->FindLayer(l))
          RestoreTable(
              commands, *b->FindLayer(l), *cl,
              "layer " + ScriptWord(n) + ' ' + ScriptWord(b->GetName()) + ' ' + ScriptWord(l));
    }
    if (commands.empty()) return;
    copy_.Write("# \n# settings and entries made after the commands above\n# \n\n");
    for (const std::string& c : commands) copy_.Try(c);
  }

  const Network& net_;
  Copy copy_;
  std::set<Sstring> keyed_;
  std::vector<const Block*> blocks_;  // oldest first
  std::set<Sstring> names_;
  int holderCount_ = 0;
  std::vector<Step> steps_;
  std::map<Sstring, SwitchState> switches_;
  std::map<std::pair<Sstring, size_t>, std::vector<int>> ports_;  // (switch, connection)
  std::vector<Sstring> dcs_;
};

}  // namespace

void WriteNetworkScript(std::ostream& out, const Network& net) {
  ScriptWriter natural(net, {});
  std::string script = natural.Write();
  std::set<Sstring> keyed = natural.KeysOutOfOrder();
  out << (keyed.empty() ? script : ScriptWriter(net, keyed).Write());
}
