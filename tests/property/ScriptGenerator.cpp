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
  out << "# seed " << seed << ", check runs of " << checkTime << " s\n# known faults:";
  for (const std::string& f : features) out << ' ' << f;
  out << '\n';
  for (const AuxFile& f : files)
    out << "# file " << f.name << " (" << f.content.size() << " bytes):\n" << f.content
        << "\n# end of file " << f.name << "\n";
  for (const std::string& c : commands) out << c << '\n';
  return out.str();
}

Profile ProfileFromEnvironment(Profile fallback) {
  const char* v = std::getenv("CELVANE_PROPERTY_PROFILE");
  if (!v) return fallback;
  std::string s(v);
  return s == "full" ? Profile::Full : s == "safe" ? Profile::Safe : fallback;
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

// What a parameter's value means, which decides its sensible and its extreme
// values. Found from the parameter name.
enum class Role {
  Rate, PhyRate, Period, PacketizationDelay, LogPeriod, Time, Bytes, Cells, MeanCells,
  PacketLength, Distance, Speed, BufferSize, LogCells, Ports, Applications, Flag, BufferType,
  StopMode, TrafficSource, Category, Aal, SourceFile, Path, Text,
};

Role RoleOf(const std::string& layerOrQs, const std::string& name) {
  static const std::map<std::string, Role> kByName = {
      {"Bit rate", Role::Rate}, {"Slot time", Role::Period},
      {"Mean interval between batches", Role::Period},
      {"Cell packetization delay", Role::PacketizationDelay},
      {"Logging every x secs", Role::LogPeriod}, {"Start time", Role::Time},
      {"Number of bytes to be sent", Role::Bytes}, {"Number of cells to be sent", Role::Cells},
      {"Mean number of ATM cells", Role::MeanCells}, {"Packet length", Role::PacketLength},
      {"Distance", Role::Distance}, {"Propagation speed", Role::Speed},
      {"Buffer size", Role::BufferSize}, {"Logging every x cells", Role::LogCells},
      {"Number of ports", Role::Ports}, {"Number of applications", Role::Applications},
      {"Buffer type", Role::BufferType}, {"Stop to send at", Role::StopMode},
      {"Traffic source", Role::TrafficSource}, {"Service categorie", Role::Category},
      {"ATM adaptation layer", Role::Aal}, {"Source file name", Role::SourceFile},
      {"Path", Role::Path}};
  auto it = kByName.find(name);
  if (it != kByName.end()) {
    if (it->second == Role::Rate && layerOrQs.compare(0, 3, "PHY") == 0) return Role::PhyRate;
    return it->second;
  }
  if (name.size() > 7 && name.compare(name.size() - 7, 7, " status") == 0) return Role::Flag;
  return Role::Text;
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
  bool sendsInDc = false;
  bool inDc = false;  // sends or receives in a DC
};

struct Vcc {
  std::string nci, category;
  std::vector<std::string> path;
  std::vector<std::pair<std::string, std::string>> links;
  bool busy = false;
};

struct Net {
  std::string name;
  std::vector<Blk> blocks;
  std::vector<Vcc> vccs;
  std::vector<std::string> dcs;
  std::set<std::string> addedParams;    // parameter names the script made up
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
  Generator(uint64_t seed, Profile profile, const std::set<std::string>* known)
      : rng_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull), cat_(ProgramCatalog()) {
    script_.seed = seed;
    // A Full script takes a random few of the edits known to fail, or none.
    if (known) enabled_ = *known;
    else if (profile == Profile::Full && Chance(0.7))
      for (const char* f : kKnownFeatures)
        if (Chance(0.12)) enabled_.insert(f);
  }

  Script Make() {
    static const double kCheckTimes[] = {1e-5, 3e-5, 5e-5, 1e-4, 2e-4};
    script_.checkTime = kCheckTimes[Below(std::size(kCheckTimes))];
    int networks = Chance(0.2) ? 2 : 1;
    for (int i = 0; i < networks; ++i) BuildNetwork();
    const size_t steps = 10 + Below(Chance(0.1) ? 300 : 80);
    for (size_t i = 0; i < steps; ++i) Step();
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

  // -- words ------------------------------------------------------------------
  static std::string Q(const std::string& s) { return "\"" + s + "\""; }
  // A name as typed: quoted when it must be, sometimes quoted anyway.
  std::string Word(const std::string& s) {
    bool plain = !s.empty() && s.find_first_of(" \t\n\r\v\f\"") == std::string::npos;
    return plain && Chance(0.5) ? s : Q(s);
  }
  std::string Number(double v) {
    std::ostringstream o;
    switch (Below(4)) {
      case 0: o.precision(17); break;
      case 1: o.precision(3); break;
      default: o.precision(6); break;
    }
    o << v;
    return o.str();
  }
  std::string JunkWord() {
    if (Chance(0.05)) return std::string(200 + Below(3000), "xyz_Q9"[Below(6)]);
    return kJunkWords[Below(std::size(kJunkWords))];
  }
  std::string NewName(const std::string& stem) {
    std::string n = stem + std::to_string(++uid_);
    if (Chance(0.92)) return n;
    size_t k = Below(9);
    if (k >= 6 && !Known("odd-names", true)) k = Below(6);
    switch (k) {
      case 0: return stem + " " + std::to_string(uid_);
      case 1: return "create" + n;
      case 2: return "#" + n;
      case 3: return "\xc3\x9c" + n;  // UTF-8 text
      case 4: return std::string(40 + Below(300), 'w') + n;
      case 5: return n + "\t" + "tab";
      case 6: return n + "\"q";       // a quote inside a name
      case 7: return n + "\nline";    // a line break inside a name
      default: return "\xff" + n;     // not UTF-8
    }
  }

  // -- numbers by role --------------------------------------------------------
  std::string Extreme(Role role, bool integer) {
    std::vector<std::string> v = {"0", "-1", "-0", "1e308", "1.7976931348623157e308",
                                  "1e999", "-1e999", "nan", "inf", "-inf", "NaN",
                                  "infinity", "1e-300", "12abc", "0x10", "+5", ".5", "5.",
                                  "99999999999999999999999", std::string(400, '9'),
                                  "4.9e-324", "1e-310"};
    if (integer)
      for (const char* x : {"2147483647", "2147483648", "-2147483649", "32767", "32768",
                            "-32769", "65535", "65536", "4294967295", "4294967296",
                            "9223372036854775807", "9223372036854775808"})
        v.push_back(x);
    if (role == Role::LogPeriod) v.push_back("1e-12");
    if (role == Role::PacketLength) v.push_back("400000000");
    if (role == Role::PacketizationDelay) v.push_back("-1e308");
    for (;;) {
      const std::string& x = Pick(v);
      const double d = std::strtod(x.c_str(), nullptr);
      const bool number = x.find_first_not_of("0123456789.e+-") == std::string::npos;
      // Known faults: a subnormal bit rate turns the cell time infinite; a
      // negative packetization delay is taken; packets over 65535 bytes;
      // logging intervals that write gigabytes.
      if (number && d != 0 && std::fabs(d) < 2.3e-308 &&
          (role == Role::PhyRate || role == Role::Rate) && !Known("subnormal-rate", true))
        continue;
      if (role == Role::PacketizationDelay && x[0] == '-' && !Known("aal5-negative", true)) continue;
      if (role == Role::PacketLength && number && d > 65535 && !Known("packet-length", true)) continue;
      if (x == "1e-12" && !Known("log-interval", true)) continue;
      return x;
    }
  }

  std::string Sensible(Role role) {
    switch (role) {
      case Role::Rate: return Number(LogUniform(1e5, 1e8));
      case Role::PhyRate: return Number(Chance(0.5) ? 155520000 : LogUniform(1e6, 6.2e8));
      case Role::Period: return Number(LogUniform(3e-7, 5e-5));
      case Role::PacketizationDelay: return Number(Chance(0.3) ? 0 : LogUniform(1e-10, 1e-6));
      case Role::LogPeriod: return Number(LogUniform(2e-6, 2e-3));
      case Role::Time: return Number(Chance(0.5) ? 0 : LogUniform(1e-7, 1e-4));
      case Role::Bytes: return Number(Chance(0.3) ? 1e9 : std::floor(LogUniform(1, 1e6)));
      case Role::Cells: return Number(std::floor(LogUniform(1, 1e6)));
      case Role::MeanCells: return Number(LogUniform(0.01, 50));
      case Role::PacketLength:
        return Number(Chance(0.2) ? 65535 : std::floor(LogUniform(1, 9180)));
      case Role::Distance: return Number(LogUniform(0.1, 1e5));
      case Role::Speed: return Number(LogUniform(1e6, 3e8));
      case Role::BufferSize: return std::to_string(Chance(0.2) ? 4294967295u : Below(2000));
      case Role::LogCells: return std::to_string(1 + Below(100));
      case Role::Ports: return std::to_string(1 + Below(16));
      case Role::Applications: return std::to_string(1 + Below(8));
      case Role::Flag: return Chance(0.85) ? Pick({"ON", "OFF"}) : Pick({"on", "YES", "1"});
      case Role::BufferType: return Pick({"FINITE", "INFINITE", "finite", "OTHER"});
      case Role::StopMode: return Pick({"END", "MAX_CELLS", "MAX_BYTES", "NEVER"});
      case Role::TrafficSource: return Pick({"CBR", "VBR_BATCH", "GENERIC", "CBR", "POISSON"});
      case Role::Category: return Pick({"CBR", "VBR", "UBR", "rt-VBR", "nrt-VBR", "ABR"});
      case Role::Aal: return Chance(0.9) ? "AAL5" : "AAL2";
      case Role::SourceFile: return PacketFile();
      case Role::Path: return PathPrefix();
      case Role::Text: break;
    }
    static const char* const kTexts[] = {"text", "a b c", "", "\xc3\xa9t\xc3\xa9", "x\ty",
                                         "#hash", "create network x"};
    return Pick(kTexts);
  }
  static bool IsInteger(const std::string& type) {
    return type == "int" || type == "long" || type == "short int" || type == "unsigned int";
  }
  static std::string TypeWord(const std::string& type) {
    return type.find(' ') == std::string::npos ? type : Q(type);
  }
  std::string PathPrefix() {
    static const char* const kPaths[] = {"C:\\", "", "out/", "r/x_", "dir with blank/", "p_"};
    return Pick(kPaths);
  }

  // A string value as typed. A text holding a double quote is saved between
  // quotes as it is and reads back as other words (known): Full only.
  std::string Text(std::string v) {
    if (!Known("quotes", v.find('"') != std::string::npos))
      v.erase(std::remove(v.begin(), v.end(), '"'), v.end());
    return Word(v);
  }

  // One element value of a type, for a parameter of a role.
  std::string Element(const std::string& type, Role role, bool extreme) {
    if (type == "string") {
      if (role == Role::Path) return Q(PathPrefix());
      std::string v = extreme ? JunkWord() : Sensible(role);
      // "." names a directory (a known fault for a packet file).
      if (role == Role::SourceFile && v == "." && !Known("directory-source", true)) v = "none.txt";
      return Text(v);
    }
    if (type == "unsigned char") return Chance(0.8) ? "z" : "\xff";
    std::string v = extreme ? Extreme(role, IsInteger(type)) : Sensible(role);
    if (IsInteger(type) && !extreme) {
      double d = std::atof(v.c_str());
      v = std::to_string(static_cast<long long>(std::min(d, 2147483647.0)));
    }
    if (type == "complex") return Chance(0.5) ? "(" + v + ", " + Number(Below(3)) + ")" : v;
    return v;
  }

  // A complete parameter text: name, type, size, values, description, option.
  std::string ParamText(const ParamInfo& p, Role role, const std::string* forced = nullptr) {
    std::string type = p.type;
    if (Chance(0.04) && !exact_) type = Pick(cat_.elementTypes);
    bool extreme = !forced && Chance(0.15);
    long rows = 1, cols = 1;
    if (Chance(0.04) && !exact_) {
      rows = static_cast<long>(Below(4));
      cols = static_cast<long>(Below(4));
    }
    std::ostringstream t;
    t << Q(p.name) << ' ' << TypeWord(type) << ' ';
    // N x 0 parameters of any N are accepted and make output blow up (known).
    if (Chance(0.01) && !exact_ && Known("huge-parameter", true)) {
      t << Pick({"9223372036854775807", "100000000", "4611686018427387904"}) << " 0";
      rows = cols = 0;
    } else {
      t << rows << ' ' << cols;
    }
    for (long i = 0; i < rows * cols; ++i)
      t << (Chance(0.05) ? "\n" : " ")
        << (!forced ? Element(type, role, extreme) : type == "string" ? Text(*forced) : *forced);
    if (Chance(0.9)) t << (Chance(0.1) ? "\n" : " ") << Q(p.description.empty() ? p.name : p.description);
    if (Chance(0.9)) t << (Chance(0.1) ? "\n" : " ") << Pick({"SHOW", "SHOW", "SHOW", "HIDE", "x"});
    return t.str();
  }

  std::string RunTime() {
    static const char* const kTimes[] = {"1e-6", "5e-6", "2e-5", "5e-5", "1e-4", "0.0001",
                                         "0",    "-1",   "nan",  "1e-310", "abc", "1e-4x"};
    return Chance(0.85) ? kTimes[Below(6)] : kTimes[Below(std::size(kTimes))];
  }

  // A packet file for a file-driven source: times and lengths, some odd.
  std::string PacketFile() {
    if (Chance(0.03) && Known("directory-source", true)) return ".";
    std::string name = "pk" + std::to_string(++uid_) + ".txt";
    std::ostringstream c;
    int n = static_cast<int>(Below(12));
    double t = 0;
    for (int i = 0; i < n; ++i) {
      t += LogUniform(1e-7, 3e-5);
      if (Chance(0.08)) {
        c << Pick({"x 40", "1e-5", "-1e-5 40", "nan 40", "1e-5 inf", "\xff", "1e-5 0",
                   "1e-5 -3", "1e999 40", "1e-5\t40"}) << '\n';
        continue;
      }
      double len = Chance(0.1) ? 65535 : std::floor(LogUniform(1, 9180));
      if (Chance(0.05) && Known("packet-length", true)) len = 1e6;
      c << Number(t) << (Chance(0.2) ? "\t" : " ") << Number(len) << (Chance(0.1) ? "\r\n" : "\n");
    }
    script_.files.push_back({name, c.str(), false});
    return name;
  }

  // -- emitting -----------------------------------------------------------------
  // Adds a command, sometimes mutated. In Safe, a command the model counts
  // on (free = false) only gets changes that keep its meaning, so that the
  // model stays true to the program and steers clear of the known faults.
  void Emit(std::string cmd, bool free = false) {
    if (Chance(0.05) && !exact_) cmd = free || Known("mutations", true) ? Mutate(cmd) : Reformat(cmd);
    Sandbox(cmd);
    script_.commands.push_back(std::move(cmd));
  }
  void EmitFree(std::string cmd) { Emit(std::move(cmd), true); }
  // A run keeps its end time: a cut "5e-5" would be a run of 5 s.
  void EmitRun(const Net& n) {
    std::string cmd = "run " + Word(n.name) + " " + RunTime();
    if (Chance(0.05)) cmd = Reformat(cmd);
    script_.commands.push_back(cmd);
  }

  // The same command with other blanks, or with words after its end.
  std::string Reformat(std::string c) {
    switch (Below(3)) {
      case 0: return Pick({" ", "  ", "\t"}) + c;
      case 1: return c + " " + (Chance(0.5) ? std::string(1000 + Below(5000), 'L') : JunkWord());
      default: {
        std::string r;
        bool quoted = false;
        for (char ch : c) {
          if (ch == '"') quoted = !quoted;
          r += ch == ' ' && !quoted && Chance(0.3) ? Pick<std::string>({"\t", "   ", " \t "}) : std::string(1, ch);
        }
        return r;
      }
    }
  }

  // No path may leave the working folder: a "/" is kept only in the relative
  // prefixes the generator writes itself (and the special files of Full).
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
    switch (Below(11)) {
      case 0: c.resize(Below(c.size() + 1)); break;  // may leave a quote open
      case 1: {
        size_t q = c.find('"', Below(c.size() + 1));
        if (q != std::string::npos) c.erase(q, 1);
        break;
      }
      case 2: {
        size_t b = c.find(' ', Below(c.size() + 1));
        if (b != std::string::npos) c.insert(b, " " + JunkWord());
        break;
      }
      case 3: {  // a word replaced
        size_t b = c.find(' ', Below(c.size() + 1));
        if (b == std::string::npos) break;
        size_t e = c.find(' ', b + 1);
        c.replace(b + 1, e == std::string::npos ? std::string::npos : e - b - 1, JunkWord());
        break;
      }
      case 4: {  // a junk suffix on a number
        for (size_t i = Below(c.size() + 1); i < c.size(); ++i)
          if (std::isdigit(static_cast<unsigned char>(c[i])) &&
              (i + 1 == c.size() || c[i + 1] == ' ')) {
            c.insert(i + 1, Pick(kNumberSuffixes));
            break;
          }
        break;
      }
      case 5: c += " " + c; break;
      case 6: if (!c.empty()) c[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(c[0]))); break;
      case 7:
        c.insert(Below(c.size() + 1),
                 Pick<std::string>({"\xff\xfe", "\xc3", "\xe2\x82", std::string(1, '\0')}));
        break;
      case 8: {
        size_t b = c.find(' ', Below(c.size() + 1));
        if (b != std::string::npos) c.replace(b, 1, Pick({"\t", "   ", "\r", "\v", "\f", "\n"}));
        break;
      }
      case 9: c = (Chance(0.5) ? "#" : "# ") + c; break;
      default: c += " " + std::string(1000 + Below(5000), 'L'); break;
    }
    return c;
  }

  // -- building ---------------------------------------------------------------
  Net& CurrentNet() { return Pick(nets_); }

  void PutParam(const std::string& head, const ParamInfo& p, Role role,
                const std::string* forced = nullptr) {
    Emit(head + " " + ParamText(p, role, forced));
  }
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

  void NetworkParam(Net& n, const std::string& name, const std::string& value) {
    const ParamInfo* p = FindParam(cat_.network, name);
    if (p) PutParam("put parameter network " + Word(n.name), *p, RoleOf("", name), &value);
  }

  Blk& AddBlock(Net& n, Model m) {
    static const char* const kStems[] = {"T", "S", "A"};
    Blk b;
    b.name = NewName(kStems[m]);
    b.model = m;
    b.limit = m == kSwitch ? 8 : 4;
    Emit("create block " + Word(n.name) + " " + Word(b.name) + " " + Q(kModelWords[m]) + " " +
         Word(Pick({"te", "sw", "app", "x", "a type"})));
    n.blocks.push_back(b);
    return n.blocks.back();
  }

  // The application's traffic source, chosen before it is connected.
  void ChooseSource(Net& n, Blk& a) {
    std::string src = kTrafficSources[Below(3)];
    // VBR batch sources draw from streams numbered in order of construction,
    // so a reloaded copy gets other streams (known): Full only.
    if (src == "VBR_BATCH" && !Known("vbr", true)) src = "CBR";
    if (src == "CBR" && Chance(0.6)) return;
    const ParamInfo* p = FindParam(ModelOf(kApplication).params, "Traffic source");
    PutParam("put parameter block " + Word(n.name) + " " + Word(a.name), *p, Role::TrafficSource,
             &src);
    a.source = src;
    a.category = src == "CBR" ? "CBR" : "VBR";
  }

  bool Connect(Net& n, Blk& a, Blk& b) {
    std::string iface = (a.model == kApplication || b.model == kApplication)
                            ? Pick({"app", "x", "\"\"", "CB_PHYSICAL_LAYER"})
                            : "CB_PHYSICAL_LAYER";
    if (Chance(0.5)) Emit("connect block " + Word(n.name) + " " + Word(a.name) + " " + Word(b.name) + " " + iface);
    else Emit("connect block " + Word(n.name) + " " + Word(b.name) + " " + Word(a.name) + " " + iface);
    Blk* app = a.model == kApplication ? &a : b.model == kApplication ? &b : nullptr;
    if (app) {
      Blk* term = app == &a ? &b : &a;
      app->attachedTo = term->name;
      ++term->apps;
      return true;
    }
    for (auto [x, y] : {std::make_pair(&a, &b), std::make_pair(&b, &a)}) {
      if (x->model == kTerminal) x->equipmentPeer = y->name;
      if (x->model == kSwitch) {
        int port = static_cast<int>(x->ports.size());
        std::set<int> used;
        for (auto& kv : x->ports) used.insert(kv.second);
        if (used.count(port)) {
          port = 0;
          while (used.count(port)) ++port;
        }
        x->ports[y->name] = port;
      }
    }
    return true;
  }

  void BuildNetwork() {
    Net n;
    n.name = NewName("lan");
    script_.networks.push_back(n.name);
    Emit("create network " + Word(n.name));
    nets_.push_back(n);
    Net& net = nets_.back();
    if (Chance(0.75)) NetworkParam(net, "Simulation log status", "ON");
    if (Chance(0.6)) NetworkParam(net, "Path", PathPrefix());
    if (Chance(0.2)) NetworkParam(net, "Performance log status", "OFF");

    int shape = static_cast<int>(Below(4));
    int switches = shape == 0 ? 0 : shape == 1 ? 1 : shape == 2 ? 2 : static_cast<int>(Below(2));
    int terminals = 2 + static_cast<int>(Below(3));
    int apps = static_cast<int>(Below(terminals + 2));
    std::vector<Model> order;
    for (int i = 0; i < switches; ++i) order.push_back(kSwitch);
    for (int i = 0; i < terminals; ++i) order.push_back(kTerminal);
    for (int i = 0; i < apps; ++i) order.push_back(kApplication);
    std::shuffle(order.begin(), order.end(), rng_);
    for (Model m : order) AddBlock(net, m);
    std::vector<size_t> sw, te, ap;
    for (size_t i = 0; i < net.blocks.size(); ++i)
      (net.blocks[i].model == kSwitch ? sw : net.blocks[i].model == kTerminal ? te : ap).push_back(i);
    for (size_t i : ap) ChooseSource(net, net.blocks[i]);
    if (sw.size() == 2) Connect(net, net.blocks[sw[0]], net.blocks[sw[1]]);
    for (size_t k = 0; k < te.size(); ++k) {
      if (sw.empty()) {
        if (k % 2 == 1) Connect(net, net.blocks[te[k - 1]], net.blocks[te[k]]);
      } else {
        Connect(net, net.blocks[te[k]], net.blocks[sw[k % sw.size()]]);
      }
    }
    for (size_t k = 0; k < ap.size(); ++k) Connect(net, net.blocks[ap[k]], net.blocks[te[k % te.size()]]);
    for (int i = 0, m = static_cast<int>(Below(5)); i < m; ++i) EditParameter(net, false);
    for (int i = 0, m = static_cast<int>(1 + Below(3)); i < m; ++i) AddDc(net);
    if (Chance(0.5)) EmitRun(net);
  }

  // Equipment path from terminal a to terminal b over the wires (switches
  // relay, terminals do not).
  std::vector<std::string> Route(Net& n, const std::string& from, const std::string& to) {
    std::map<std::string, std::string> prev;
    std::deque<std::string> todo{from};
    prev[from] = "";
    while (!todo.empty()) {
      std::string x = todo.front();
      todo.pop_front();
      if (x == to) break;
      Blk* bx = n.Find(x);
      if (!bx || (bx->model == kTerminal && x != from)) continue;
      std::vector<std::string> peers;
      if (bx->model == kTerminal && !bx->equipmentPeer.empty()) peers.push_back(bx->equipmentPeer);
      if (bx->model == kSwitch)
        for (auto& kv : bx->ports) peers.push_back(kv.first);
      for (const std::string& p : peers)
        if (!prev.count(p) && n.Find(p)) {
          prev[p] = x;
          todo.push_back(p);
        }
    }
    if (!prev.count(to)) return {};
    std::vector<std::string> path;
    for (std::string x = to; !x.empty(); x = prev[x]) path.push_back(x);
    std::reverse(path.begin(), path.end());
    return path;
  }

  std::string Label(bool vci) {
    if (Chance(0.03)) return Pick({"-1", "65536", "1e3", "x", "2.5", "70000", "65535", "0"});
    return std::to_string(vci ? 32 + Below(65500) : Below(256));
  }

  Vcc* AddVcc(Net& n, const std::string& from, const std::string& to, const std::string& category) {
    std::vector<std::string> path = Route(n, from, to);
    if (path.empty()) return nullptr;
    Vcc v;
    v.nci = NewName("v");
    v.category = category;
    v.path = {path[0]};
    // A bandwidth read only in part ("0x10") makes its rest the first block:
    // Full only, as the model would lose track of the path.
    std::string bw = Chance(0.9)   ? "155520000"
                     : Chance(0.5) ? Number(LogUniform(1e3, 1e9))
                     : Known("partial-numbers", true) ? Extreme(Role::Rate, false)
                                   : Pick({"0", "-1", "1e308", "1e-300", "nan"});
    Emit("create vcc " + Word(n.name) + " " + Word(v.nci) + " " + Word(category) + " " + bw + " " +
         Word(from));
    for (size_t i = 1; i < path.size(); ++i) {
      Emit("connect vcc block " + Word(n.name) + " " + Word(v.nci) + " " + Word(path[i]) + " " +
           Word(path[i - 1]));
      v.path.push_back(path[i]);
    }
    for (size_t i = 1; i < path.size(); ++i) {
      if (Chance(0.05)) continue;  // a hop without labels
      Emit("create link " + Word(n.name) + " " + Word(v.nci) + " " + Word(path[i - 1]) + " " +
           Word(path[i]) + " " + Label(false) + " " + Label(true));
      v.links.push_back({path[i - 1], path[i]});
    }
    n.vccs.push_back(v);
    return &n.vccs.back();
  }

  // A DC between two applications, on a VCC made for it.
  void AddDc(Net& n) {
    auto apps = Of(n, kApplication, true);
    if (apps.empty()) return;
    Blk* s = Pick(apps);
    Blk* r = Pick(apps);
    if (s->source == "GENERIC")
      EditLayer(n, *s, s->source + "_TS", "Source file name", PacketFile());
    if (Chance(0.5) && Known("dc-source-edit", s->sendsInDc))
      EditLayer(n, *s, s->source + "_TS", "Bit rate", Sensible(Role::Rate));
    if (Chance(0.3)) EditLayer(n, *r, "TR", "Sample statistics status", "ON");
    if (!AddVcc(n, s->attachedTo, r->attachedTo, s->category)) return;
    std::string d = NewName("d");
    Emit("create dc " + Word(n.name) + " " + Word(d) + " " + Word(s->name) + " " + Word(r->name));
    n.dcs.push_back(d);
    s->sendsInDc = true;
    s->inDc = r->inDc = true;
    n.vccs.back().busy = true;
  }

  void EditLayer(Net& n, Blk& b, const std::string& layer, const std::string& param,
                 const std::string& value) {
    const ObjectInfo* o = Object(b.model, PortPattern(layer), false);
    const ParamInfo* p = o ? FindParam(o->params, param) : nullptr;
    if (!p) return;
    PutParam("put parameter layer " + Word(n.name) + " " + Word(b.name) + " " + Word(layer), *p,
             RoleOf(layer, param), &value);
  }

  // The layers and queueing systems a block has now (as far as the model knows).
  std::vector<std::pair<std::string, bool>> ObjectsOf(const Blk& b) {
    std::vector<std::pair<std::string, bool>> v;
    switch (b.model) {
      case kTerminal:
        v = {{"ATM", false}, {"AAL5", false}};
        if (!b.equipmentPeer.empty()) v.insert(v.end(), {{"PHY", false}, {"PHY_QS", true}});
        break;
      case kSwitch:
        v = {{"ATM", false}};
        for (auto& kv : b.ports) {
          std::string k = std::to_string(kv.second);
          v.insert(v.end(), {{"PHY_" + k, false}, {"PHY_QS_" + k, true}, {"ATM_QS_" + k, true}});
        }
        break;
      case kApplication:
        if (!b.attachedTo.empty()) v = {{"TR", false}, {b.source + "_TS", false}};
        break;
    }
    if (Chance(0.03)) v.push_back({Pick({"PHY_99", "NOPE", "PHY_QS_7", "atm", ""}), Chance(0.5)});
    return v;
  }

  // A parameter of the network, a block, a layer or a queueing system is set
  // (sensible or extreme value, sometimes another type or shape), or deleted.
  void EditParameter(Net& n, bool allowDelete) {
    bool del = allowDelete && Chance(0.12);
    int target = static_cast<int>(Below(n.blocks.empty() ? 1 : 6));
    if (target == 0) {
      const ParamInfo& p = cat_.network[Below(cat_.network.size())];
      if (del) return DelParam(n, "network " + Word(n.name), p.name, "");
      Role role = RoleOf("", p.name);
      // Traffic sources and queues keep the "Path" they were made with, while
      // a reloaded copy makes them all under the last one (known): Safe sets
      // it before the first block only.
      if (role == Role::Path && !Known("late-path", !n.blocks.empty())) return;
      std::string v = role == Role::Path ? PathPrefix() : Chance(0.1) ? JunkWord() : Sensible(role);
      if (role == Role::Flag && Chance(0.6)) v = "ON";
      PutParam("put parameter network " + Word(n.name), p, role, &v);
      return;
    }
    Blk& b = Pick(n.blocks);
    if (target == 1) {
      const std::vector<ParamInfo>& list = ModelOf(b.model).params;
      const ParamInfo& p = list[Below(list.size())];
      if (del) return DelParam(n, "block " + Word(n.name) + " " + Word(b.name), p.name, "");
      Role role = RoleOf("", p.name);
      std::string v = Sensible(role);
      if (Chance(0.1)) v = Extreme(role, IsInteger(p.type));
      if (!AllowedBlockEdit(n, b, role, v)) return;
      PutParam("put parameter block " + Word(n.name) + " " + Word(b.name), p, role, &v);
      ApplyBlockEdit(b, role, v);
      return;
    }
    auto objects = ObjectsOf(b);
    if (objects.empty()) return;
    auto [obj, qs] = objects[Below(objects.size())];
    const ObjectInfo* o = Object(b.model, PortPattern(obj), qs);
    static const ObjectInfo kNone{"", {{"Made up", "double", "Made up"}}};
    if (!o) o = &kNone;
    const ParamInfo& p = o->params[Below(o->params.size())];
    std::string head = std::string(qs ? "QS " : "layer ") + Word(n.name) + " " + Word(b.name) +
                       " " + Word(obj);
    if (del) return DelParam(n, head, p.name, obj);
    Role role = RoleOf(obj, p.name);
    if (!AllowedLayerEdit(n, b, role)) return;
    if (Chance(0.05)) {  // a parameter no object declares
      ParamInfo made{"Made up " + std::to_string(++uid_), Pick(cat_.elementTypes), "made"};
      n.addedParams.insert(made.name);
      return PutParam("put parameter " + head, made, Role::Text);
    }
    std::string forced = Role::Flag == role && Chance(0.7) ? "ON" : std::string();
    PutParam("put parameter " + head, p, role, forced.empty() ? nullptr : &forced);
    if (role == Role::Category && !qs) b.category = "?";
  }

  // Safe leaves out block edits that a saved script cannot replay today:
  // lowering "Number of ports" / "Number of applications" below what is
  // connected, and changing the traffic source of a connected application.
  bool AllowedBlockEdit(Net&, Blk& b, Role role, const std::string& v) {
    long x = std::atol(v.c_str());
    bool digits = v.find_first_not_of("0123456789") == std::string::npos && x <= 32767;
    if (role == Role::Ports) {
      int need = 0;
      for (auto& kv : b.ports) need = std::max(need, kv.second + 1);
      return Known("lower-ports", !(digits && x >= need));
    }
    if (role == Role::Applications) return Known("lower-ports", !(digits && x >= b.apps));
    if (role == Role::TrafficSource) return Known("traffic-source", !b.attachedTo.empty());
    return true;
  }
  void ApplyBlockEdit(Blk& b, Role role, const std::string& v) {
    if (role == Role::Ports || role == Role::Applications) b.limit = std::atoi(v.c_str());
    if (role == Role::TrafficSource && b.attachedTo.empty()) {
      b.source = v;
      b.category = v == "CBR" ? "CBR" : "VBR";
    }
  }
  // What create dc checked (category, bit rate, AAL) must stay while the DC
  // exists: the saved parameter would come before create dc and block it
  // (known). Safe keeps them.
  bool AllowedLayerEdit(Net&, Blk& b, Role role) {
    return Known("dc-source-edit", b.sendsInDc && (role == Role::Category || role == Role::Rate ||
                                                   role == Role::Aal));
  }

  // Deleting a parameter the objects declare brings it back with its default
  // when a saved script is reloaded (known): Safe deletes made-up ones only.
  void DelParam(Net& n, const std::string& head, const std::string& name, const std::string&) {
    std::string victim = name;
    if (!Known("del-default", true)) {
      if (n.addedParams.empty()) return;
      victim = *std::next(n.addedParams.begin(), static_cast<long>(Below(n.addedParams.size())));
    }
    Emit("del parameter " + head + " " + Word(victim));
  }

  // -- random steps -------------------------------------------------------------
  void Step() {
    if (nets_.empty() || Chance(0.01)) return BuildNetwork();
    Net& n = CurrentNet();
    switch (Below(20)) {
      case 0: case 1: case 2: case 3: case 4: return EditParameter(n, true);
      case 5: case 6: return Build(n);
      case 7: case 8: case 9: return Show(n);
      case 10: return EmitRun(n);
      case 11: return TopologyEdit(n);
      case 12: return DataEdit(n);
      case 13: return SaveAndReload(n);
      case 14: return LoadChunk(n);
      case 15: case 16: return Junk(n);
      case 17: return Hostile(n);
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
        Connect(n, *n.Find(t), *n.Find(s));
        return;
      }
      case 2:  // a VCC between two terminals, maybe without a DC
        if (!te.empty()) AddVcc(n, Pick(te)->name, Pick(te)->name, Sensible(Role::Category));
        return;
      default: AddDc(n);
    }
  }

  // The rows of the program's command table whose first word is one of `firsts`.
  static std::vector<const Command*> Rows(std::initializer_list<const char*> firsts) {
    std::vector<const Command*> v;
    for (const Command& c : AllCommands())
      for (const char* f : firsts)
        if (std::strcmp(c.words[0], f) == 0) v.push_back(&c);
    return v;
  }
  static std::string Head(const Command& c) {
    std::string h = c.words[0];
    for (int i = 1; i < 3 && c.words[i]; ++i) h += std::string(" ") + c.words[i];
    return h;
  }

  // A show command of the table, its arguments named from the model.
  void Show(Net& n) {
    static const std::vector<const Command*> kShows = Rows({"show"});
    const Command& c = *Pick(kShows);
    std::string line = Head(c), B = "x", L = "ATM";
    if (!n.blocks.empty()) {
      Blk& b = Pick(n.blocks);
      B = Word(b.name);
      auto objs = ObjectsOf(b);
      if (!objs.empty()) L = Word(Pick(objs).first);
    }
    for (const ArgRule& a : c.args) {
      const std::string name = a.name ? a.name : "";
      if (a.kind == ArgKind::End) break;
      line += " " + (a.kind == ArgKind::Network               ? Word(n.name)
                     : a.kind == ArgKind::Layer || a.kind == ArgKind::QS ? L
                     : name == "NCI" ? (n.vccs.empty() ? "v0" : Word(Pick(n.vccs).nci))
                     : name == "DCI" ? (n.dcs.empty() ? "d0" : Word(Pick(n.dcs)))
                                     : B);
    }
    EmitFree(line);
  }

  void TopologyEdit(Net& n) {
    if (n.blocks.empty()) return;
    size_t i = Below(n.blocks.size());
    Blk& b = n.blocks[i];
    std::string N = Word(n.name), B = Word(b.name);
    // A switch port freed in the middle is renumbered on reload (known):
    // Safe disconnects only what no switch counts.
    bool onSwitch = false;
    for (Blk& x : n.blocks)
      if (x.model == kSwitch && (x.ports.count(b.name) || (&x == &b && !x.ports.empty())))
        onSwitch = true;
    switch (Below(6)) {
      case 0:
        // A block on a VCC's path, or an application of a DC, can be
        // disconnected, and the saved VCC or DC then does not load (known).
        if (!Known("port-gap", onSwitch) || !Known("disconnect-in-use", InUse(n, b.name)) ||
            !Known("empty-neighbours", LastPeerOfAnother(n, b)))
          return;
        Emit("disconnect block " + N + " " + B);
        Disconnect(n, b);
        return;
      case 1:
        if (!Known("port-gap", onSwitch) || !Known("empty-neighbours", LastPeerOfAnother(n, b)))
          return;
        Emit("remove block " + N + " " + B);
        if (!InUse(n, b.name)) {
          Disconnect(n, b);
          n.blocks.erase(n.blocks.begin() + static_cast<long>(i));
        }
        return;
      case 2:
        if (n.dcs.empty()) return;
        Emit("remove dc " + N + " " + Word(n.dcs.back()));
        n.dcs.pop_back();
        return;
      case 3: {
        if (n.vccs.empty() || !VccEditsAllowed(n)) return;
        size_t k = Below(n.vccs.size());
        Emit("remove vcc " + N + " " + Word(n.vccs[k].nci));
        if (!n.vccs[k].busy) n.vccs.erase(n.vccs.begin() + static_cast<long>(k));
        return;
      }
      case 4: {
        if (n.vccs.empty()) return;
        Vcc& v = Pick(n.vccs);
        if (!v.links.empty() && (Chance(0.5) || !VccEditsAllowed(n))) {
          auto l = v.links.back();
          Emit("remove link " + N + " " + Word(v.nci) + " " + Word(l.first) + " " + Word(l.second));
          v.links.pop_back();
        } else if (v.path.size() > 1 && VccEditsAllowed(n)) {
          Emit("disconnect vcc block " + N + " " + Word(v.nci) + " " + Word(v.path.back()) + " " +
               Word(v.path[v.path.size() - 2]));
          v.path.pop_back();
          v.links.clear();
        }
        return;
      }
      default: {
        // The key block of "connect vcc block" should be the path's last
        // block; another one saves pairs that do not reload (known).
        if (n.vccs.empty() || !VccEditsAllowed(n)) return;
        Vcc& v = Pick(n.vccs);
        std::string key = Chance(0.5) && Known("key-block", true) ? Pick(v.path) : v.path.back();
        Blk* k = n.Find(key);
        if (!k) return;
        std::string next = k->model == kTerminal ? k->equipmentPeer
                           : k->ports.empty()    ? std::string()
                                                 : std::next(k->ports.begin(), static_cast<long>(Below(k->ports.size())))->first;
        if (next.empty()) return;
        Emit("connect vcc block " + N + " " + Word(v.nci) + " " + Word(next) + " " + Word(key));
        if (key == v.path.back()) v.path.push_back(next);
        return;
      }
    }
  }
  // A VCC that carries a DC can be removed, or get other end blocks, and the
  // saved DC then finds no VCC on reload (known). Which VCC a DC took is the
  // program's choice, so Safe edits VCC paths only while there is no DC.
  bool VccEditsAllowed(Net& n) {
    bool dcs = !n.dcs.empty();
    for (Blk& b : n.blocks) dcs = dcs || b.sendsInDc;
    return Known("vcc-under-dc", dcs);
  }
  // A block whose last neighbour goes keeps an empty neighbour list and
  // still gets its events, unlike its reloaded copy, which was never wired
  // (known): Safe leaves every other block at least one neighbour.
  bool LastPeerOfAnother(Net& n, const Blk& b) {
    auto count = [&](const Blk& x) {
      if (x.model == kApplication) return x.attachedTo.empty() ? 0 : 1;
      if (x.model == kSwitch) return static_cast<int>(x.ports.size());
      return (x.equipmentPeer.empty() ? 0 : 1) + x.apps;
    };
    for (const Blk& x : n.blocks) {
      bool peer = x.attachedTo == b.name || x.equipmentPeer == b.name || x.ports.count(b.name) ||
                  b.attachedTo == x.name || b.equipmentPeer == x.name || b.ports.count(x.name);
      if (&x != &b && peer && count(x) <= 1) return true;
    }
    return false;
  }
  static bool InUse(Net& n, const std::string& name) {
    for (Vcc& v : n.vccs)
      for (const std::string& p : v.path)
        if (p == name) return true;
    for (Blk& b : n.blocks)
      if (b.model == kApplication && b.inDc && b.name == name) return true;
    return false;
  }
  void Disconnect(Net& n, Blk& b) {
    if (b.model == kApplication) {
      if (Blk* t = n.Find(b.attachedTo)) --t->apps;
      b.attachedTo.clear();
    }
    for (Blk& x : n.blocks) {
      if (x.model == kSwitch) x.ports.erase(b.name);
      if (x.equipmentPeer == b.name) x.equipmentPeer.clear();
      if (x.model == kApplication && x.attachedTo == b.name) x.attachedTo.clear();
    }
    if (b.model == kTerminal) {
      b.equipmentPeer.clear();
      b.apps = 0;
    }
    if (b.model == kSwitch) b.ports.clear();
  }

  // Data tables: Safe writes only keys nothing reads and never the network's
  // table (keys put there are saved as VCCs, known).
  void DataEdit(Net& n) {
    std::string N = Word(n.name);
    std::string target;
    if (Chance(0.4) && Known("network-data", true)) {
      target = "network " + N;
    } else if (!n.blocks.empty()) {
      Blk& b = Pick(n.blocks);
      auto objs = ObjectsOf(b);
      target = Chance(0.5) || objs.empty() || objs[0].second
                   ? "block " + N + " " + Word(b.name)
                   : "layer " + N + " " + Word(b.name) + " " + Word(objs[0].first);
    } else {
      return;
    }
    std::string key = Chance(0.5) && Known("block-data", true)
                          ? Pick({"DLN", "DBN", "PHY", "Interfaces", "v1"})
                                           : "note" + std::to_string(Below(5));
    std::string name = Pick({"x", "NCI", "Status", "Output port", "Input VPI"});
    std::string type = Pick(cat_.elementTypes);
    switch (Below(3)) {
      case 0:
        Emit("put data " + target + " " + Word(key) + " " + Word(name) + " " + TypeWord(type) + " " +
             Element(type, Role::Text, Chance(0.2)));
        return;
      case 1:
        Emit("del data " + target + " " + Word(key) + " " + Word(name));
        return;
      default:
        Emit("del key " + target + " " + Word(key));
    }
  }

  // file + save, and sometimes the network removed and loaded back.
  void SaveAndReload(Net& n) {
    std::string f = "saved" + std::to_string(++uid_) + ".txt";
    EmitFree("file " + Word(n.name) + " " + Word(f));
    EmitFree("save " + Word(n.name));
    if (Chance(0.3)) {
      Emit("remove network " + Word(n.name));
      Emit("load " + Word(f));
    } else if (Chance(0.2)) {
      EmitFree("load " + Word(f));  // the network exists: the first command fails
    }
  }

  // A few commands written into a script file and loaded, with the line
  // forms a script may have.
  void LoadChunk(Net& n) {
    size_t from = script_.commands.size();
    // load stops at the first failing command: in Safe the chunk holds no
    // topology the model would count on.
    for (int i = 0, m = 1 + static_cast<int>(Below(6)); i < m; ++i) {
      if (Chance(0.5)) EditParameter(n, false);
      else if (Chance(0.5) || !Known("chunk-topology", true)) Show(n);
      else Build(n);
    }
    std::vector<std::string> cmds(script_.commands.begin() + static_cast<long>(from),
                                  script_.commands.end());
    script_.commands.resize(from);
    std::string text;
    if (Chance(0.05)) text += "\xef\xbb\xbf";
    for (const std::string& c : cmds) {
      if (Chance(0.2)) text += Pick({"# comment", "#", "", "   ", "\t# x"}) + std::string("\n");
      std::string line = c;
      if (Chance(0.03)) line.insert(Below(line.size() + 1), 1, '\0');
      if (Chance(0.03)) line += " " + std::string(1100 + Below(3000), 'k');
      text += line + (Chance(0.1) ? "\r\n" : "\n");
    }
    if (Chance(0.2) && !text.empty()) text.pop_back();
    std::string name = "chunk" + std::to_string(++uid_) + ".txt";
    script_.files.push_back({name, text, true});
    Emit("load " + Word(name));
  }

  void Junk(Net& n) {
    static const char* const kLines[] = {
        "", "   ", "#", "# note", "create", "create nework x", "show parameters",
        "show parameters nets", "put nothing x", "connect vcc link x", "Quit", "quit now",
        "show vcc \"\"", "connect vcc \"\"", "run", "run x", "file", "file x", "save",
        "load", "load \"\"", "load nosuchfile.txt", "load .", "del data layer x", "\xff\xfe\xfd",
        "create network", "create block", "\"create\" network q", "create \"network\" q"};
    std::string line = Chance(0.6) ? kLines[Below(std::size(kLines))] : JunkWord();
    if (Chance(0.3)) {
      // A real command with its arguments cut short or doubled.
      // Real names would make some of these succeed behind the model's back:
      // Full only.
      static const std::vector<const Command*> kHeads =
          Rows({"create", "remove", "connect", "disconnect", "put", "del", "show", "run"});
      line = Head(*Pick(kHeads));
      const bool real = Known("junk-names", true);
      for (int i = 0, m = static_cast<int>(Below(7)); i < m; ++i)
        line += " " + (real && Chance(0.5) && !n.blocks.empty() ? Word(Pick(n.blocks).name)
                       : real && Chance(0.3)                    ? Word(n.name)
                                                                : JunkWord());
    }
    EmitFree(line);
  }

  // Known faults: unreadable files, writes that fail, deep loads, long runs,
  // and the values that break a run. One the script took on, or junk.
  void Hostile(Net& n) {
    static const char* const kActions[] = {"proc-mem",       "dev-full",      "directory-source",
                                           "deep-load",      "long-run",      "subnormal-rate",
                                           "aal5-negative",  "packet-length", "log-interval",
                                           "huge-parameter", "key-block",     "empty-neighbours",
                                           "block-data"};
    std::vector<std::string> taken;
    for (const char* a : kActions)
      if (enabled_.count(a)) taken.push_back(a);
    if (taken.empty()) return Junk(n);
    const std::string a = Pick(taken);
    Known(a.c_str(), true);
    const std::string N = Word(n.name);
    auto blocks = [&](Model m) { return Of(n, m, true); };
    if (a == "proc-mem") return EmitFree("load /proc/self/mem");
    if (a == "dev-full") {
      EmitFree("file " + N + " /dev/full");
      return EmitFree("save " + N);
    }
    if (a == "directory-source") {
      for (Blk* b : blocks(kApplication))
        if (b->source == "GENERIC") return EditLayer(n, *b, "GENERIC_TS", "Source file name", ".");
      return;
    }
    if (a == "deep-load") {
      // Scripts that load one another, deeper than any sane limit.
      int depth = Chance(0.05) ? 5000 : 70;
      for (int i = 0; i < depth; ++i)
        script_.files.push_back({"chain/" + std::to_string(i) + ".txt",
                                 i + 1 < depth ? "load chain/" + std::to_string(i + 1) + ".txt\n"
                                               : "show network " + N + "\n",
                                 true});
      return EmitFree("load chain/0.txt");
    }
    if (a == "long-run") {
      // A long end time on sources with little to send: the run ends when
      // the traffic is done.
      // A batch source whose packets reach no connection (no route, or a DC
      // from an application to itself) draws batches for as long as the run
      // lasts, none of them counting as sent: batch sources send nothing.
      // These edits must take effect: no variation is put on them.
      exact_ = true;
      for (Blk* b : blocks(kApplication))
        if (b->source != "GENERIC")
          EditLayer(n, *b, b->source + "_TS", "Number of bytes to be sent",
                    b->source == "VBR_BATCH" ? "0" : "2000");
      // OAM cells are sent for as long as a run lasts: a long end time is a
      // long simulation then, not a fault.
      for (Blk& b : n.blocks)
        for (const auto& object : ObjectsOf(b))
          if (!object.second && object.first.rfind("PHY", 0) == 0)
            EditLayer(n, b, object.first, "OAM transmition status", "OFF");
      exact_ = false;
      script_.commands.push_back("run " + N + " " + Pick({"100000", "1e9"}));
      return;
    }
    if (a == "huge-parameter") {
      EmitFree("put parameter network " + N + " big int " +
               Pick({"100000000", "9223372036854775807"}) + " 0 big SHOW");
      return EmitFree(Pick({"show parameters network ", "save "}) + N);
    }
    if (a == "key-block") {
      // A hop added after a block that is not the last of the path.
      for (Vcc& v : n.vccs) {
        if (v.path.size() < 2) continue;
        Blk* key = n.Find(v.path[v.path.size() - 2]);
        if (!key) continue;
        for (auto& kv : key->ports)
          if (std::find(v.path.begin(), v.path.end(), kv.first) == v.path.end())
            return Emit("connect vcc block " + N + " " + Word(v.nci) + " " + Word(kv.first) + " " +
                        Word(key->name));
      }
      return;
    }
    if (a == "empty-neighbours") {
      // The last neighbour of another block goes.
      for (Blk& b : n.blocks)
        if (LastPeerOfAnother(n, b)) {
          Emit("disconnect block " + N + " " + Word(b.name));
          Disconnect(n, b);
          return EmitRun(n);
        }
      return;
    }
    if (a == "block-data") {
      // Entries a run reads, changed in a block's own table.
      for (Vcc& v : n.vccs)
        if (Blk* b = n.Find(v.path[0]))
          return EmitFree("del key block " + N + " " + Word(b->name) + " " + Word(v.nci));
      return;
    }
    if (a == "subnormal-rate") {
      auto te = blocks(kTerminal);
      if (!te.empty()) EditLayer(n, *Pick(te), "PHY", "Bit rate", Pick({"1e-310", "4.9e-324"}));
    } else if (a == "aal5-negative") {
      auto te = blocks(kTerminal);
      if (!te.empty())
        EditLayer(n, *Pick(te), "AAL5", "Cell packetization delay", Pick({"-1", "-1e308", "-1e-6"}));
    } else if (a == "packet-length") {
      for (Blk* b : blocks(kApplication))
        if (b->source == "CBR") {
          EditLayer(n, *b, "CBR_TS", "Packet length", Chance(0.1) ? "400000000" : Pick({"70000", "1000000"}));
          break;
        }
    } else if (a == "log-interval") {
      auto te = blocks(kTerminal);
      if (!te.empty()) {
        Blk& t = *Pick(te);
        EditLayer(n, t, "ATM", "Sample statistics status", "ON");
        EditLayer(n, t, "ATM", "Logging every x secs", "1e-12");
      }
    }
    EmitRun(n);
  }

  // Whether an edit that would run into a known fault (trigger) may be made:
  // always when it would not, else when the script took that fault on, which
  // is then recorded in the script.
  bool Known(const char* feature, bool trigger) {
    if (!trigger) return true;
    if (!enabled_.count(feature)) return false;
    script_.features.insert(feature);
    return true;
  }

 public:
  static constexpr const char* kKnownFeatures[] = {
      "subnormal-rate", "aal5-negative", "packet-length", "log-interval", "huge-parameter",
      "directory-source", "proc-mem", "dev-full", "deep-load", "long-run", "vbr",
      "lower-ports", "traffic-source", "dc-source-edit", "del-default", "port-gap",
      "disconnect-in-use", "empty-neighbours", "vcc-under-dc", "key-block", "network-data",
      "block-data", "late-path", "quotes", "odd-names", "mutations", "partial-numbers",
      "chunk-topology", "junk-names"};

 private:
  std::mt19937_64 rng_;
  std::set<std::string> enabled_;
  const Catalog& cat_;
  Script script_;
  bool exact_ = false;  // commands emitted as they are, without variations
  std::deque<Net> nets_;
  int uid_ = 0;
};

}  // namespace

Script Generate(uint64_t seed, Profile profile, const std::set<std::string>* known) {
  return Generator(seed, profile, known).Make();
}

std::vector<std::string> KnownFaults() {
  return {std::begin(Generator::kKnownFeatures), std::end(Generator::kKnownFeatures)};
}

std::unique_ptr<std::set<std::string>> KnownFromEnvironment() {
  const char* v = std::getenv("CELVANE_PROPERTY_KNOWN");
  if (!v) return nullptr;
  auto known = std::make_unique<std::set<std::string>>();
  std::string s(v);
  for (size_t b = 0; b <= s.size();) {
    size_t e = s.find(',', b);
    if (e == std::string::npos) e = s.size();
    if (e > b) known->insert(s.substr(b, e - b));
    b = e + 1;
  }
  return known;
}

}  // namespace property
