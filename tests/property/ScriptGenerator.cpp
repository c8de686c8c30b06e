// ScriptGenerator: commands that mostly make sense, picked from what the
// generator's own kernel holds after executing them, and the hostile
// variations put on them.
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
#include "model/VccRecord.h"
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

struct ParamInfo {
  std::string name, type, description;
};
std::vector<ParamInfo> ParamsOf(const Param& p) {
  std::vector<ParamInfo> v;
  for (const auto& [name, prm] : p.Parameters())
    v.push_back({name.str(), prm.value.Type().str(), prm.description.str()});
  return v;
}

const std::vector<ParamInfo> kNone{{"Made up", "double", "Made up"}};

// The element types the program knows.
const std::vector<std::string>& ElementTypes() {
  static const std::vector<std::string> types = [] {
    std::vector<std::string> v;
    const std::string list = ElementKeywordList().str();
    for (size_t b = 0, e; (e = list.find(';', b)) != std::string::npos; b = e + 1) v.push_back(list.substr(b, e - b));
    return v;
  }();
  return types;
}

// A parameter's role, which decides its sensible and its extreme values, is
// its name; a physical layer's "Bit rate" is a line rate.
std::string RoleOf(const std::string& layerOrQs, const std::string& name) {
  return name == "Bit rate" && layerOrQs.compare(0, 3, "PHY") == 0 ? "Line rate" : name;
}
bool IsFlag(const std::string& role) {
  return role.size() > 7 && role.compare(role.size() - 7, 7, " status") == 0;
}

// What holds parameters and data: the network, a block, or a block's layer
// or queueing system ("kind" as the commands name it), with its parameters.
struct Target {
  std::string kind;
  std::vector<std::string> names;  // block, object
  std::vector<ParamInfo> params;
  std::string object;
};

// Words that are never numbers and never hold "/", "nan" or "inf".
const char* const kJunkWords[] = {
    "", "\"", "\"\"", "\"open quote", "#", "# x", "--", "0x1F", "1e", "e5", ".", "-", "+", "(", "(1,", "(1, 2",
    "\xff\xfe", "\xc3\x28", "\xe2\x82", "\xef\xbb\xbf", "QS", "qs", "network", "\t", "create", "ATM", "PHY",
    "PHY_QS", "ATM_QS_0", "TR", "CBR_TS", "\"a b\"", "x y", "\\", "\"\\\"\"", "ON", "OFF", "SHOW", "HIDE",
    "double", "string", "\"short int\"", "short", "int", "1 1", "0 0", "\r", "\v"};
const char* const kNumberSuffixes[] = {"abc", "e", "e+", "..", "x", "#", "\xff", ",", "(", "\""};

std::vector<std::string> With(std::vector<std::string> v, const std::string& s) {
  v.push_back(s);
  return v;
}

class Generator {
 public:
  explicit Generator(uint64_t seed)
      : rng_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {
    script_.seed = seed;
  }

  Script Make() {
    static const double kCheckTimes[] = {1e-5, 3e-5, 5e-5, 1e-4, 2e-4};
    script_.checkTime = Pick(kCheckTimes);
    for (int i = 0, m = Chance(0.2) ? 2 : 1; i < m; ++i) BuildNetwork();
    for (size_t i = 0, steps = 10 + Below(Chance(0.1) ? 300 : 80); i < steps; ++i) Step();
    if (Chance(0.5)) EmitRun(Pick(nets_));
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
    std::vector<std::string> v = {"0", "-1", "-0", "1e308", "1.7976931348623157e308", "1e999", "-1e999",
                                  "nan", "inf", "-inf", "NaN", "infinity", "1e-300", "12abc", "0x10", "+5",
                                  ".5", "5.", "99999999999999999999999", std::string(400, '9'), "4.9e-324",
                                  "1e-310", role == "Packet length" ? "400000000" : "-1e308"};
    if (integer)
      v.insert(v.end(), {"2147483647", "2147483648", "-2147483649", "32767", "32768", "-32769", "65535",
                         "65536", "4294967295", "4294967296", "9223372036854775807", "9223372036854775808"});
    return Pick(v);
  }

