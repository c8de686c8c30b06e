// ScriptGenerator: a model of the networks a script builds, used to pick
// commands that mostly make sense, and the hostile variations put on them.
#include "ScriptGenerator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "atm/AtmModels.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "core/ElementTypes.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

namespace property {

size_t Script::CommandLines() const {
  size_t n = 0;
  for (const std::string& c : commands) n += 1 + std::count(c.begin(), c.end(), '\n');
  for (const AuxFile& f : files)
    if (f.script) n += std::count(f.content.begin(), f.content.end(), '\n') + 1;
  return n;
}

std::string Script::Text() const {
  std::ostringstream out;
  out << "# seed " << seed << ", check runs of " << checkTime << " s\n";
  for (const AuxFile& f : files)
    out << "# file " << f.name << " (" << f.content.size() << " bytes):\n" << f.content
        << "\n# end of file " << f.name << "\n";
  for (const std::string& c : commands) out << c << '\n';
  return out.str();
}

namespace {
const char* const kModelWords[] = {"ATM B-TE", "ATM Switch", "ATM Generic Application"};
enum Model { kTerminal = 0, kSwitch = 1, kApplication = 2 };
const char* const kTrafficSources[] = {"CBR", "VBR_BATCH", "GENERIC"};

std::vector<ParamInfo> ParamsOf(const Param& p) {
  std::vector<ParamInfo> v;
  for (const auto& [name, prm] : p.Parameters())
    v.push_back({name.str(), prm.value.Type().str(), prm.description.str()});
  return v;
}

// A switch port's layer or queue name with its number replaced by "#".
std::string PortPattern(const std::string& name) {
  size_t u = name.find_last_of('_');
  if (u != std::string::npos && u + 1 < name.size() &&
      name.find_first_not_of("0123456789", u + 1) == std::string::npos)
    return name.substr(0, u + 1) + "#";
  return name;
}
}  // namespace

// One network holding a connected block of each model with every traffic
// source, and an unconnected one of each model, read back through the
// program's own parameter sets.
const Catalog& ProgramCatalog() {
  static const Catalog catalog = [] {
    RegisterAtmModels();
    platform::CapturedOutput quiet;
    Kernel k;
    std::vector<std::string> lines = {"create network n", "create block n S \"ATM Switch\" s",
                                      "create block n T \"ATM B-TE\" t",
                                      "connect block n T S CB_PHYSICAL_LAYER"};
    for (const char* source : kTrafficSources) {
      std::string a = std::string("A") + source;
      lines.push_back("create block n " + a + " \"ATM Generic Application\" a");
      lines.push_back("put parameter block n " + a + " \"Traffic source\" string 1 1 " + source +
                      " \"Traffic source\" SHOW");
      lines.push_back("connect block n " + a + " T x");
    }
    for (const char* model : kModelWords)
      lines.push_back(std::string("create block n \"U ") + model + "\" \"" + model + "\" u");
    for (const std::string& l : lines)
      if (!ExecuteLine(k, l.c_str())) std::abort();  // the catalog network must build
    Catalog c;
    const Network& net = *k.FindNetwork("n");
    c.network = ParamsOf(net);
    for (const char* word : kModelWords) c.models.push_back({word, {}, {}});
    net.ForEachBlock([&](const Block& b) {
      ModelInfo& m = *std::find_if(c.models.begin(), c.models.end(),
                                   [&](const ModelInfo& x) { return x.model == b.GetModel().str(); });
      const bool wired = b.GetName().str()[0] != 'U';
      if (wired && m.params.empty()) m.params = ParamsOf(b);
      for (ComponentKind kind : {ComponentKind::Layer, ComponentKind::QueueingSystem}) {
        std::vector<Sstring> names;
        b.ListNames(kind, names);
        for (const Sstring& name : names) {
          const std::string pattern = PortPattern(name.str());
          auto o = std::find_if(m.objects.begin(), m.objects.end(), [&](auto& x) { return x.name == pattern; });
          if (o != m.objects.end()) o->wired = o->wired && wired;
          else m.objects.push_back({pattern, kind != ComponentKind::Layer, wired, ParamsOf(*b.Find(kind, name))});
        }
      }
    });
    std::string list = ElementKeywordList().str();
    for (size_t b = 0, e; (e = list.find(';', b)) != std::string::npos; b = e + 1)
      c.elementTypes.push_back(list.substr(b, e - b));
    return c;
  }();
  return catalog;
}

namespace {

// A parameter's role, which decides its sensible and its extreme values, is
// its name; a physical layer's "Bit rate" is a line rate.
std::string RoleOf(const std::string& layerOrQs, const std::string& name) {
  return name == "Bit rate" && layerOrQs.compare(0, 3, "PHY") == 0 ? "Line rate" : name;
}
bool IsFlag(const std::string& role) {
  return role.size() > 7 && role.compare(role.size() - 7, 7, " status") == 0;
}

struct Blk {
  std::string name;
  Model model;
  std::string source = "CBR";     // applications: the traffic source word
  std::string category = "CBR";   // applications: the source's category
  std::string attachedTo;         // applications: the terminal they hang off
  std::map<std::string, int> ports;  // switches: peer -> port number
  int limit = 8;                  // "Number of ports" / "Number of applications"
  int apps = 0;                   // terminals: applications connected
  std::string equipmentPeer;      // terminals: the one equipment neighbour
  bool inDc = false;              // applications: sends or receives in a DC
};

struct Vcc {
  std::string nci;
  std::vector<std::string> path;
  std::vector<std::pair<std::string, std::string>> links;
  bool busy = false;  // carries a DC
};

struct Net {
  std::string name;
  std::vector<Blk> blocks;
  std::vector<Vcc> vccs;
  std::vector<std::string> dcs;
  Blk* Find(const std::string& n) {
    for (Blk& b : blocks)
      if (b.name == n) return &b;
    return nullptr;
  }
};

// What holds parameters and data: the network, a block, or a block's layer
// or queueing system ("kind" as the commands name it), with the parameters
// the catalog gives it.
struct Target {
  std::string kind;
  std::vector<std::string> names;  // block, object
  const std::vector<ParamInfo>* params;
  std::string object;
  Blk* block;
};

// Words that are never numbers and never hold "/", "nan" or "inf".
const char* const kJunkWords[] = {
    "",         "\"",        "\"\"",       "\"open quote", "#",         "# x",      "--",
    "0x1F",     "1e",        "e5",         ".",            "-",         "+",        "(",
    "(1,",      "(1, 2",     "\xff\xfe",   "\xc3\x28",     "\xe2\x82",  "\xef\xbb\xbf",
    "QS",       "qs",        "network",    "\t",           "create",    "ATM",      "PHY",
    "PHY_QS",   "ATM_QS_0",  "TR",         "CBR_TS",       "\"a b\"",   "x y",      "\\",
    "\"\\\"\"", "ON",        "OFF",        "SHOW",         "HIDE",      "double",   "string",
    "\"short int\"", "short", "int",       "1 1",          "0 0",       "\r",       "\v",
};
const char* const kNumberSuffixes[] = {"abc", "e", "e+", "..", "x", "#", "\xff", ",", "(", "\""};

std::vector<std::string> With(std::vector<std::string> v, const std::string& s) {
  v.push_back(s);
  return v;
}

class Generator {
 public:
  explicit Generator(uint64_t seed)
      : rng_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull), cat_(ProgramCatalog()) {
    script_.seed = seed;
  }

