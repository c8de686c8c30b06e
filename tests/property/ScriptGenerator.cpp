// ScriptGenerator: a model of the networks a script builds, used to pick
// commands that mostly make sense, and the hostile variations put on them.
#include "ScriptGenerator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "atm/QueueingSystem.h"
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

// ---------------------------------------------------------------------------
// The catalog: one network holding a block of each model, every traffic
// source and a switch with a port, read back through the program's own
// parameter sets.

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

void AddObjects(const Block& b, ModelInfo& m) {
  auto add = [](std::vector<ObjectInfo>& list, const std::string& name, const Param& p) {
    std::string pattern = PortPattern(name);
    for (const ObjectInfo& o : list)
      if (o.name == pattern) return;
    list.push_back({pattern, ParamsOf(p)});
  };
  std::vector<Sstring> names;
  if (b.ListLayers(names))
    for (const Sstring& n : names) add(m.layers, n.str(), *b.FindLayer(n));
  names.clear();
  if (b.ListQSs(names))
    for (const Sstring& n : names) add(m.qss, n.str(), *b.FindQS(n));
}
}  // namespace

const Catalog& ProgramCatalog() {
  static const Catalog catalog = [] {
    RegisterAtmModels();
    platform::CapturedOutput quiet;
    Kernel k;
    std::vector<std::string> lines = {"create network n",
                                      "create block n S \"ATM Switch\" s",
                                      "create block n T \"ATM B-TE\" t",
                                      "connect block n T S CB_PHYSICAL_LAYER"};
    for (const char* source : kTrafficSources) {
      std::string a = std::string("A") + source;
      lines.push_back("create block n " + a + " \"ATM Generic Application\" a");
      lines.push_back("put parameter block n " + a + " \"Traffic source\" string 1 1 " + source +
                      " \"Traffic source\" SHOW");
      lines.push_back("connect block n " + a + " T x");
    }
    for (const std::string& l : lines)
      if (!ExecuteLine(k, l.c_str())) std::abort();  // the catalog network must build
    Catalog c;
    const Network& net = *k.FindNetwork("n");
    c.network = ParamsOf(net);
    for (const char* word : kModelWords) c.models.push_back({word, {}, {}, {}});
    net.ForEachBlock([&](const Block& b) {
      for (ModelInfo& m : c.models)
        if (b.GetModel().str() == m.model) {
          if (m.params.empty()) m.params = ParamsOf(b);
          AddObjects(b, m);
        }
    });
    std::string list = ElementKeywordList().str();
    for (size_t b = 0, e; (e = list.find(';', b)) != std::string::npos; b = e + 1)
      c.elementTypes.push_back(list.substr(b, e - b));
    return c;
  }();
  return catalog;
}