  // A value a user would give.
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
    const std::string type = Chance(0.04) && !exact_ ? Pick(ElementTypes()) : p.type;
    const bool extreme = !forced && Chance(0.15), shape = Chance(0.04) && !exact_;
    long rows = shape ? static_cast<long>(Below(4)) : 1, cols = shape ? static_cast<long>(Below(4)) : 1;
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
    std::string type = Pick(ElementTypes());
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
  // others named from the network by their kind and name.
  std::string Line(const std::string& net, const Command& c, const std::vector<std::string>& given) {
    const std::vector<std::string> blocks = Of(net);
    const std::string b = blocks.empty() ? "x" : Pick(blocks);
    const auto objects = ObjectsOf(net, b);
    const std::string object = objects.empty() ? "ATM" : Pick(objects).first;
    std::string line = Head(c);
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
        case ArgKind::Block: w = b; break;
        case ArgKind::Layer: case ArgKind::LateLayer: case ArgKind::QS: w = object; break;
        case ArgKind::Number: w = name == "bandwidth" ? Number(LogUniform(1, 1e9)) : RunTime(); break;
        case ArgKind::Label: w = Label(name == "VCI"); break;
        case ArgKind::ParamText: {
          const std::vector<ParamInfo> params = Params(net, Chance(0.5) ? b : "");
          const ParamInfo& p = Pick(params);
          w = ParamText(p, RoleOf("", p.name));
          break;
        }
        case ArgKind::DataText: w = Word(DataKey()) + " " + Word(DataName()) + " " + DataValue(); break;
        default: {
          const std::vector<Sstring> ids = name == "NCI" ? Ids(net, false) : Ids(net, true);
          w = network                            ? net
              : name == "NCI" || name == "DCI"   ? (ids.empty() ? name.substr(0, 1) + "0" : Pick(ids).str())
              : name == "file_name"              ? "any" + Num(Below(3)) + ".txt"
              : name == "block_model"            ? Pick(kModelWords)
              : name == "service_categorie"      ? Sensible("Service categorie")
              : name.find("name") == std::string::npos ? JunkWord()
              : blocks.empty()                   ? "x"
                                                 : Pick(blocks);
        }
      }
      const bool raw = a.kind == ArgKind::Number || a.kind == ArgKind::Label ||
                       a.kind == ArgKind::ParamText || a.kind == ArgKind::DataText;
      line += " " + (raw ? w : Word(w));
    }
    return line;
  }
  // The command `head` (its command words) with the given words (see Line),
  // also executed by the generator's own kernel unless it reads or writes
  // files, runs or removes the network.
  void Do(const std::string& net, const std::string& head, const std::vector<std::string>& given = {}) {
    for (const Command& c : AllCommands())
      if (Head(c) == head) return Emit(Mirrored(Line(net, c, given), head));
    std::abort();  // the generator names a command the table does not have
  }
  std::string Mirrored(const std::string& line, const std::string& head) {
    static const std::set<std::string> kNotMirrored = {"run", "file", "save", "load", "remove network"};
    if (!kNotMirrored.count(head)) {
      platform::CapturedOutput quiet;
      std::ostringstream errors;
      platform::SetErr(&errors);
      ExecuteLine(mirror_, line.c_str());
      platform::SetErr(nullptr);
    }
    return line;
  }
  // Any row of the command table whose first word is one of `firsts`.
  void AnyRow(const std::string& net, std::initializer_list<const char*> firsts) {
    const std::vector<const Command*> rows = Rows(firsts);
    const Command& c = *Pick(rows);
    if (std::strcmp(c.words[0], "run") == 0) return EmitRun(net);
    Emit(Mirrored(Line(net, c, {}), Head(c)));
  }

  // Adds a command, sometimes mutated, its paths kept in the working folder.
  void Emit(std::string cmd) {
    if (Chance(0.05) && !exact_) cmd = Mutate(cmd);
    Sandbox(cmd);
    script_.commands.push_back(std::move(cmd));
  }
  // A run keeps its end time: a cut "5e-5" would be a run of 5 s.
  void EmitRun(const std::string& net, const std::string& time = "") {
    std::string cmd = "run " + Word(net) + " " + (time.empty() ? RunTime() : time);
    if (Chance(0.05) && !exact_) cmd = Blanks(cmd);
    script_.commands.push_back(cmd);
  }
  // The same command with other blanks outside quotes.
  std::string Blanks(const std::string& c) {
    std::string r = Chance(0.3) ? Pick({" ", "  ", "\t"}) : "";
    for (size_t i = 0, quotes = 0; i < c.size(); quotes += c[i++] == '"')
      r += c[i] == ' ' && quotes % 2 == 0 && Chance(0.3) ? Pick<std::string>({"\t", "   ", " \t "}) : c.substr(i, 1);
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

  // -- the network as the program holds it ------------------------------------
  // The generator's kernel executes the building commands as they are made
  // (not their variations), so it knows which blocks, connections, layers,
  // VCCs and DCs a network has.
  const Block* BlockOf(const std::string& net, const std::string& b) {
    const Network* n = mirror_.FindNetwork(net);
    return n ? n->FindBlock(b) : nullptr;
  }
  // The parameters the network (b empty) or its block b holds now; a made-up
  // one when there is none.
  std::vector<ParamInfo> Params(const std::string& net, const std::string& b = "") {
    const Network* n = mirror_.FindNetwork(net);
    const Param* p = b.empty() ? static_cast<const Param*>(n) : n ? n->FindBlock(b) : nullptr;
    std::vector<ParamInfo> v = p ? ParamsOf(*p) : kNone;
    return v.empty() ? kNone : v;
  }
  // An application's traffic source: that of its source layer when it has one
  // (its parameter may have changed since), else its parameter.
  std::string SourceOf(const std::string& net, const std::string& app) {
    const Block* b = BlockOf(net, app);
    std::vector<Sstring> names;
    if (b) b->ListNames(ComponentKind::Layer, names);
    for (const Sstring& n : names)
      if (n.length() > 3 && n.str().compare(n.str().size() - 3, 3, "_TS") == 0) return n.str().substr(0, n.str().size() - 3);
    return Text(b, "Traffic source");
  }
  static std::string Text(const Param* p, const char* name) {
    Sstring v;
    if (p) p->GetParam(name, v);
    return v.str();
  }
  // The blocks of a model (of any with none); with `wired`, only connected
  // ones. Equipment neighbours of a block.
  std::vector<std::string> Of(const std::string& net, int model = -1, bool wired = false) {
    std::vector<std::string> v;
    if (const Network* n = mirror_.FindNetwork(net))
      n->ForEachBlock([&](const Block& b) {
        if ((model < 0 || b.GetModel() == kModelWords[model]) && (!wired || n->HasNeighbours(b.GetName())))
          v.push_back(b.GetName().str());
      });
    return v;
  }
  std::vector<std::string> Peers(const std::string& net, const std::string& b, bool equipment) {
    std::vector<std::string> v;
    const Network* n = mirror_.FindNetwork(net);
    if (const std::vector<Block*>* peers = n ? n->Neighbours(b) : nullptr)
      for (const Block* p : *peers)
        if (!equipment || p->IsEquipment()) v.push_back(p->GetName().str());
    return v;
  }
  std::vector<Sstring> Ids(const std::string& net, bool dcs) {
    const Network* n = mirror_.FindNetwork(net);
    return !n ? std::vector<Sstring>() : dcs ? n->DcIds() : n->VccIds();
  }
  // A block's layers and queueing systems (true), now and then one it has not.
  std::vector<std::pair<std::string, bool>> ObjectsOf(const std::string& net, const std::string& block) {
    std::vector<std::pair<std::string, bool>> v;
    if (const Block* b = BlockOf(net, block))
      for (bool qs : {false, true}) {
        std::vector<Sstring> names;
        b->ListNames(qs ? ComponentKind::QueueingSystem : ComponentKind::Layer, names);
        for (const Sstring& name : names) v.push_back({name.str(), qs});
      }
    if (Chance(0.03)) v.push_back({Pick({"PHY_99", "NOPE", "PHY_QS_7", "atm", ""}), Chance(0.5)});
    return v;
  }

  // The network (one time in six), a block, or one of its layers and
  // queueing systems; now and then with a parameter no object declares.
  Target PickTarget(const std::string& net) {
    const std::vector<std::string> blocks = Of(net);
    const size_t which = Below(blocks.empty() ? 1 : 6);
    if (which == 0) return {"network", {}, Params(net), ""};
    const std::string b = Pick(blocks);
    const Block& block = *BlockOf(net, b);
    const auto objects = ObjectsOf(net, b);
    if (which == 1 || objects.empty()) return {"block", {b}, Params(net, b), ""};
    const auto& [object, qs] = Pick(objects);
    const Component* o = block.Find(qs ? ComponentKind::QueueingSystem : ComponentKind::Layer, object);
    std::vector<ParamInfo> params = o ? ParamsOf(*o) : kNone;
    return {qs ? "QS" : "layer", {b, object}, params.empty() || Chance(0.05) ? kNone : params, object};
  }

  // "put parameter" of a known parameter with the given value.
  void Put(const std::string& net, const Target& t, const std::string& name, const std::string& value) {
    for (const ParamInfo& p : t.params)
      if (p.name == name)
        return Do(net, "put parameter " + t.kind, With(t.names, ParamText(p, RoleOf(t.object, name), &value)));
  }
  void EditLayer(const std::string& net, const std::string& b, const std::string& layer,
                 const std::string& param, const std::string& value) {
    const Block* block = BlockOf(net, b);
    if (const Layer* l = block ? block->FindLayer(layer) : nullptr)
      Put(net, {"layer", {b, layer}, ParamsOf(*l), layer}, param, value);
  }

  // A parameter of the network, a block, a layer or a queueing system is set
  // (sensible or extreme value, sometimes another type or shape), or deleted.
  void EditParameter(const std::string& net, bool allowDelete) {
    const Target t = PickTarget(net);
    const ParamInfo& p = Pick(t.params);
    if (allowDelete && Chance(0.12)) return Do(net, "del parameter " + t.kind, With(t.names, p.name));
    const std::string role = RoleOf(t.object, p.name);
    std::string v = IsFlag(role) && Chance(0.6) ? "ON" : "";
    if (t.kind == "block") v = Chance(0.1) ? Extreme(role, IsInteger(p.type)) : Sensible(role);
    Do(net, "put parameter " + t.kind, With(t.names, ParamText(p, role, v.empty() ? nullptr : &v)));
  }

  // Data tables of the network, a block or a layer: entries written or
  // deleted, the keys a run reads among them.
  void DataEdit(const std::string& net) {
    Target t = PickTarget(net);
    if (t.kind == "QS") t = {"block", {t.names[0]}, {}, ""};
    const std::string key = DataKey(), name = DataName();
    switch (Below(3)) {
      case 0: return Do(net, "put data " + t.kind, With(t.names, Word(key) + " " + Word(name) + " " + DataValue()));
      case 1: return Do(net, "del data " + t.kind, With(With(t.names, key), name));
      default: return Do(net, "del key " + t.kind, With(t.names, key));
    }
  }

  std::string AddBlock(const std::string& net, Model m) {
    const std::string b = NewName(std::string(1, "TSA"[m]));
    Do(net, "create block", {b, kModelWords[m], Pick({"te", "sw", "app", "x", "a type"})});
    return b;
  }
  // The application's traffic source, chosen before it is connected.
  void ChooseSource(const std::string& net, const std::string& a) {
    const std::string source = Pick(kTrafficSources);
    if (source != "CBR" || Chance(0.4))
      Put(net, {"block", {a}, Params(net, a), ""}, "Traffic source", source);
  }
  void Connect(const std::string& net, const std::string& a, const std::string& b, bool app) {
    const std::string iface = app ? Pick({"app", "x", "", "CB_PHYSICAL_LAYER"}) : "CB_PHYSICAL_LAYER";
    const bool swap = Chance(0.5);
    Do(net, "connect block", {swap ? b : a, swap ? a : b, iface});
  }

  // A network of none, one or two switches, two to four terminals and some
  // applications, the blocks made in random order and then connected, with
  // some parameters and DCs.
  void BuildNetwork() {
    const std::string net = NewName("lan");
    script_.networks.push_back(net);
    nets_.push_back(net);
    Do(net, "create network", {net});
    const Target network{"network", {}, Params(net), ""};
    if (Chance(0.75)) Put(net, network, "Simulation log status", "ON");
    if (Chance(0.6)) Put(net, network, "Path", PathPrefix());
    if (Chance(0.2)) Put(net, network, "Performance log status", "OFF");

    size_t shape = Below(4), terminals = 2 + Below(3);
    size_t switches = shape == 3 ? Below(2) : shape, apps = Below(terminals + 2);
    std::vector<Model> order(switches, kSwitch);
    order.insert(order.end(), terminals, kTerminal);
    order.insert(order.end(), apps, kApplication);
    std::shuffle(order.begin(), order.end(), rng_);
    std::vector<std::string> made[3];
    for (Model m : order) made[m].push_back(AddBlock(net, m));
    const auto &sw = made[kSwitch], &te = made[kTerminal], &ap = made[kApplication];
    for (const std::string& a : ap) ChooseSource(net, a);
    if (sw.size() == 2) Connect(net, sw[0], sw[1], false);
    for (size_t k = 0; k < te.size(); ++k)
      if (!sw.empty()) Connect(net, te[k], sw[k % sw.size()], false);
      else if (k % 2 == 1) Connect(net, te[k - 1], te[k], false);
    for (size_t k = 0; k < ap.size(); ++k) Connect(net, ap[k], te[k % te.size()], true);
    for (size_t i = 0, m = Below(5); i < m; ++i) EditParameter(net, false);
    for (size_t i = 0, m = 1 + Below(3); i < m; ++i) AddDc(net);
    if (Chance(0.5)) EmitRun(net);
  }

  // Equipment path from terminal a to terminal b over the wires (switches
  // relay, terminals do not).
  std::vector<std::string> Route(const std::string& net, const std::string& from, const std::string& to) {
    std::map<std::string, std::string> prev{{from, ""}};
    std::deque<std::string> todo{from};
    while (!todo.empty() && !prev.count(to)) {
      const std::string x = todo.front();
      todo.pop_front();
      const Block* b = BlockOf(net, x);
      if (b && (x == from || b->GetModel() == kModelWords[kSwitch]))
        for (const std::string& p : Peers(net, x, true))
          if (prev.emplace(p, x).second) todo.push_back(p);
    }
    std::vector<std::string> path;
    if (prev.count(to))
      for (std::string x = to; !x.empty(); x = prev[x]) path.insert(path.begin(), x);
    return path;
  }

  // A VCC along the wires, its blocks connected and (mostly) its links made.
  bool AddVcc(const std::string& net, const std::string& from, const std::string& to, const std::string& category) {
    const std::vector<std::string> path = Route(net, from, to);
    if (path.empty()) return false;
    const std::string v = NewName("v");
    Do(net, "create vcc", {v, category,
                           Chance(0.9)   ? "155520000"
                           : Chance(0.5) ? Number(LogUniform(1e3, 1e9))
                                         : Extreme("Bit rate", false),
                           from});
    for (size_t i = 1; i < path.size(); ++i) Do(net, "connect vcc block", {v, path[i], path[i - 1]});
    for (size_t i = 1; i < path.size(); ++i)
      if (Chance(0.95)) Do(net, "create link", {v, path[i - 1], path[i]});  // else a hop without labels
    return true;
  }

  // A DC between two applications, on a VCC made for it.
  void AddDc(const std::string& net) {
    const auto apps = Of(net, kApplication, true);
    if (apps.empty()) return;
    const std::string s = Pick(apps), r = Pick(apps), source = SourceOf(net, s);
    if (source == "GENERIC") EditLayer(net, s, "GENERIC_TS", "Source file name", PacketFile());
    if (Chance(0.5)) EditLayer(net, s, source + "_TS", "Bit rate", Sensible("Bit rate"));
    if (Chance(0.3)) EditLayer(net, r, "TR", "Sample statistics status", "ON");
    const Block* sender = BlockOf(net, s);
    const std::string category = Text(sender ? sender->FindLayer(source + "_TS") : nullptr, "Service categorie");
    const std::vector<std::string> from = Peers(net, s, false), to = Peers(net, r, false);
    if (!from.empty() && !to.empty() && AddVcc(net, from[0], to[0], category.empty() ? "CBR" : category))
      Do(net, "create dc", {NewName("d"), s, r});
  }

  // -- random steps -------------------------------------------------------------
  void Step() {
    if (Chance(0.01)) return BuildNetwork();
    const std::string net = Pick(nets_);
    switch (Below(20)) {
      case 0: case 1: case 2: case 3: case 4: return EditParameter(net, true);
      case 5: case 6: return Build(net);
      case 7: case 8: return AnyRow(net, {"show"});
      case 9: return AnyRow(net, {});
      case 10: return EmitRun(net);
      case 11: return TopologyEdit(net);
      case 12: return DataEdit(net);
      case 13: return SaveAndReload(net);
      case 14: return LoadChunk(net);
      case 15: case 16: return Junk(net);
      case 17: return Chance(0.5) ? Hostile(net) : Junk(net);
      default: return AddDc(net);
    }
  }

  // A new application on a terminal, a new terminal on a switch, a VCC
  // between two terminals (maybe without a DC), or a DC.
  void Build(const std::string& net) {
    const auto te = Of(net, kTerminal), sw = Of(net, kSwitch);
    switch (Below(4)) {
      case 0:
        if (!te.empty()) {
          const std::string t = Pick(te), a = AddBlock(net, kApplication);
          ChooseSource(net, a);
          Connect(net, a, t, true);
        }
        return;
      case 1:
        if (!sw.empty()) {
          const std::string s = Pick(sw), t = AddBlock(net, kTerminal);
          Connect(net, t, s, false);
        }
        return;
      case 2:
        if (!te.empty()) AddVcc(net, Pick(te), Pick(te), Sensible("Service categorie"));
        return;
      default: AddDc(net);
    }
  }

  // Blocks disconnected or removed, DCs, VCCs and links removed, VCC hops
  // taken away or added.
  void TopologyEdit(const std::string& net) {
    const std::vector<std::string> blocks = Of(net);
    const Network* n = mirror_.FindNetwork(net);
    if (blocks.empty() || !n) return;
    const std::string b = Pick(blocks);
    const std::vector<Sstring> vccs = Ids(net, false), dcs = Ids(net, true);
    const Sstring v = vccs.empty() ? Sstring() : Pick(vccs);
    const VccRecord path(*n, v);
    const short count = path.BlockCount(), links = path.LinkCount();
    switch (Below(6)) {
      case 0: return Do(net, "disconnect block", {b});
      case 1: return Do(net, "remove block", {b});
      case 2:
        if (!dcs.empty()) Do(net, "remove dc", {Pick(dcs).str()});
        return;
      case 3:
        if (!v.empty()) Do(net, "remove vcc", {v.str()});
        return;
      case 4:
        if (links > 0 && Chance(0.5)) {
          const VccLink l = path.Link(links);
          Do(net, "remove link", {v.str(), l.begin.str(), l.end.str()});
        } else if (count > 1) {
          Do(net, "disconnect vcc block", {v.str(), path.Block(count).str(), path.Block(count - 1).str()});
        }
        return;
      default: {
        // A hop from the path's last block, or (saving pairs that mean
        // another path) from one before it.
        if (count < 1) return;
        const std::string key = path.Block(Chance(0.5) ? 1 + static_cast<int>(Below(count)) : count).str();
        const std::vector<std::string> next = Peers(net, key, true);
        if (!next.empty()) Do(net, "connect vcc block", {v.str(), Pick(next), key});
      }
    }
  }

  // file + save, and sometimes the network removed and loaded back, or
  // loaded while it exists (its first command fails).
  void SaveAndReload(const std::string& net) {
    const std::string f = "saved" + Num(++uid_) + ".txt";
    Do(net, "file", {f});
    Do(net, "save");
    const bool remove = Chance(0.3);
    if (remove) Do(net, "remove network");
    if (remove || Chance(0.2)) Do(net, "load", {f});
  }

  // A few commands written into a script file and loaded, with the line
  // forms a script may have.
  void LoadChunk(const std::string& net) {
    const size_t from = script_.commands.size();
    for (size_t i = 0, m = 1 + Below(6); i < m; ++i) {
      if (Chance(0.5)) EditParameter(net, false);
      else if (Chance(0.5)) AnyRow(net, {"show"});
      else Build(net);
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
    Do(net, "load", {script_.files.back().name});
  }

  // A line of junk, or a real command cut short or with too many words.
  void Junk(const std::string& net) {
    static const char* const kLines[] = {
        "", "   ", "#", "# note", "create nework x", "show parameters nets", "put nothing x", "connect vcc link x",
        "Quit", "quit now", "show vcc \"\"", "connect vcc \"\"", "run x", "load \"\"", "load nosuchfile.txt",
        "load .", "\xff\xfe\xfd", "\"create\" network q", "create \"network\" q"};
    static const std::vector<const Command*> kHeads = Rows({"create", "remove", "connect", "disconnect", "put", "del", "show", "run", "file", "save", "load"});
    std::string line = Chance(0.6) ? Pick(kLines) : JunkWord();
    if (Chance(0.3)) {
      const std::vector<std::string> blocks = Of(net);
      line = Head(*Pick(kHeads));
      for (size_t i = 0, m = Below(7); i < m; ++i)
        line += " " + (Chance(0.5) && !blocks.empty() ? Word(Pick(blocks)) : Chance(0.3) ? Word(net) : JunkWord());
    }
    Emit(line);
  }

  // Unreadable files, writes that fail, deep loads, long runs, and values
  // at the edge of what a run takes, most followed by a run.
  void Hostile(const std::string& net) {
    const auto te = Of(net, kTerminal, true), ap = Of(net, kApplication, true);
    switch (Below(8)) {
      case 0: return Emit("load /proc/self/mem");
      case 1:
        Do(net, "file", {"/dev/full"});
        return Do(net, "save");
      case 2: {  // scripts that load one another, deeper than any sane limit
        const int depth = Chance(0.05) ? 5000 : 70;
        for (int i = 0; i < depth; ++i)
          script_.files.push_back({"chain/" + Num(i) + ".txt",
                                   (i + 1 < depth ? "load chain/" + Num(i + 1) + ".txt" : "show network " + Q(net)) + "\n", true});
        return Emit("load chain/0.txt");
      }
      case 3:
        // A long end time on sources with little to send: the run ends with
        // the traffic (batch sources whose packets reach no connection send
        // nothing; OAM cells, sent as long as a run lasts, are off).
        exact_ = true;
        for (const std::string& a : ap) {
          const std::string source = SourceOf(net, a);
          if (source != "GENERIC")
            EditLayer(net, a, source + "_TS", "Number of bytes to be sent", source == "VBR_BATCH" ? "0" : "2000");
        }
        for (const std::string& b : Of(net))
          for (const auto& [object, qs] : ObjectsOf(net, b))
            if (!qs && object.rfind("PHY", 0) == 0) EditLayer(net, b, object, "OAM transmition status", "OFF");
        EmitRun(net, Pick({"100000", "1e9"}));
        exact_ = false;
        return;
      case 4:  // entries a run reads, changed in a block's own table
        for (const Sstring& v : Ids(net, false)) {
          const std::string first = VccRecord(*mirror_.FindNetwork(net), v).Block(1).str();
          if (BlockOf(net, first)) return Do(net, "del key block", {first, v.str()});
        }
        return;
      case 5:  // a subnormal bit rate, a negative delay, a busy log
        if (te.empty()) break;
        if (Chance(0.3)) EditLayer(net, te[0], "PHY", "Bit rate", Pick({"1e-310", "4.9e-324"}));
        if (Chance(0.3)) EditLayer(net, te[0], "AAL5", "Cell packetization delay", Pick({"-1", "-1e308", "-1e-6"}));
        if (Chance(0.3)) EditLayer(net, te[0], "ATM", "Sample statistics status", "ON");
        if (Chance(0.3)) EditLayer(net, te[0], "ATM", "Logging every x secs", Pick({"1e-12", "4.9e-324", "1e-310"}));
        break;
      case 6:  // packets over 65535 bytes
        for (const std::string& a : ap)
          if (SourceOf(net, a) == "CBR") {
            EditLayer(net, a, "CBR_TS", "Packet length", Chance(0.1) ? "400000000" : Pick({"70000", "1000000"}));
            break;
          }
        break;
      default: {  // a block loses its neighbours, then a run
        const std::vector<std::string> blocks = Of(net);
        if (blocks.empty()) return;
        Do(net, "disconnect block", {Pick(blocks)});
      }
    }
    EmitRun(net);
  }

  std::mt19937_64 rng_;
  Kernel mirror_;
  Script script_;
  bool exact_ = false;  // commands emitted as they are, without variations
  std::vector<std::string> nets_;
  size_t uid_ = 0;
};

}  // namespace

Script Generate(uint64_t seed) { return Generator(seed).Make(); }

}  // namespace property