  Script Make() {
    static const double kCheckTimes[] = {1e-5, 3e-5, 5e-5, 1e-4, 2e-4};
    script_.checkTime = Pick(kCheckTimes);
    for (int i = 0, m = Chance(0.2) ? 2 : 1; i < m; ++i) BuildNetwork();
    for (size_t i = 0, steps = 10 + Below(Chance(0.1) ? 300 : 80); i < steps; ++i) Step();
    if (Chance(0.5) && !nets_.empty()) EmitRun(Pick(nets_));
    return std::move(script_);
  }

 private:
  // -- randomness -----------------------------------------------------------
  size_t Below(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng_) : 0; }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  double LogUniform(double lo, double hi) {
    std::uniform_real_distribution<double> d(std::log(lo), std::log(hi));
    return std::exp(d(rng_));
  }
  template <class C>
  auto Pick(C& c) -> decltype(c[0]) { return c[Below(std::size(c))]; }
  template <class T>
  T Pick(std::initializer_list<T> list) { return *(list.begin() + Below(list.size())); }
  static std::string Num(size_t n) { return std::to_string(n); }

  // -- words ------------------------------------------------------------------
  static std::string Q(const std::string& s) { return "\"" + s + "\""; }
  // A name as typed: quoted when it must be, sometimes quoted anyway.
  std::string Word(const std::string& s) {
    bool plain = !s.empty() && s.find_first_of(" \t\n\r\v\f\"") == std::string::npos;
    return plain && Chance(0.5) ? s : Q(s);
  }
  std::string Number(double v) {
    std::ostringstream o;
    o.precision(Pick({17, 3, 6, 6}));
    o << v;
    return o.str();
  }
  std::string JunkWord() {
    if (Chance(0.05)) return std::string(200 + Below(3000), "xyz_Q9"[Below(6)]);
    return Pick(kJunkWords);
  }
  // A fresh name; now and then with a blank, a command word, a "#", UTF-8 or
  // other bytes, great length, a tab, a quote or a line break in it.
  std::string NewName(const std::string& stem) {
    const std::string n = stem + Num(++uid_);
    if (Chance(0.92)) return n;
    return Pick<std::string>({stem + " " + Num(uid_), "create" + n, "#" + n, "\xc3\x9c" + n,
                              std::string(40 + Below(300), 'w') + n, n + "\ttab", n + "\"q",
                              n + "\nline", "\xff" + n});
  }

  // -- numbers by role --------------------------------------------------------
  std::string Extreme(const std::string& role, bool integer) {
    std::vector<std::string> v = {"0", "-1", "-0", "1e308", "1.7976931348623157e308",
                                  "1e999", "-1e999", "nan", "inf", "-inf", "NaN",
                                  "infinity", "1e-300", "12abc", "0x10", "+5", ".5", "5.",
                                  "99999999999999999999999", std::string(400, '9'),
                                  "4.9e-324", "1e-310"};
    if (integer)
      v.insert(v.end(), {"2147483647", "2147483648", "-2147483649", "32767", "32768", "-32769",
                         "65535", "65536", "4294967295", "4294967296", "9223372036854775807",
                         "9223372036854775808"});
    // Packets over 65535 bytes, a negative packetization delay.
    if (role == "Packet length") v.push_back("400000000");
    if (role == "Cell packetization delay") v.push_back("-1e308");
    return Pick(v);
  }