// ---------------------------------------------------------------------------
// The generator.

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
  // A random member of a container (a reference into it) or of a list.
  template <class C>
  auto Pick(C& c) -> decltype(c[0]) { return c[Below(std::size(c))]; }
  template <class T>
  T Pick(std::initializer_list<T> list) { return *(list.begin() + Below(list.size())); }
  std::string Num(size_t n) { return std::to_string(n); }

  // -- words ------------------------------------------------------------------
  static std::string Q(const std::string& s) { return "\"" + s + "\""; }
  // A name as typed: quoted when it must be, sometimes quoted anyway.
  std::string Word(const std::string& s) {
    bool plain = !s.empty() && s.find_first_of(" \t\n\r\v\f\"") == std::string::npos;
    return plain && Chance(0.5) ? s : Q(s);
  }
  // Words as typed, blank-separated.
  std::string Words(std::initializer_list<std::string> words) {
    std::string s;
    for (const std::string& w : words) s += (s.empty() ? "" : " ") + Word(w);
    return s;
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
  std::string NewName(const std::string& stem) {
    std::string n = stem + Num(++uid_);
    if (Chance(0.92)) return n;
    switch (Below(9)) {
      case 0: return stem + " " + Num(uid_);
      case 1: return "create" + n;
      case 2: return "#" + n;
      case 3: return "\xc3\x9c" + n;  // UTF-8 text
      case 4: return std::string(40 + Below(300), 'w') + n;
      case 5: return n + "\ttab";
      case 6: return n + "\"q";       // a quote inside a name
      case 7: return n + "\nline";    // a line break inside a name
      default: return "\xff" + n;     // not UTF-8
    }
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
    for (;;) {
      // A subnormal logging interval fills the logs to their line limit,
      // which with the event log on passed the 2 GB file limit: left out.
      const std::string& x = Pick(v);
      const double d = std::fabs(std::strtod(x.c_str(), nullptr));
      if (role != "Logging every x secs" || d == 0 || d > 1e-9) return x;
    }
  }

  std::string Sensible(const std::string& r) {
    if (r == "Bit rate") return Number(LogUniform(1e5, 1e8));
    if (r == "Line rate") return Number(Chance(0.5) ? 155520000 : LogUniform(1e6, 6.2e8));
    if (r == "Slot time" || r == "Mean interval between batches") return Number(LogUniform(3e-7, 5e-5));
    if (r == "Cell packetization delay") return Number(Chance(0.3) ? 0 : LogUniform(1e-10, 1e-6));
    if (r == "Logging every x secs") return Number(LogUniform(2e-6, 2e-3));
    if (r == "Start time") return Number(Chance(0.5) ? 0 : LogUniform(1e-7, 1e-4));
    if (r == "Number of bytes to be sent") return Number(Chance(0.3) ? 1e9 : std::floor(LogUniform(1, 1e6)));
    if (r == "Number of cells to be sent") return Number(std::floor(LogUniform(1, 1e6)));
    if (r == "Mean number of ATM cells") return Number(LogUniform(0.01, 50));
    if (r == "Packet length") return Number(Chance(0.2) ? 65535 : std::floor(LogUniform(1, 9180)));
    if (r == "Distance") return Number(LogUniform(0.1, 1e5));
    if (r == "Propagation speed") return Number(LogUniform(1e6, 3e8));
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

  // -- emitting -----------------------------------------------------------------
  // Adds a command, sometimes mutated, its paths kept in the working folder.
  void Emit(std::string cmd) {
    if (Chance(0.05) && !exact_) cmd = Mutate(cmd);
    Sandbox(cmd);
    script_.commands.push_back(std::move(cmd));
  }
  // A run keeps its end time: a cut "5e-5" would be a run of 5 s.
  void EmitRun(const Net& n) {
    std::string cmd = "run " + Word(n.name) + " " + RunTime();
    script_.commands.push_back(Chance(0.05) ? Blanks(cmd) : cmd);
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
          std::fill(kept.begin() + static_cast<long>(at),
                    kept.begin() + static_cast<long>(at + std::strlen(a)), true);
    for (size_t i = 0; i < cmd.size(); ++i)
      if (cmd[i] == '/' && !kept[i]) cmd[i] = '_';
  }

  std::string Mutate(std::string c) {
    const size_t at = Below(c.size() + 1), blank = c.find(' ', at);
    switch (Below(12)) {
      case 0: c.resize(at); break;  // may leave a quote open
      case 1:
        if (c.find('"', at) != std::string::npos) c.erase(c.find('"', at), 1);
        break;
      case 2:
        if (blank != std::string::npos) c.insert(blank, " " + JunkWord());
        break;
      case 3:  // a word replaced
        if (blank != std::string::npos) {
          size_t e = c.find(' ', blank + 1);
          c.replace(blank + 1, e == std::string::npos ? std::string::npos : e - blank - 1, JunkWord());
        }
        break;
      case 4:  // a junk suffix on a number
        for (size_t i = at; i < c.size(); ++i)
          if (std::isdigit(static_cast<unsigned char>(c[i])) && (i + 1 == c.size() || c[i + 1] == ' ')) {
            c.insert(i + 1, Pick(kNumberSuffixes));
            break;
          }
        break;
      case 5: c += " " + c; break;
      case 6: if (!c.empty()) c[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(c[0]))); break;
      case 7: c.insert(at, Pick<std::string>({"\xff\xfe", "\xc3", "\xe2\x82", std::string(1, '\0')})); break;
      case 8:
        if (blank != std::string::npos) c.replace(blank, 1, Pick({"\t", "   ", "\r", "\v", "\f", "\n"}));
        break;
      case 9: c = (Chance(0.5) ? "#" : "# ") + c; break;
      case 10: c = Blanks(c); break;
      default: c += " " + (Chance(0.5) ? std::string(1000 + Below(5000), 'L') : JunkWord()); break;
    }
    return c;
  }

  // -- building ---------------------------------------------------------------
  static const ParamInfo* FindParam(const std::vector<ParamInfo>& list, const std::string& n) {
    for (const ParamInfo& p : list)
      if (p.name == n) return &p;
    return nullptr;
  }
  const ModelInfo& ModelOf(Model m) const { return cat_.models[m]; }
  const ObjectInfo* Object(Model m, const std::string& pattern, bool qs) const {
    for (const ObjectInfo& o : qs ? ModelOf(m).qss : ModelOf(m).layers)
      if (o.name == pattern) return &o;
    return nullptr;
  }

  // "put parameter" of a known parameter with the given value.
  void Put(const std::string& head, const std::vector<ParamInfo>& list, const std::string& layer,
           const std::string& name, const std::string& value) {
    if (const ParamInfo* p = FindParam(list, name))
      Emit("put parameter " + head + " " + ParamText(*p, RoleOf(layer, name), &value));
  }
  void EditLayer(Net& n, Blk& b, const std::string& layer, const std::string& param,
                 const std::string& value) {
    if (const ObjectInfo* o = Object(b.model, PortPattern(layer), false))
      Put("layer " + Words({n.name, b.name, layer}), o->params, layer, param, value);
  }

  Blk& AddBlock(Net& n, Model m) {
    Blk b;
    b.name = NewName(std::string(1, "TSA"[m]));
    b.model = m;
    b.limit = m == kSwitch ? 8 : 4;
    Emit("create block " + Words({n.name, b.name}) + " " + Q(kModelWords[m]) + " " +
         Word(Pick({"te", "sw", "app", "x", "a type"})));
    n.blocks.push_back(b);
    return n.blocks.back();
  }

  // The application's traffic source, chosen before it is connected.
  void ChooseSource(Net& n, Blk& a) {
    std::string src = Pick(kTrafficSources);
    if (src == "CBR" && Chance(0.6)) return;
    Put("block " + Words({n.name, a.name}), ModelOf(kApplication).params, "", "Traffic source", src);
    a.source = src;
    a.category = src == "CBR" ? "CBR" : "VBR";
  }

  void Connect(Net& n, Blk& a, Blk& b) {
    std::string iface = (a.model == kApplication || b.model == kApplication)
                            ? Pick({"app", "x", "\"\"", "CB_PHYSICAL_LAYER"})
                            : "CB_PHYSICAL_LAYER";
    Emit("connect block " + (Chance(0.5) ? Words({n.name, a.name, b.name}) : Words({n.name, b.name, a.name})) +
         " " + iface);
    Blk* app = a.model == kApplication ? &a : b.model == kApplication ? &b : nullptr;
    if (app) {
      Blk* term = app == &a ? &b : &a;
      app->attachedTo = term->name;
      ++term->apps;
      return;
    }
    for (auto [x, y] : {std::make_pair(&a, &b), std::make_pair(&b, &a)}) {
      if (x->model == kTerminal) x->equipmentPeer = y->name;
      if (x->model == kSwitch) {
        std::set<int> used;
        for (auto& kv : x->ports) used.insert(kv.second);
        int port = static_cast<int>(x->ports.size());
        if (used.count(port))
          for (port = 0; used.count(port);) ++port;
        x->ports[y->name] = port;
      }
    }
  }

  void BuildNetwork() {
    Net n;
    n.name = NewName("lan");
    script_.networks.push_back(n.name);
    Emit("create network " + Word(n.name));
    nets_.push_back(n);
    Net& net = nets_.back();
    const std::string head = "network " + Word(net.name);
    if (Chance(0.75)) Put(head, cat_.network, "", "Simulation log status", "ON");
    if (Chance(0.6)) Put(head, cat_.network, "", "Path", PathPrefix());
    if (Chance(0.2)) Put(head, cat_.network, "", "Performance log status", "OFF");

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
      std::string x = todo.front();
      todo.pop_front();
      Blk* bx = n.Find(x);
      if (!bx || (bx->model == kTerminal && x != from)) continue;
      std::vector<std::string> peers;
      if (bx->model == kTerminal && !bx->equipmentPeer.empty()) peers.push_back(bx->equipmentPeer);
      for (auto& kv : bx->ports) peers.push_back(kv.first);
      for (const std::string& p : peers)
        if (!prev.count(p) && n.Find(p)) {
          prev[p] = x;
          todo.push_back(p);
        }
    }
    if (!prev.count(to)) return {};
    std::vector<std::string> path;
    for (std::string x = to; !x.empty(); x = prev[x]) path.insert(path.begin(), x);
    return path;
  }

  std::string Label(bool vci) {
    if (Chance(0.03)) return Pick({"-1", "65536", "1e3", "x", "2.5", "70000", "65535", "0"});
    return Num(vci ? 32 + Below(65500) : Below(256));
  }

  bool AddVcc(Net& n, const std::string& from, const std::string& to, const std::string& category) {
    std::vector<std::string> path = Route(n, from, to);
    if (path.empty()) return false;
    Vcc v;
    v.nci = NewName("v");
    v.path = {path[0]};
    std::string bw = Chance(0.9) ? "155520000"
                     : Chance(0.5) ? Number(LogUniform(1e3, 1e9))
                                   : Extreme("Bit rate", false);
    Emit("create vcc " + Words({n.name, v.nci, category}) + " " + bw + " " + Word(from));
    for (size_t i = 1; i < path.size(); ++i) {
      Emit("connect vcc block " + Words({n.name, v.nci, path[i], path[i - 1]}));
      v.path.push_back(path[i]);
    }
    for (size_t i = 1; i < path.size(); ++i) {
      if (Chance(0.05)) continue;  // a hop without labels
      Emit("create link " + Words({n.name, v.nci, path[i - 1], path[i]}) + " " + Label(false) + " " +
           Label(true));
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
    std::string d = NewName("d");
    Emit("create dc " + Words({n.name, d, s->name, r->name}));
    n.dcs.push_back(d);
    s->inDc = r->inDc = true;
    n.vccs.back().busy = true;
  }

  // The layers and queueing systems a block has now (as far as the model
  // knows), with whether each is a queueing system; now and then one it has not.
  std::vector<std::pair<std::string, bool>> ObjectsOf(const Blk& b) {
    std::vector<std::pair<std::string, bool>> v;
    if (b.model == kTerminal) {
      v = {{"ATM", false}, {"AAL5", false}};
      if (!b.equipmentPeer.empty()) v.insert(v.end(), {{"PHY", false}, {"PHY_QS", true}});
    } else if (b.model == kSwitch) {
      v = {{"ATM", false}};
      for (auto& kv : b.ports) {
        std::string k = Num(kv.second);
        v.insert(v.end(), {{"PHY_" + k, false}, {"PHY_QS_" + k, true}, {"ATM_QS_" + k, true}});
      }
    } else if (!b.attachedTo.empty()) {
      v = {{"TR", false}, {b.source + "_TS", false}};
    }
    if (Chance(0.03)) v.push_back({Pick({"PHY_99", "NOPE", "PHY_QS_7", "atm", ""}), Chance(0.5)});
    return v;
  }

  // A parameter of the network, a block, a layer or a queueing system is set
  // (sensible or extreme value, sometimes another type or shape, or a name no
  // object declares), or deleted.
  void EditParameter(Net& n, bool allowDelete) {
    size_t target = Below(n.blocks.empty() ? 1 : 6);
    std::string head = "network " + Word(n.name), obj;
    const std::vector<ParamInfo>* list = &cat_.network;
    Blk* b = target ? &Pick(n.blocks) : nullptr;
    if (target == 1) {
      head = "block " + Words({n.name, b->name});
      list = &ModelOf(b->model).params;
    } else if (target > 1) {
      auto objects = ObjectsOf(*b);
      if (objects.empty()) return;
      bool qs;
      std::tie(obj, qs) = Pick(objects);
      head = (qs ? "QS " : "layer ") + Words({n.name, b->name, obj});
      static const std::vector<ParamInfo> kNone{{"Made up", "double", "Made up"}};
      const ObjectInfo* o = Object(b->model, PortPattern(obj), qs);
      list = o ? &o->params : &kNone;
      if (Chance(0.05)) list = &kNone;
    }
    const ParamInfo& p = Pick(*list);
    if (allowDelete && Chance(0.12)) return Emit("del parameter " + head + " " + Word(p.name));
    const std::string role = RoleOf(obj, p.name);
    std::string v = IsFlag(role) && Chance(0.6) ? "ON" : "";
    if (target == 1) {
      v = Chance(0.1) ? Extreme(role, IsInteger(p.type)) : Sensible(role);
      if (role == "Number of ports" || role == "Number of applications") b->limit = std::atoi(v.c_str());
      if (role == "Traffic source" && b->attachedTo.empty()) {
        b->source = v;
        b->category = v == "CBR" ? "CBR" : "VBR";
      }
    }
    if (role == "Service categorie" && target > 1) b->category = "?";
    Emit("put parameter " + head + " " + ParamText(p, role, v.empty() ? nullptr : &v));
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

  // The blocks of a model; with `wired`, only those connected (switches always).
  static std::vector<Blk*> Of(Net& n, Model m, bool wired = false) {
    std::vector<Blk*> v;
    for (Blk& b : n.blocks)
      if (b.model == m && (!wired || m == kSwitch || !(m == kTerminal ? b.equipmentPeer : b.attachedTo).empty()))
        v.push_back(&b);
    return v;
  }

  void Build(Net& n) {
    auto te = Of(n, kTerminal);
    switch (Below(4)) {
      case 0: {  // a new application on a terminal
        if (te.empty()) return;
        std::string tname = Pick(te)->name;
        Blk& a = AddBlock(n, kApplication);
        ChooseSource(n, a);
        Blk* term = n.Find(tname);
        if (term && term->apps < term->limit) Connect(n, a, *term);
        return;
      }
      case 1: {  // a new terminal on a switch with a free port
        std::vector<std::string> sw;
        for (Blk* b : Of(n, kSwitch))
          if (static_cast<int>(b->ports.size()) < b->limit) sw.push_back(b->name);
        if (sw.empty()) return;
        std::string s = Pick(sw), t = AddBlock(n, kTerminal).name;
        return Connect(n, *n.Find(t), *n.Find(s));
      }
      case 2:  // a VCC between two terminals, maybe without a DC
        if (!te.empty()) AddVcc(n, Pick(te)->name, Pick(te)->name, Sensible("Service categorie"));
        return;
      default: AddDc(n);
    }
  }

  // The rows of the program's command table whose first word is one of
  // `firsts` (every row when there is none).
  static std::vector<const Command*> Rows(std::initializer_list<const char*> firsts) {
    std::vector<const Command*> v;
    for (const Command& c : AllCommands())
      for (const char* f : firsts)
        if (std::strcmp(c.words[0], f) == 0) v.push_back(&c);
    if (firsts.size() == 0)
      for (const Command& c : AllCommands()) v.push_back(&c);
    return v;
  }
  static std::string Head(const Command& c) {
    std::string h = c.words[0];
    for (int i = 1; i < 3 && c.words[i]; ++i) h += std::string(" ") + c.words[i];
    return h;
  }

  // A row of the command table, its arguments named from the model by their
  // kind and name; the model does not follow what it does.
  void AnyRow(Net& n, std::initializer_list<const char*> firsts) {
    static std::map<std::string, std::vector<const Command*>> rows;
    auto& list = rows[firsts.size() ? firsts.begin()[0] : ""];
    if (list.empty()) list = Rows(firsts);
    const Command& c = *Pick(list);
    if (std::strcmp(c.words[0], "run") == 0) return EmitRun(n);
    std::string line = Head(c), L = "ATM";
    Blk* b = n.blocks.empty() ? nullptr : &Pick(n.blocks);
    if (b) {
      auto objs = ObjectsOf(*b);
      if (!objs.empty()) L = Pick(objs).first;
    }
    auto block = [&] { return n.blocks.empty() ? std::string("x") : Pick(n.blocks).name; };
    for (const ArgRule& a : c.args) {
      if (a.kind == ArgKind::End) break;
      const std::string name = a.name ? a.name : "";
      switch (a.kind) {
        case ArgKind::Network: case ArgKind::LateNetwork: line += " " + Word(n.name); break;
        case ArgKind::NewNetwork: line += " " + Word(NewName("lan")); break;
        case ArgKind::Block: line += " " + Word(b ? b->name : "x"); break;
        case ArgKind::Layer: case ArgKind::LateLayer: case ArgKind::QS: line += " " + Word(L); break;
        case ArgKind::Number: line += " " + (name == "bandwidth" ? Number(LogUniform(1, 1e9)) : RunTime()); break;
        case ArgKind::Label: line += " " + Label(Chance(0.5)); break;
        case ArgKind::ParamText: {
          const ParamInfo& p = Pick(Pick(cat_.models).params);
          line += " " + ParamText(p, RoleOf("", p.name));
          break;
        }
        case ArgKind::DataText: line += " " + DataKey() + " " + DataValue(); break;
        default:
          line += " " + Word(name == "NCI"   ? (n.vccs.empty() ? "v0" : Pick(n.vccs).nci)
                             : name == "DCI" ? (n.dcs.empty() ? "d0" : Pick(n.dcs))
                             : name == "network_name" ? n.name
                             : name == "file_name" ? "any" + Num(Below(3)) + ".txt"
                             : name == "block_model" ? Pick(kModelWords)
                             : name == "service_categorie" ? Sensible("Service categorie")
                             : name.find("name") != std::string::npos ? block()
                                                                     : JunkWord());
      }
    }
    Emit(line);
  }

  void TopologyEdit(Net& n) {
    if (n.blocks.empty()) return;
    size_t i = Below(n.blocks.size());
    Blk& b = n.blocks[i];
    const std::string NB = Words({n.name, b.name});
    switch (Below(6)) {
      case 0:
        Emit("disconnect block " + NB);
        return Disconnect(n, b);
      case 1:
        Emit("remove block " + NB);
        if (!InUse(n, b)) {
          Disconnect(n, b);
          n.blocks.erase(n.blocks.begin() + static_cast<long>(i));
        }
        return;
      case 2:
        if (n.dcs.empty()) return;
        Emit("remove dc " + Words({n.name, n.dcs.back()}));
        n.dcs.pop_back();
        return;
      case 3: {
        if (n.vccs.empty()) return;
        size_t k = Below(n.vccs.size());
        Emit("remove vcc " + Words({n.name, n.vccs[k].nci}));
        if (!n.vccs[k].busy) n.vccs.erase(n.vccs.begin() + static_cast<long>(k));
        return;
      }
      case 4: {
        if (n.vccs.empty()) return;
        Vcc& v = Pick(n.vccs);
        if (!v.links.empty() && Chance(0.5)) {
          Emit("remove link " + Words({n.name, v.nci, v.links.back().first, v.links.back().second}));
          v.links.pop_back();
        } else if (v.path.size() > 1) {
          Emit("disconnect vcc block " + Words({n.name, v.nci, v.path.back(), v.path[v.path.size() - 2]}));
          v.path.pop_back();
          v.links.clear();
        }
        return;
      }
      default: {
        // A hop from the path's last block, or (saving pairs that mean
        // another path) from one before it.
        if (n.vccs.empty()) return;
        Vcc& v = Pick(n.vccs);
        std::string key = Chance(0.5) ? Pick(v.path) : v.path.back();
        Blk* k = n.Find(key);
        if (!k) return;
        std::string next = k->model == kTerminal ? k->equipmentPeer
                           : k->ports.empty()    ? std::string()
                                                 : std::next(k->ports.begin(), static_cast<long>(Below(k->ports.size())))->first;
        if (next.empty()) return;
        Emit("connect vcc block " + Words({n.name, v.nci, next, key}));
        if (key == v.path.back()) v.path.push_back(next);
        return;
      }
    }
  }
  static bool InUse(Net& n, const Blk& b) {
    for (Vcc& v : n.vccs)
      if (std::find(v.path.begin(), v.path.end(), b.name) != v.path.end()) return true;
    return b.model == kApplication && b.inDc;
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

  // A data entry's key and name, some of them the ones a run reads, and a
  // value with its type.
  std::string DataKey() {
    return Word(Chance(0.5) ? Pick({"DLN", "DBN", "PHY", "Interfaces", "v1"}) : "note" + Num(Below(5))) +
           " " + Word(Pick({"x", "NCI", "Status", "Output port", "Input VPI"}));
  }
  std::string DataValue() {
    std::string type = Pick(cat_.elementTypes);
    return TypeWord(type) + " " + Element(type, "", Chance(0.2));
  }
  // Data tables of the network, a block or a layer: entries written or
  // deleted, the keys a run reads among them.
  void DataEdit(Net& n) {
    std::string target = "network " + Word(n.name);
    if (Chance(0.6) && !n.blocks.empty()) {
      Blk& b = Pick(n.blocks);
      auto objs = ObjectsOf(b);
      target = Chance(0.5) || objs.empty() || objs[0].second ? "block " + Words({n.name, b.name})
                                                             : "layer " + Words({n.name, b.name, objs[0].first});
    }
    const std::string key = DataKey();
    switch (Below(3)) {
      case 0: return Emit("put data " + target + " " + key + " " + DataValue());
      case 1: return Emit("del data " + target + " " + key);
      default: return Emit("del key " + target + " " + key.substr(0, key.find(' ')));
    }
  }

  // file + save, and sometimes the network removed and loaded back.
  void SaveAndReload(Net& n) {
    std::string f = "saved" + Num(++uid_) + ".txt";
    Emit("file " + Words({n.name, f}));
    Emit("save " + Word(n.name));
    if (Chance(0.3)) {
      Emit("remove network " + Word(n.name));
      Emit("load " + Word(f));
    } else if (Chance(0.2)) {
      Emit("load " + Word(f));  // the network exists: the first command fails
    }
  }

  // A few commands written into a script file and loaded, with the line
  // forms a script may have.
  void LoadChunk(Net& n) {
    size_t from = script_.commands.size();
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
    std::string name = "chunk" + Num(++uid_) + ".txt";
    script_.files.push_back({name, text, true});
    Emit("load " + Word(name));
  }

  // A line of junk, or a real command cut short or with too many words.
  void Junk(Net& n) {
    static const char* const kLines[] = {
        "", "   ", "#", "# note", "create", "create nework x", "show parameters",
        "show parameters nets", "put nothing x", "connect vcc link x", "Quit", "quit now",
        "show vcc \"\"", "connect vcc \"\"", "run", "run x", "file", "file x", "save",
        "load", "load \"\"", "load nosuchfile.txt", "load .", "del data layer x", "\xff\xfe\xfd",
        "create network", "create block", "\"create\" network q", "create \"network\" q"};
    std::string line = Chance(0.6) ? Pick(kLines) : JunkWord();
    if (Chance(0.3)) {
      static const std::vector<const Command*> kHeads = Rows({"create", "remove", "connect", "disconnect", "put", "del", "show", "run"});
      line = Head(*Pick(kHeads));
      for (size_t i = 0, m = Below(7); i < m; ++i)
        line += " " + (Chance(0.5) && !n.blocks.empty() ? Word(Pick(n.blocks).name)
                       : Chance(0.3)                    ? Word(n.name)
                                                        : JunkWord());
    }
    Emit(line);
  }

  // Unreadable files, writes that fail, deep loads, long runs, and values
  // at the edge of what a run takes, each followed by a run.
  void Hostile(Net& n) {
    const std::string N = Word(n.name);
    auto te = Of(n, kTerminal, true);
    auto ap = Of(n, kApplication, true);
    Blk* t = te.empty() ? nullptr : Pick(te);
    switch (Below(10)) {
      case 0: return Emit("load /proc/self/mem");
      case 1:
        Emit("file " + N + " /dev/full");
        return Emit("save " + N);
      case 2:
        for (Blk* b : ap)
          if (b->source == "GENERIC") return EditLayer(n, *b, "GENERIC_TS", "Source file name", ".");
        return;
      case 3: {  // scripts that load one another, deeper than any sane limit
        int depth = Chance(0.05) ? 5000 : 70;
        for (int i = 0; i < depth; ++i)
          script_.files.push_back({"chain/" + Num(i) + ".txt",
                                   i + 1 < depth ? "load chain/" + Num(i + 1) + ".txt\n" : "show network " + N + "\n",
                                   true});
        return Emit("load chain/0.txt");
      }
      case 4: {
        // A long end time on sources with little to send: the run ends when
        // the traffic is done. Batch sources whose packets reach no
        // connection draw batches as long as the run lasts: they send
        // nothing. OAM cells are sent as long as a run lasts: off. These
        // edits must take effect: no variation is put on them.
        exact_ = true;
        for (Blk* b : ap)
          if (b->source != "GENERIC")
            EditLayer(n, *b, b->source + "_TS", "Number of bytes to be sent", b->source == "VBR_BATCH" ? "0" : "2000");
        for (Blk& b : n.blocks)
          for (const auto& object : ObjectsOf(b))
            if (!object.second && object.first.rfind("PHY", 0) == 0)
              EditLayer(n, b, object.first, "OAM transmition status", "OFF");
        exact_ = false;
        script_.commands.push_back("run " + N + " " + Pick({"100000", "1e9"}));
        return;
      }
      case 5:
        Emit("put parameter network " + N + " big int " + Pick({"100000000", "9223372036854775807"}) + " 0 big SHOW");
        return Emit(Pick({"show parameters network ", "save "}) + N);
      case 6:  // entries a run reads, changed in a block's own table
        for (Vcc& v : n.vccs)
          if (n.Find(v.path[0])) return Emit("del key block " + Words({n.name, v.path[0], v.nci}));
        return;
      case 7:  // a subnormal bit rate, a negative delay, a busy log
        if (!t) break;
        if (Chance(0.3)) EditLayer(n, *t, "PHY", "Bit rate", Pick({"1e-310", "4.9e-324"}));
        if (Chance(0.3)) EditLayer(n, *t, "AAL5", "Cell packetization delay", Pick({"-1", "-1e308", "-1e-6"}));
        if (Chance(0.3)) EditLayer(n, *t, "ATM", "Sample statistics status", "ON");
        if (Chance(0.3)) EditLayer(n, *t, "ATM", "Logging every x secs", "1e-12");
        break;
      case 8:  // packets over 65535 bytes
        for (Blk* b : ap)
          if (b->source == "CBR") {
            EditLayer(n, *b, "CBR_TS", "Packet length", Chance(0.1) ? "400000000" : Pick({"70000", "1000000"}));
            break;
          }
        break;
      default: {  // a block loses its neighbours, then a run
        if (n.blocks.empty()) return;
        Blk& b = Pick(n.blocks);
        Emit("disconnect block " + Words({n.name, b.name}));
        Disconnect(n, b);
      }
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