  // A value a user would give: a number log-uniform in a range (sometimes a
  // fixed one instead), a count, or a word.
  std::string Sensible(const std::string& r) {
    struct Range {
      const char* role;
      double lo, hi, pFixed, fixed;
      bool whole;
    };
    static const Range kRanges[] = {
        {"Bit rate", 1e5, 1e8, 0, 0, false}, {"Line rate", 1e6, 6.2e8, 0.5, 155520000, false},
        {"Slot time", 3e-7, 5e-5, 0, 0, false}, {"Mean interval between batches", 3e-7, 5e-5, 0, 0, false},
        {"Cell packetization delay", 1e-10, 1e-6, 0.3, 0, false}, {"Logging every x secs", 2e-6, 2e-3, 0, 0, false},
        {"Start time", 1e-7, 1e-4, 0.5, 0, false}, {"Number of bytes to be sent", 1, 1e6, 0.3, 1e9, true},
        {"Number of cells to be sent", 1, 1e6, 0, 0, true}, {"Mean number of ATM cells", 0.01, 50, 0, 0, false},
        {"Packet length", 1, 9180, 0.2, 65535, true}, {"Distance", 0.1, 1e5, 0, 0, false},
        {"Propagation speed", 1e6, 3e8, 0, 0, false}};
    for (const Range& x : kRanges)
      if (r == x.role) {
        const double v = LogUniform(x.lo, x.hi);
        return Number(Chance(x.pFixed) ? x.fixed : x.whole ? std::floor(v) : v);
      }
    if (r == "Buffer size") return Chance(0.2) ? "4294967295" : Num(Below(2000));
    if (r == "Logging every x cells") return Num(1 + Below(100));
    if (r == "Number of ports") return Num(1 + Below(16));
    if (r == "Number of applications") return Num(1 + Below(8));
    if (IsFlag(r)) return Chance(0.85) ? Pick({"ON", "OFF"}) : Pick({"on", "YES", "1"});
    if (r == "Buffer type") return Pick({"FINITE", "INFINITE", "finite", "OTHER"});
    if (r == "Stop to send at") return Pick({"END", "MAX_CELLS", "MAX_BYTES", "NEVER"});
    if (r == "Traffic source") return Pick({"CBR", "VBR_BATCH", "GENERIC", "CBR", "POISSON"});
    if (r == "Service categorie") return Pick({"CBR", "VBR", "UBR", "rt-VBR", "nrt-VBR", "ABR"});
    if (r == "ATM adaptation layer") return Chance(0.9) ? "AAL5" : "AAL2";
    if (r == "Source file name") return PacketFile();
    if (r == "Path") return PathPrefix();
    return Pick({"text", "a b c", "", "\xc3\xa9t\xc3\xa9", "x\ty", "#hash", "create network x"});
  }
  static bool IsInteger(const std::string& type) {
    return type == "int" || type == "long" || type == "short int" || type == "unsigned int";
  }
  static std::string TypeWord(const std::string& type) {
    return type.find(' ') == std::string::npos ? type : Q(type);
  }
  std::string PathPrefix() { return Pick({"C:\\", "", "out/", "r/x_", "dir with blank/", "p_"}); }

  // One element value of a type, for a parameter of a role.
  std::string Element(const std::string& type, const std::string& role, bool extreme) {
    if (type == "string")
      return role == "Path" ? Q(PathPrefix()) : Word(extreme ? JunkWord() : Sensible(role));
    if (type == "unsigned char") return Chance(0.8) ? "z" : "\xff";
    std::string v = extreme ? Extreme(role, IsInteger(type)) : Sensible(role);
    if (IsInteger(type) && !extreme)
      v = std::to_string(static_cast<long long>(std::min(std::atof(v.c_str()), 2147483647.0)));
    if (type == "complex" && Chance(0.5)) return "(" + v + ", " + Number(Below(3)) + ")";
    return v;
  }

  // A complete parameter text: name, type, size, values, description, option.
  std::string ParamText(const ParamInfo& p, const std::string& role, const std::string* forced = nullptr) {
    std::string type = Chance(0.04) && !exact_ ? Pick(cat_.elementTypes) : p.type;
    bool extreme = !forced && Chance(0.15);
    long rows = 1, cols = 1;
    if (Chance(0.04) && !exact_) {
      rows = static_cast<long>(Below(4));
      cols = static_cast<long>(Below(4));
    }
    std::ostringstream t;
    t << Q(p.name) << ' ' << TypeWord(type) << ' ';
    if (Chance(0.01) && !exact_) {  // N x 0: no values, a huge declared size
      t << Pick({"9223372036854775807", "100000000", "4611686018427387904"}) << " 0";
      rows = cols = 0;
    } else {
      t << rows << ' ' << cols;
    }
    auto gap = [&](double p) { return Chance(p) ? "\n" : " "; };
    for (long i = 0; i < rows * cols; ++i)
      t << gap(0.05)
        << (!forced ? Element(type, role, extreme) : type == "string" ? Word(*forced) : *forced);
    if (Chance(0.9)) t << gap(0.1) << Q(p.description.empty() ? p.name : p.description);
    if (Chance(0.9)) t << gap(0.1) << Pick({"SHOW", "SHOW", "SHOW", "HIDE", "x"});
    return t.str();
  }

  std::string RunTime() {
    static const char* const kTimes[] = {"1e-6", "5e-6", "2e-5", "5e-5", "1e-4", "0.0001",
                                         "0",    "-1",   "nan",  "1e-310", "abc", "1e-4x"};
    return Chance(0.85) ? kTimes[Below(6)] : Pick(kTimes);
  }

  std::string Label(bool vci) {
    if (Chance(0.03)) return Pick({"-1", "65536", "1e3", "x", "2.5", "70000", "65535", "0"});
    return Num(vci ? 32 + Below(65500) : Below(256));
  }

  // A packet file for a file-driven source: times and lengths, some odd;
  // now and then a directory.
  std::string PacketFile() {
    if (Chance(0.03)) return ".";
    std::string name = "pk" + Num(++uid_) + ".txt";
    std::ostringstream c;
    double t = 0;
    for (size_t i = 0, n = Below(12); i < n; ++i) {
      t += LogUniform(1e-7, 3e-5);
      if (Chance(0.08)) {
        c << Pick({"x 40", "1e-5", "-1e-5 40", "nan 40", "1e-5 inf", "\xff", "1e-5 0",
                   "1e-5 -3", "1e999 40", "1e-5\t40"}) << '\n';
        continue;
      }
      double len = Chance(0.1) ? 65535 : Chance(0.05) ? 1e6 : std::floor(LogUniform(1, 9180));
      c << Number(t) << (Chance(0.2) ? "\t" : " ") << Number(len) << (Chance(0.1) ? "\r\n" : "\n");
    }
    script_.files.push_back({name, c.str(), false});
    return name;
  }

  // Data entry keys and names, some of them the ones a run reads, and a
  // value with its type.
  std::string DataKey() {
    return Chance(0.5) ? Pick({"DLN", "DBN", "PHY", "Interfaces", "v1"}) : "note" + Num(Below(5));
  }
  std::string DataName() { return Pick({"x", "NCI", "Status", "Output port", "Input VPI"}); }
  std::string DataValue() {
    std::string type = Pick(cat_.elementTypes);
    return TypeWord(type) + " " + Element(type, "", Chance(0.2));
  }

  // -- commands ---------------------------------------------------------------
  static std::string Head(const Command& c) {
    std::string h = c.words[0];
    for (int i = 1; i < 3 && c.words[i]; ++i) h += std::string(" ") + c.words[i];
    return h;
  }
  // The rows of the command table whose first word is one of `firsts`
  // (every row when there is none).
  static std::vector<const Command*> Rows(std::initializer_list<const char*> firsts) {
    std::vector<const Command*> v;
    for (const Command& c : AllCommands())
      if (firsts.size() == 0 ||
          std::any_of(firsts.begin(), firsts.end(), [&](const char* f) { return std::strcmp(c.words[0], f) == 0; }))
        v.push_back(&c);
    return v;
  }

  // A row of the command table as a line: the network for its network
  // argument, the given words for its next arguments in order, and the
  // others named from the model by their kind and name.
  std::string Line(Net& n, const Command& c, const std::vector<std::string>& given) {
    Blk* b = n.blocks.empty() ? nullptr : &Pick(n.blocks);
    std::string line = Head(c), object = "ATM";
    if (b) {
      auto objs = ObjectsOf(*b);
      if (!objs.empty()) object = Pick(objs).first;
    }
    size_t next = 0;
    for (const ArgRule& a : c.args) {
      if (a.kind == ArgKind::End) break;
      const std::string name = a.name ? a.name : "";
      const bool network = a.kind == ArgKind::Network || a.kind == ArgKind::LateNetwork ||
                           (name == "network_name" && a.kind != ArgKind::NewNetwork);
      std::string w;
      if (!network && next < given.size()) w = given[next++];
      else switch (a.kind) {
        case ArgKind::NewNetwork: w = NewName("lan"); break;
        case ArgKind::Block: w = b ? b->name : "x"; break;
        case ArgKind::Layer: case ArgKind::LateLayer: case ArgKind::QS: w = object; break;
        case ArgKind::Number: w = name == "bandwidth" ? Number(LogUniform(1, 1e9)) : RunTime(); break;
        case ArgKind::Label: w = Label(name == "VCI"); break;
        case ArgKind::ParamText: {
          const ParamInfo& p = Pick(Pick(cat_.models).params);
          w = ParamText(p, RoleOf("", p.name));
          break;
        }
        case ArgKind::DataText: w = Word(DataKey()) + " " + Word(DataName()) + " " + DataValue(); break;
        default:
          w = network                       ? n.name
              : name == "NCI"               ? (n.vccs.empty() ? "v0" : Pick(n.vccs).nci)
              : name == "DCI"               ? (n.dcs.empty() ? "d0" : Pick(n.dcs))
              : name == "file_name"         ? "any" + Num(Below(3)) + ".txt"
              : name == "block_model"       ? Pick(kModelWords)
              : name == "service_categorie" ? Sensible("Service categorie")
              : name.find("name") == std::string::npos ? JunkWord()
              : n.blocks.empty()            ? "x"
                                            : Pick(n.blocks).name;
      }
      const bool raw = a.kind == ArgKind::Number || a.kind == ArgKind::Label ||
                       a.kind == ArgKind::ParamText || a.kind == ArgKind::DataText;
      line += " " + (raw ? w : Word(w));
    }
    return line;
  }
  // The command `head` (its command words) with the given words (see Line).
  void Do(Net& n, const std::string& head, const std::vector<std::string>& given = {}) {
    for (const Command& c : AllCommands())
      if (Head(c) == head) return Emit(Line(n, c, given));
    std::abort();  // the generator names a command the table does not have
  }
  // Any row of the command table whose first word is one of `firsts`.
  void AnyRow(Net& n, std::initializer_list<const char*> firsts) {
    static std::map<std::string, std::vector<const Command*>> rows;
    auto& list = rows[firsts.size() ? firsts.begin()[0] : ""];
    if (list.empty()) list = Rows(firsts);
    const Command& c = *Pick(list);
    if (std::strcmp(c.words[0], "run") == 0) return EmitRun(n);
    Emit(Line(n, c, {}));
  }

  // Adds a command, sometimes mutated, its paths kept in the working folder.
  void Emit(std::string cmd) {
    if (Chance(0.05) && !exact_) cmd = Mutate(cmd);
    Sandbox(cmd);
    script_.commands.push_back(std::move(cmd));
  }
  // A run keeps its end time: a cut "5e-5" would be a run of 5 s.
  void EmitRun(const Net& n, const std::string& time = "") {
    std::string cmd = "run " + Word(n.name) + " " + (time.empty() ? RunTime() : time);
    script_.commands.push_back(Chance(0.05) && !exact_ ? Blanks(cmd) : cmd);
  }
  // The same command with other blanks outside quotes.
  std::string Blanks(const std::string& c) {
    std::string r = Chance(0.3) ? Pick({" ", "  ", "\t"}) : "";
    bool quoted = false;
    for (char ch : c) {
      if (ch == '"') quoted = !quoted;
      r += ch == ' ' && !quoted && Chance(0.3) ? Pick<std::string>({"\t", "   ", " \t "}) : std::string(1, ch);
    }
    return r;
  }

  // No path may leave the working folder: a "/" is kept only in the relative
  // prefixes the generator writes itself and in the special files.
  static void Sandbox(std::string& cmd) {
    static const char* const kAllowed[] = {"\"out/\"", "\"r/x_\"", "\"dir with blank/\"",
                                           "/dev/full", "/proc/self/mem", "chain/"};
    std::vector<bool> kept(cmd.size(), false);
    if (cmd.find("..") == std::string::npos)
      for (const char* a : kAllowed)
        for (size_t at = cmd.find(a); at != std::string::npos; at = cmd.find(a, at + 1))
          std::fill_n(kept.begin() + static_cast<long>(at), std::strlen(a), true);
    for (size_t i = 0; i < cmd.size(); ++i)
      if (cmd[i] == '/' && !kept[i]) cmd[i] = '_';
  }

  // The command cut (a quote may stay open), a quote dropped, a junk word
  // added or put in place of one, a junk suffix on a number, the command
  // twice, a capital first letter, odd bytes, other blanks, made a comment,
  // or a long word at its end.
  std::string Mutate(std::string c) {
    const size_t at = Below(c.size() + 1), blank = c.find(' ', at), quote = c.find('"', at);
    switch (Below(12)) {
      case 0: c.resize(at); break;
      case 1: if (quote != std::string::npos) c.erase(quote, 1); break;
      case 2: if (blank != std::string::npos) c.insert(blank, " " + JunkWord()); break;
      case 3:
        if (blank != std::string::npos) {
          size_t e = c.find(' ', blank + 1);
          c.replace(blank + 1, e == std::string::npos ? std::string::npos : e - blank - 1, JunkWord());
        }
        break;
      case 4:
        for (size_t i = at; i < c.size(); ++i)
          if (std::isdigit(static_cast<unsigned char>(c[i])) && (i + 1 == c.size() || c[i + 1] == ' ')) {
            c.insert(i + 1, Pick(kNumberSuffixes));
            break;
          }
        break;
      case 5: c += " " + c; break;
      case 6: if (!c.empty()) c[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(c[0]))); break;
      case 7: c.insert(at, Pick<std::string>({"\xff\xfe", "\xc3", "\xe2\x82", std::string(1, '\0')})); break;
      case 8: if (blank != std::string::npos) c.replace(blank, 1, Pick({"\t", "   ", "\r", "\v", "\f", "\n"})); break;
      case 9: c = (Chance(0.5) ? "#" : "# ") + c; break;
      case 10: c = Blanks(c); break;
      default: c += " " + (Chance(0.5) ? std::string(1000 + Below(5000), 'L') : JunkWord());
    }
    return c;
  }

  // -- the model ----------------------------------------------------------------
  // The blocks of a model; with `wired`, only those connected (switches always).
  static std::vector<Blk*> Of(Net& n, Model m, bool wired = false) {
    std::vector<Blk*> v;
    for (Blk& b : n.blocks)
      if (b.model == m && (!wired || m == kSwitch || !(m == kTerminal ? b.equipmentPeer : b.attachedTo).empty()))
        v.push_back(&b);
    return v;
  }

  // The layers and queueing systems a block has now (as far as the model
  // knows), with their catalog entries; now and then one it has not.
  std::vector<std::pair<std::string, const ObjectInfo*>> ObjectsOf(const Blk& b) {
    std::vector<std::pair<std::string, const ObjectInfo*>> v;
    const bool wired = !(b.model == kTerminal ? b.equipmentPeer : b.attachedTo).empty();
    for (const ObjectInfo& o : cat_.models[b.model].objects) {
      const size_t port = o.name.find('#');
      const bool otherSource = o.name.size() > 3 && o.name.compare(o.name.size() - 3, 3, "_TS") == 0 &&
                               o.name != b.source + "_TS";
      if (port != std::string::npos)
        for (const auto& kv : b.ports) v.push_back({o.name.substr(0, port) + Num(kv.second), &o});
      else if ((wired || !o.wired) && !otherSource)
        v.push_back({o.name, &o});
    }
    if (Chance(0.03)) v.push_back({Pick({"PHY_99", "NOPE", "PHY_QS_7", "atm", ""}), nullptr});
    return v;
  }

  // The network (one time in six), a block, or one of its layers and
  // queueing systems; now and then with a parameter no object declares.
  Target PickTarget(Net& n) {
    static const std::vector<ParamInfo> kNone{{"Made up", "double", "Made up"}};
    const size_t which = Below(n.blocks.empty() ? 1 : 6);
    if (which == 0) return {"network", {}, &cat_.network, "", nullptr};
    Blk& b = Pick(n.blocks);
    auto objects = ObjectsOf(b);
    if (which == 1 || objects.empty()) return {"block", {b.name}, &cat_.models[b.model].params, "", &b};
    const auto& [object, info] = Pick(objects);
    return {(info ? info->qs : Chance(0.5)) ? "QS" : "layer", {b.name, object},
            info && Chance(0.95) ? &info->params : &kNone, object, &b};
  }

  // "put parameter" of a known parameter with the given value.
  void Put(Net& n, const Target& t, const std::string& name, const std::string& value) {
    for (const ParamInfo& p : *t.params)
      if (p.name == name)
        return Do(n, "put parameter " + t.kind, With(t.names, ParamText(p, RoleOf(t.object, name), &value)));
  }
  void EditLayer(Net& n, Blk& b, const std::string& layer, const std::string& param, const std::string& value) {
    for (const ObjectInfo& o : cat_.models[b.model].objects)
      if (!o.qs && o.name == PortPattern(layer)) return Put(n, {"layer", {b.name, layer}, &o.params, layer, &b}, param, value);
  }

  // A parameter of the network, a block, a layer or a queueing system is set
  // (sensible or extreme value, sometimes another type or shape), or deleted.
  void EditParameter(Net& n, bool allowDelete) {
    const Target t = PickTarget(n);
    const ParamInfo& p = Pick(*t.params);
    if (allowDelete && Chance(0.12)) return Do(n, "del parameter " + t.kind, With(t.names, p.name));
    const std::string role = RoleOf(t.object, p.name);
    std::string v = IsFlag(role) && Chance(0.6) ? "ON" : "";
    if (t.kind == "block") {
      v = Chance(0.1) ? Extreme(role, IsInteger(p.type)) : Sensible(role);
      if (role == "Number of ports" || role == "Number of applications") t.block->limit = std::atoi(v.c_str());
      if (role == "Traffic source" && t.block->attachedTo.empty()) SetSource(*t.block, v);
    }
    if (role == "Service categorie" && !t.object.empty()) t.block->category = "?";
    Do(n, "put parameter " + t.kind, With(t.names, ParamText(p, role, v.empty() ? nullptr : &v)));
  }
  static void SetSource(Blk& a, const std::string& source) {
    a.source = source;
    a.category = source == "CBR" ? "CBR" : "VBR";
  }

  // Data tables of the network, a block or a layer: entries written or
  // deleted, the keys a run reads among them.
  void DataEdit(Net& n) {
    Target t = PickTarget(n);
    if (t.kind == "QS") t = {"block", {t.names[0]}, nullptr, "", t.block};
    const std::string key = DataKey(), name = DataName();
    switch (Below(3)) {
      case 0: return Do(n, "put data " + t.kind, With(t.names, Word(key) + " " + Word(name) + " " + DataValue()));
      case 1: return Do(n, "del data " + t.kind, With(With(t.names, key), name));
      default: return Do(n, "del key " + t.kind, With(t.names, key));
    }
  }

  Blk& AddBlock(Net& n, Model m) {
    Blk b;
    b.name = NewName(std::string(1, "TSA"[m]));
    b.model = m;
    b.limit = m == kSwitch ? 8 : 4;
    Do(n, "create block", {b.name, kModelWords[m], Pick({"te", "sw", "app", "x", "a type"})});
    n.blocks.push_back(b);
    return n.blocks.back();
  }
  // The application's traffic source, chosen before it is connected.
  void ChooseSource(Net& n, Blk& a) {
    const std::string source = Pick(kTrafficSources);
    if (source == "CBR" && Chance(0.6)) return;
    Put(n, {"block", {a.name}, &cat_.models[kApplication].params, "", &a}, "Traffic source", source);
    SetSource(a, source);
  }

  void Connect(Net& n, Blk& a, Blk& b) {
    Blk* app = a.model == kApplication ? &a : b.model == kApplication ? &b : nullptr;
    const std::string iface = app ? Pick({"app", "x", "", "CB_PHYSICAL_LAYER"}) : "CB_PHYSICAL_LAYER";
    const bool swap = Chance(0.5);
    Do(n, "connect block", {(swap ? b : a).name, (swap ? a : b).name, iface});
    if (app) {
      Blk& term = app == &a ? b : a;
      app->attachedTo = term.name;
      ++term.apps;
      return;
    }
    for (auto [x, y] : {std::make_pair(&a, &b), std::make_pair(&b, &a)}) {
      if (x->model == kTerminal) x->equipmentPeer = y->name;
      if (x->model != kSwitch) continue;
      // The port the switch takes: the count of its ports, or the first free one.
      std::set<int> used;
      for (auto& kv : x->ports) used.insert(kv.second);
      int port = static_cast<int>(x->ports.size());
      if (used.count(port))
        for (port = 0; used.count(port);) ++port;
      x->ports[y->name] = port;
    }
  }
  void Disconnect(Net& n, Blk& b) {
    if (Blk* t = b.model == kApplication ? n.Find(b.attachedTo) : nullptr) --t->apps;
    for (Blk& x : n.blocks) {
      x.ports.erase(b.name);
      if (x.equipmentPeer == b.name) x.equipmentPeer.clear();
      if (x.attachedTo == b.name) x.attachedTo.clear();
    }
    b.attachedTo.clear();
    b.equipmentPeer.clear();
    b.ports.clear();
    if (b.model == kTerminal) b.apps = 0;
  }

  // A network of none, one or two switches, two to four terminals and some
  // applications, the blocks made in random order and then connected, with
  // some parameters and DCs.
  void BuildNetwork() {
    nets_.push_back({});
    Net& net = nets_.back();
    net.name = NewName("lan");
    script_.networks.push_back(net.name);
    Do(net, "create network", {net.name});
    const Target network{"network", {}, &cat_.network, "", nullptr};
    if (Chance(0.75)) Put(net, network, "Simulation log status", "ON");
    if (Chance(0.6)) Put(net, network, "Path", PathPrefix());
    if (Chance(0.2)) Put(net, network, "Performance log status", "OFF");

    size_t shape = Below(4), terminals = 2 + Below(3);
    size_t switches = shape == 3 ? Below(2) : shape, apps = Below(terminals + 2);
    std::vector<Model> order(switches, kSwitch);
    order.insert(order.end(), terminals, kTerminal);
    order.insert(order.end(), apps, kApplication);
    std::shuffle(order.begin(), order.end(), rng_);
    for (Model m : order) AddBlock(net, m);
    std::vector<Blk*> sw = Of(net, kSwitch), te = Of(net, kTerminal), ap = Of(net, kApplication);
    for (Blk* a : ap) ChooseSource(net, *a);
    if (sw.size() == 2) Connect(net, *sw[0], *sw[1]);
    for (size_t k = 0; k < te.size(); ++k)
      if (!sw.empty()) Connect(net, *te[k], *sw[k % sw.size()]);
      else if (k % 2 == 1) Connect(net, *te[k - 1], *te[k]);
    for (size_t k = 0; k < ap.size(); ++k) Connect(net, *ap[k], *te[k % te.size()]);
    for (size_t i = 0, m = Below(5); i < m; ++i) EditParameter(net, false);
    for (size_t i = 0, m = 1 + Below(3); i < m; ++i) AddDc(net);
    if (Chance(0.5)) EmitRun(net);
  }

  // Equipment path from terminal a to terminal b over the wires (switches
  // relay, terminals do not).
  std::vector<std::string> Route(Net& n, const std::string& from, const std::string& to) {
    std::map<std::string, std::string> prev{{from, ""}};
    std::deque<std::string> todo{from};
    while (!todo.empty() && !prev.count(to)) {
      Blk* x = n.Find(todo.front());
      todo.pop_front();
      if (!x || (x->model == kTerminal && x->name != from)) continue;
      std::vector<std::string> peers{x->equipmentPeer};
      for (auto& kv : x->ports) peers.push_back(kv.first);
      for (const std::string& p : peers)
        if (!p.empty() && !prev.count(p) && n.Find(p)) {
          prev[p] = x->name;
          todo.push_back(p);
        }
    }
    std::vector<std::string> path;
    if (prev.count(to))
      for (std::string x = to; !x.empty(); x = prev[x]) path.insert(path.begin(), x);
    return path;
  }

  // A VCC along the wires, its blocks connected and (mostly) its links made.
  bool AddVcc(Net& n, const std::string& from, const std::string& to, const std::string& category) {
    const std::vector<std::string> path = Route(n, from, to);
    if (path.empty()) return false;
    Vcc v{NewName("v"), {path[0]}, {}};
    Do(n, "create vcc", {v.nci, category,
                         Chance(0.9)   ? "155520000"
                         : Chance(0.5) ? Number(LogUniform(1e3, 1e9))
                                       : Extreme("Bit rate", false),
                         from});
    for (size_t i = 1; i < path.size(); ++i) {
      Do(n, "connect vcc block", {v.nci, path[i], path[i - 1]});
      v.path.push_back(path[i]);
    }
    for (size_t i = 1; i < path.size(); ++i)
      if (Chance(0.95)) {  // else a hop without labels
        Do(n, "create link", {v.nci, path[i - 1], path[i]});
        v.links.push_back({path[i - 1], path[i]});
      }
    n.vccs.push_back(v);
    return true;
  }

  // A DC between two applications, on a VCC made for it.
  void AddDc(Net& n) {
    auto apps = Of(n, kApplication, true);
    if (apps.empty()) return;
    Blk* s = Pick(apps);
    Blk* r = Pick(apps);
    if (s->source == "GENERIC") EditLayer(n, *s, "GENERIC_TS", "Source file name", PacketFile());
    if (Chance(0.5)) EditLayer(n, *s, s->source + "_TS", "Bit rate", Sensible("Bit rate"));
    if (Chance(0.3)) EditLayer(n, *r, "TR", "Sample statistics status", "ON");
    if (!AddVcc(n, s->attachedTo, r->attachedTo, s->category)) return;
    n.dcs.push_back(NewName("d"));
    Do(n, "create dc", {n.dcs.back(), s->name, r->name});
    s->inDc = r->inDc = true;
    n.vccs.back().busy = true;
  }

  // -- random steps -------------------------------------------------------------
  void Step() {
    if (nets_.empty() || Chance(0.01)) return BuildNetwork();
    Net& n = Pick(nets_);
    switch (Below(20)) {
      case 0: case 1: case 2: case 3: case 4: return EditParameter(n, true);
      case 5: case 6: return Build(n);
      case 7: case 8: return AnyRow(n, {"show"});
      case 9: return AnyRow(n, {});
      case 10: return EmitRun(n);
      case 11: return TopologyEdit(n);
      case 12: return DataEdit(n);
      case 13: return SaveAndReload(n);
      case 14: return LoadChunk(n);
      case 15: case 16: return Junk(n);
      case 17: return Chance(0.5) ? Hostile(n) : Junk(n);
      default: return AddDc(n);
    }
  }

  // A new application on a terminal, a new terminal on a switch with a free
  // port, a VCC between two terminals (maybe without a DC), or a DC.
  void Build(Net& n) {
    auto te = Of(n, kTerminal);
    std::vector<std::string> sw;
    for (Blk* b : Of(n, kSwitch))
      if (static_cast<int>(b->ports.size()) < b->limit) sw.push_back(b->name);
    switch (Below(4)) {
      case 0: {
        if (te.empty()) return;
        const std::string t = Pick(te)->name;
        Blk& a = AddBlock(n, kApplication);
        ChooseSource(n, a);
        if (Blk* term = n.Find(t); term && term->apps < term->limit) Connect(n, a, *term);
        return;
      }
      case 1:
        if (!sw.empty()) {
          const std::string s = Pick(sw), t = AddBlock(n, kTerminal).name;
          Connect(n, *n.Find(t), *n.Find(s));
        }
        return;
      case 2:
        if (!te.empty()) AddVcc(n, Pick(te)->name, Pick(te)->name, Sensible("Service categorie"));
        return;
      default: AddDc(n);
    }
  }

  // Blocks disconnected or removed, DCs, VCCs and links removed, VCC hops
  // taken away or added.
  void TopologyEdit(Net& n) {
    if (n.blocks.empty()) return;
    const size_t i = Below(n.blocks.size());
    Blk& b = n.blocks[i];
    Vcc* v = n.vccs.empty() ? nullptr : &Pick(n.vccs);
    switch (Below(6)) {
      case 0:
        Do(n, "disconnect block", {b.name});
        return Disconnect(n, b);
      case 1:
        Do(n, "remove block", {b.name});
        if (InUse(n, b)) return;
        Disconnect(n, b);
        n.blocks.erase(n.blocks.begin() + static_cast<long>(i));
        return;
      case 2:
        if (n.dcs.empty()) return;
        Do(n, "remove dc", {n.dcs.back()});
        return n.dcs.pop_back();
      case 3:
        if (!v) return;
        Do(n, "remove vcc", {v->nci});
        if (!v->busy) n.vccs.erase(n.vccs.begin() + (v - n.vccs.data()));
        return;
      case 4:
        if (v && !v->links.empty() && Chance(0.5)) {
          Do(n, "remove link", {v->nci, v->links.back().first, v->links.back().second});
          v->links.pop_back();
        } else if (v && v->path.size() > 1) {
          Do(n, "disconnect vcc block", {v->nci, v->path.back(), v->path[v->path.size() - 2]});
          v->path.pop_back();
          v->links.clear();
        }
        return;
      default: {
        // A hop from the path's last block, or (saving pairs that mean
        // another path) from one before it.
        if (!v) return;
        const std::string key = Chance(0.5) ? Pick(v->path) : v->path.back();
        Blk* k = n.Find(key);
        const std::string next = !k                    ? ""
                                 : k->model == kTerminal ? k->equipmentPeer
                                 : k->ports.empty()      ? ""
                                                         : std::next(k->ports.begin(), static_cast<long>(Below(k->ports.size())))->first;
        if (next.empty()) return;
        Do(n, "connect vcc block", {v->nci, next, key});
        if (key == v->path.back()) v->path.push_back(next);
      }
    }
  }
  static bool InUse(Net& n, const Blk& b) {
    for (Vcc& v : n.vccs)
      if (std::find(v.path.begin(), v.path.end(), b.name) != v.path.end()) return true;
    return b.model == kApplication && b.inDc;
  }

  // file + save, and sometimes the network removed and loaded back, or
  // loaded while it exists (its first command fails).
  void SaveAndReload(Net& n) {
    const std::string f = "saved" + Num(++uid_) + ".txt";
    Do(n, "file", {f});
    Do(n, "save");
    const bool remove = Chance(0.3);
    if (remove) Do(n, "remove network");
    if (remove || Chance(0.2)) Do(n, "load", {f});
  }

  // A few commands written into a script file and loaded, with the line
  // forms a script may have.
  void LoadChunk(Net& n) {
    const size_t from = script_.commands.size();
    for (size_t i = 0, m = 1 + Below(6); i < m; ++i) {
      if (Chance(0.5)) EditParameter(n, false);
      else if (Chance(0.5)) AnyRow(n, {"show"});
      else Build(n);
    }
    std::string text = Chance(0.05) ? "\xef\xbb\xbf" : "";
    for (size_t i = from; i < script_.commands.size(); ++i) {
      if (Chance(0.2)) text += Pick({"# comment", "#", "", "   ", "\t# x"}) + std::string("\n");
      std::string line = script_.commands[i];
      if (Chance(0.03)) line.insert(Below(line.size() + 1), 1, '\0');
      if (Chance(0.03)) line += " " + std::string(1100 + Below(3000), 'k');
      text += line + (Chance(0.1) ? "\r\n" : "\n");
    }
    script_.commands.resize(from);
    if (Chance(0.2) && !text.empty()) text.pop_back();
    script_.files.push_back({"chunk" + Num(++uid_) + ".txt", text, true});
    Do(n, "load", {script_.files.back().name});
  }

  // A line of junk, or a real command cut short or with too many words.
  void Junk(Net& n) {
    static const char* const kLines[] = {
        "", "   ", "#", "# note", "create nework x", "show parameters nets", "put nothing x",
        "connect vcc link x", "Quit", "quit now", "show vcc \"\"", "connect vcc \"\"", "run x",
        "load \"\"", "load nosuchfile.txt", "load .", "\xff\xfe\xfd", "\"create\" network q",
        "create \"network\" q"};
    static const std::vector<const Command*> kHeads = Rows({"create", "remove", "connect", "disconnect", "put", "del", "show", "run", "file", "save", "load"});
    std::string line = Chance(0.6) ? Pick(kLines) : JunkWord();
    if (Chance(0.3)) {
      line = Head(*Pick(kHeads));
      for (size_t i = 0, m = Below(7); i < m; ++i)
        line += " " + (Chance(0.5) && !n.blocks.empty() ? Word(Pick(n.blocks).name) : Chance(0.3) ? Word(n.name) : JunkWord());
    }
    Emit(line);
  }

  // Unreadable files, writes that fail, deep loads, long runs, and values
  // at the edge of what a run takes, most followed by a run.
  void Hostile(Net& n) {
    auto te = Of(n, kTerminal, true), ap = Of(n, kApplication, true);
    switch (Below(9)) {
      case 0: return Emit("load /proc/self/mem");
      case 1:
        Do(n, "file", {"/dev/full"});
        return Do(n, "save");
      case 2: {  // scripts that load one another, deeper than any sane limit
        const int depth = Chance(0.05) ? 5000 : 70;
        for (int i = 0; i < depth; ++i)
          script_.files.push_back({"chain/" + Num(i) + ".txt",
                                   (i + 1 < depth ? "load chain/" + Num(i + 1) + ".txt" : "show network " + Q(n.name)) + "\n", true});
        return Emit("load chain/0.txt");
      }
      case 3:
        // A long end time on sources with little to send: the run ends when
        // the traffic is done. Batch sources whose packets reach no
        // connection draw batches as long as the run lasts: none. OAM cells
        // are sent as long as a run lasts: off. No variation on these edits.
        exact_ = true;
        for (Blk* b : ap)
          if (b->source != "GENERIC")
            EditLayer(n, *b, b->source + "_TS", "Number of bytes to be sent", b->source == "VBR_BATCH" ? "0" : "2000");
        for (Blk& b : n.blocks)
          for (const auto& [name, info] : ObjectsOf(b))
            if (info && !info->qs && name.rfind("PHY", 0) == 0) EditLayer(n, b, name, "OAM transmition status", "OFF");
        EmitRun(n, Pick({"100000", "1e9"}));
        exact_ = false;
        return;
      case 4:
        Do(n, "put parameter network", {"big int " + Pick<std::string>({"100000000", "9223372036854775807"}) + " 0 big SHOW"});
        return Do(n, Pick({"show parameters network", "save"}));
      case 5:  // entries a run reads, changed in a block's own table
        for (Vcc& v : n.vccs)
          if (n.Find(v.path[0])) return Do(n, "del key block", {v.path[0], v.nci});
        return;
      case 6:  // a subnormal bit rate, a negative delay, a busy log
        if (te.empty()) break;
        if (Chance(0.3)) EditLayer(n, *te[0], "PHY", "Bit rate", Pick({"1e-310", "4.9e-324"}));
        if (Chance(0.3)) EditLayer(n, *te[0], "AAL5", "Cell packetization delay", Pick({"-1", "-1e308", "-1e-6"}));
        if (Chance(0.3)) EditLayer(n, *te[0], "ATM", "Sample statistics status", "ON");
        if (Chance(0.3)) EditLayer(n, *te[0], "ATM", "Logging every x secs", Pick({"1e-12", "4.9e-324", "1e-310"}));
        break;
      case 7:  // packets over 65535 bytes
        for (Blk* b : ap)
          if (b->source == "CBR") {
            EditLayer(n, *b, "CBR_TS", "Packet length", Chance(0.1) ? "400000000" : Pick({"70000", "1000000"}));
            break;
          }
        break;
      default:  // a block loses its neighbours, then a run
        if (n.blocks.empty()) return;
        Blk& b = Pick(n.blocks);
        Do(n, "disconnect block", {b.name});
        Disconnect(n, b);
    }
    EmitRun(n);
  }

  std::mt19937_64 rng_;
  const Catalog& cat_;
  Script script_;
  bool exact_ = false;  // commands emitted as they are, without variations
  std::deque<Net> nets_;
  size_t uid_ = 0;
};

}  // namespace

Script Generate(uint64_t seed) { return Generator(seed).Make(); }

}  // namespace property
