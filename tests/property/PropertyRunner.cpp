// PropertyRunner: the checks of one script and the campaign over many seeds.
#include "PropertyRunner.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "atm/AtmModels.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"
#include "platform/Files.h"

extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

#if defined(__SANITIZE_ADDRESS__)
#define PROPERTY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PROPERTY_ASAN 1
#endif
#endif

namespace property {
namespace fs = std::filesystem;

namespace {

// One line of text: line breaks and control bytes shown, cut to a length.
std::string OneLine(const std::string& s, size_t max = 300) {
  std::string r;
  for (char c : s.substr(0, max))
    r += c == '\n' ? "\\n" : c == '\t' ? "\\t" : static_cast<unsigned char>(c) < 32 ? "?" : std::string(1, c);
  return s.size() > max ? r + "..." : r;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// Whether the dispatcher takes the command as a run: its first word not
// beginning with "#" (the line ends at a NUL, as for ExecuteLine).
bool IsRun(const std::string& cmd) {
  std::istringstream in(std::string(cmd.c_str()));
  std::string w;
  while (in >> w && w[0] == '#') {
  }
  return w == "run";
}

// Runs one command; what it printed is added to console.
int Execute(Kernel& k, const std::string& line, std::string* console = nullptr) {
  platform::CapturedOutput out;
  int r = ExecuteLine(k, line.c_str());
  if (console) *console += out.Take();
  return r;
}

// A folder holding the script's files.
void Prepare(const Script& s, const fs::path& dir) {
  fs::create_directories(dir);
  for (const AuxFile& f : s.files) {
    fs::create_directories((dir / f.name).parent_path());
    std::ofstream(dir / f.name, std::ios::binary) << f.content;
  }
}

// The run report without its wall-clock lines (the "-> Tempo" lines and the
// performance lines of three numbers).
std::string RunReport(const std::string& console) {
  std::istringstream in(console);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    double a, b, c;
    char rest;
    if (line.rfind("-> Tempo", 0) != 0 && std::sscanf(line.c_str(), "%lf %lf %lf %c", &a, &b, &c, &rest) != 3)
      out += line + '\n';
  }
  return out;
}

// The first line where two texts differ, read line by line: run files can
// reach gigabytes, so files are compared as streams, never read whole.
std::string FirstDifference(std::istream&& ia, std::istream&& ib) {
  std::string la, lb;
  for (int n = 1;; ++n) {
    bool ea = !std::getline(ia, la), eb = !std::getline(ib, lb);
    if (ea && eb) return "";
    if (ea || eb || la != lb)
      return "line " + std::to_string(n) + ": " + OneLine(ea ? "<end>" : la, 160) + " | " +
             OneLine(eb ? "<end>" : lb, 160);
  }
}
std::string FileDifference(const fs::path& a, const fs::path& b) {
  return FirstDifference(std::ifstream(a, std::ios::binary), std::ifstream(b, std::ios::binary));
}

// The first line of a file that shows a nan or an inf, read line by line.
std::string FileNanOrInf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  for (std::string line; std::getline(in, line);)
    if (!FindNanOrInf(line).empty()) return line;
  return "";
}

void ScanFolder(const Script& s, const fs::path& dir, const std::string& where,
                std::vector<Finding>& findings) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it); it.increment(ec)) {
    const std::string rel = fs::relative(it->path(), dir).string();
    if (it->is_regular_file() &&
        std::none_of(s.files.begin(), s.files.end(), [&](const AuxFile& f) { return f.name == rel; }))
      if (std::string line = FileNanOrInf(it->path()); !line.empty())
        findings.push_back({"nan", where + rel + ": " + OneLine(line)});
  }
}

// file + save through the commands, as a user saves.
bool Save(Kernel& k, const std::string& net, const fs::path& path, std::string& console) {
  return Execute(k, "file " + Quoted(net) + " " + Quoted(path.string()), &console) &&
         Execute(k, "save " + Quoted(net), &console);
}

uint32_t Seed32(uint64_t seed) { return static_cast<uint32_t>(seed ^ (seed >> 32)); }

// Save, reload in a fresh kernel, run both, compare; save the reloaded
// network, load that in another fresh kernel, save again and run it too.
// Loading lists the blocks in the other order, so the twice-reloaded network
// has the original's order again: when only the once-reloaded copy runs
// differently, the difference comes from the order of the blocks.
void CheckRoundTrip(Kernel& original, const Script& s, const std::string& net, const fs::path& base,
                    size_t& runs, std::vector<Finding>& findings) {
  // A line break comes into a name only through a line given whole to the
  // executor: no console line or script line can name such a network.
  if (net.find('\n') != std::string::npos) return;
  if (net.find('"') != std::string::npos)
    return findings.push_back({"save-failed", "network name " + OneLine(net) + " cannot be saved"});
  const fs::path folders[] = {base / "a", base / "b", base / "c"};
  const fs::path saves[] = {base / "first.txt", base / "second.txt", base / "third.txt"};
  const std::string run = "run " + Quoted(net) + " " + std::to_string(s.checkTime);
  Kernel reloaded[2];
  Kernel* kernels[] = {&original, &reloaded[0], &reloaded[1]};
  std::string report[3];
  for (int i = 0; i < 3; ++i) {
    Kernel& k = *kernels[i];
    Prepare(s, folders[i]);
    fs::current_path(folders[i]);
    if (i > 0) {  // the save before; when it fails, which command failed and how
      k.SetBaseSeed(Seed32(s.seed));
      platform::CapturedOutput out;
      if (!LoadScript(k, saves[i - 1].string())) {
        std::string text = out.Take(), command;
        size_t at = text.rfind(",line = ");
        std::ifstream lines(saves[i - 1]);
        for (long n = at == std::string::npos ? 0 : std::atol(text.c_str() + at + 8); n > 0; --n)
          std::getline(lines, command);
        return findings.push_back({"load-failed", "save " + std::to_string(i) + " of " + net + ": " +
                                                      OneLine(command, 200) + " -> " + OneLine(text, 300)});
      }
    }
    // The once-reloaded copy is saved after its run, the others before.
    std::string console;
    auto save = [&] {
      if (Save(k, net, saves[i], console)) return true;
      findings.push_back({"save-failed", "save " + std::to_string(i + 1) + " of " + net + ": " + OneLine(console)});
      return false;
    };
    if (i != 1 && !save()) return;
    Execute(k, run, &report[i]);
    ++runs;
    if (i == 1 && !save()) return;
    const std::string nan = FindNanOrInf(report[i]);
    if (!nan.empty()) findings.push_back({"nan", "comparison run of " + net + ": " + OneLine(nan)});
  }
  // The second save has the first one's lines, the third one its text.
  auto sortedLines = [](const fs::path& file) {
    std::vector<std::string> v;
    std::ifstream in(file, std::ios::binary);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    std::sort(v.begin(), v.end());
    return v;
  };
  std::string d = FileDifference(saves[0], saves[2]);
  if (!d.empty()) findings.push_back({"save-differs", net + ": third save, " + d});
  else if (sortedLines(saves[0]) != sortedLines(saves[1]))
    findings.push_back({"save-differs", net + ": second save has other lines"});

  const std::string files = CompareFolders(folders[0].string(), folders[1].string());
  d = FirstDifference(std::istringstream(RunReport(report[0])), std::istringstream(RunReport(report[1])));
  if (!files.empty() || !d.empty()) {
    bool order = CompareFolders(folders[0].string(), folders[2].string()).empty() &&
                 RunReport(report[0]) == RunReport(report[2]);
    findings.push_back({order ? "run-order" : "run-differs", net + ": " + (files.empty() ? "console " + d : files)});
  }
  ScanFolder(s, folders[0], "comparison run (original): ", findings);
  ScanFolder(s, folders[1], "comparison run (reloaded): ", findings);
}

}  // namespace

std::string FindNanOrInf(const std::string& text) {
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    bool quoted = false;
    std::string word;
    for (size_t i = start; i <= end; ++i) {
      const unsigned char c = i < end ? text[i] : ' ';
      if (!quoted && std::isalpha(c)) {
        word += static_cast<char>(std::tolower(c));
        continue;
      }
      if (word == "nan" || word == "inf" || word == "infinity") return text.substr(start, end - start);
      word.clear();
      quoted ^= c == '"';
    }
  }
  return "";
}

std::string CompareFolders(const std::string& a, const std::string& b) {
  auto files = [](const fs::path& dir) {
    std::set<std::string> names;
    for (auto& e : fs::recursive_directory_iterator(dir)) {
      std::string rel = fs::relative(e.path(), dir).string();
      // Wall-clock figures differ from run to run.
      auto ends = [&](const std::string& tail) {
        return rel.size() >= tail.size() && rel.compare(rel.size() - tail.size(), tail.size(), tail) == 0;
      };
      if (e.is_regular_file() && !ends("_perf.dat") && !ends("_end.dat")) names.insert(rel);
    }
    return names;
  };
  const std::set<std::string> na = files(a), nb = files(b);
  for (const std::string& n : na)
    if (!nb.count(n)) return "only the original wrote " + n;
  for (const std::string& n : nb)
    if (!na.count(n)) return "only the reloaded copy wrote " + n;
  for (const std::string& n : na) {
    std::string d = FileDifference(fs::path(a) / n, fs::path(b) / n);
    if (!d.empty()) return n + " " + d;
  }
  return "";
}

std::vector<Finding> CheckScript(const Script& s, const std::string& dir, size_t& runs) {
  RegisterAtmModels();
  std::vector<Finding> findings;
  const fs::path work = fs::path(dir) / "work", replay = fs::path(dir) / "replay";
  Prepare(s, work);
  Prepare(s, replay);
  // The script as given: nothing may crash or print a nan.
  fs::current_path(work);
  Kernel k;
  k.SetBaseSeed(Seed32(s.seed));
  for (size_t i = 0; i < s.commands.size(); ++i) {
    const std::string& cmd = s.commands[i];
    runs += IsRun(cmd);
    std::string console;
    Execute(k, cmd, &console);
    fs::current_path(work);  // a command must not move the process elsewhere
    const std::string line = FindNanOrInf(console);
    if (!line.empty())
      findings.push_back({"nan", "command " + std::to_string(i + 1) + " " + OneLine(cmd, 120) + ": " + OneLine(line)});
  }
  ScanFolder(s, work, "", findings);

  // A run carries statistics and counters over into later runs of the same
  // network, so the network is compared as the commands built it: the script
  // again without its runs. Saving it must give what the script's own
  // network saves.
  fs::current_path(replay);
  Kernel built;
  built.SetBaseSeed(Seed32(s.seed));
  for (const std::string& cmd : s.commands)
    if (!IsRun(cmd)) Execute(built, cmd);
  std::set<std::string> done;
  for (const std::string& net : s.networks) {
    if (!done.insert(net).second || !k.FindNetwork(net)) continue;
    const fs::path base = fs::path(dir) / ("roundtrip" + std::to_string(done.size()));
    fs::create_directories(base);
    std::string console;
    if (net.find_first_of("\"\n") == std::string::npos && Save(k, net, base / "after_runs.txt", console) &&
        built.FindNetwork(net)) {
      CheckRoundTrip(built, s, net, base, runs, findings);
      const std::string d = FileDifference(base / "after_runs.txt", base / "first.txt");
      if (!d.empty()) findings.push_back({"save-differs", net + ": the runs changed the saved script, " + d});
    } else {
      CheckRoundTrip(k, s, net, base, runs, findings);
    }
  }
  fs::current_path(dir);
  return findings;
}

namespace {
struct ScriptOutcome {
  std::vector<Finding> findings;
  size_t runs = 0;
};
// CheckScript in a child process limited to timeoutSeconds and to 256 MB per
// written file; a crash, a signal or a timeout becomes a finding.
ScriptOutcome CheckIsolated(const Script& s, const std::string& dir, double timeoutSeconds) {
  ScriptOutcome outcome;
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  const fs::path result = fs::path(dir) / "result.txt", err = fs::path(dir) / "stderr.txt",
                 out = fs::path(dir) / "stdout.txt";
  std::cout.flush();
  std::cerr.flush();
  const pid_t pid = fork();
  if (pid == 0) {
    // As in the program, a write past the file-size limit fails and the run
    // goes on; the limit keeps a runaway log small.
    platform::TreatFileSizeLimitAsWriteError();
    auto limit = [](int what, rlim_t n) {
      rlimit l{n, n};
      setrlimit(what, &l);
    };
    limit(RLIMIT_FSIZE, 256ull << 20);
    limit(RLIMIT_CORE, 0);
#ifndef PROPERTY_ASAN
    limit(RLIMIT_AS, 4ull << 30);  // AddressSanitizer reserves far more
#endif
    alarm(static_cast<unsigned>(std::ceil(timeoutSeconds)));  // a hang ends by SIGALRM
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    size_t runs = 0;
    std::vector<Finding> f = CheckScript(s, dir, runs);
    std::cout.flush();
    if (std::string line = FileNanOrInf(out); !line.empty())
      f.push_back({"nan", "standard output: " + OneLine(line)});
    std::ofstream r(result);
    r << runs << '\n';
    for (const Finding& x : f) r << x.kind << '\t' << OneLine(x.detail, 600) << '\n';
    r.close();
    if (__lsan_do_recoverable_leak_check) __lsan_do_recoverable_leak_check();
    std::fflush(nullptr);
    _exit(0);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid)
    return {{{"crash", std::string("fork failed: ") + std::strerror(errno)}}, 0};
  std::stringstream text;
  text << std::ifstream(err).rdbuf();
  const std::string errors = text.str();
  size_t at = errors.find("ERROR:");
  if (at == std::string::npos) at = errors.find("runtime error");
  const std::string tail = OneLine(errors.substr(at == std::string::npos ? 0 : at), 400);
  const bool sanitizer = errors.find("Sanitizer") != std::string::npos;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    outcome.findings.push_back({"hang", "no end after " + std::to_string(timeoutSeconds) + " s"});
  else if (WIFSIGNALED(status))
    outcome.findings.push_back({"crash", "signal " + std::string(strsignal(WTERMSIG(status))) + " " + tail});
  else if (WEXITSTATUS(status) != 0 || !fs::exists(result))
    outcome.findings.push_back({sanitizer ? "sanitizer" : "crash", "exit status " + std::to_string(WEXITSTATUS(status)) + " " + tail});
  if (!outcome.findings.empty()) return outcome;
  std::ifstream in(result);
  in >> outcome.runs;
  in.ignore();
  for (std::string line; std::getline(in, line);) {
    size_t tab = line.find('\t');
    outcome.findings.push_back({line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)});
  }
  if (sanitizer || errors.find("runtime error") != std::string::npos) outcome.findings.push_back({"sanitizer", tail});
  return outcome;
}

}  // namespace

CampaignSummary RunCampaign(CampaignOptions o, std::ostream& log) {
  // Scripts write many small files: a memory file system, when there is one.
  const fs::path tmp = fs::temp_directory_path();
  if (o.scratch.empty())
    o.scratch = ((access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : tmp) /
                 ("celvane_property_" + std::to_string(getpid()))).string();
  if (o.keep.empty()) o.keep = (tmp / "celvane_property_failures").string();
  const std::string dir = (fs::path(o.scratch) / "script").string();
  CampaignSummary sum;
  for (size_t i = 0; i < o.scripts; ++i) {
    const uint64_t seed = o.firstSeed + i;
    const Script s = Generate(seed);
    ++sum.scripts;
    sum.commandLines += s.CommandLines();
    const ScriptOutcome r = CheckIsolated(s, dir, o.timeoutSeconds);
    sum.runs += r.runs;
    for (const Finding& f : r.findings) ++sum.findings[f.kind];
    if (!r.findings.empty()) {
      ++sum.failingScripts;
      sum.failures.push_back("seed " + std::to_string(seed) + ": " + r.findings[0].kind + ": " + r.findings[0].detail);
      fs::create_directories(o.keep);
      std::ofstream f(fs::path(o.keep) / ("seed-" + std::to_string(seed) + ".txt"), std::ios::binary);
      for (const Finding& x : r.findings) f << "# FINDING " << x.kind << ": " << x.detail << '\n';
      f << s.Text();
    }
    if (o.progress && (i + 1) % 500 == 0) {
      log << "[" << (i + 1) << " scripts] ";
      PrintSummary(sum, log);
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::remove(o.scratch, ec);  // when it is empty
  sum.keep = o.keep;
  return sum;
}

void PrintSummary(const CampaignSummary& s, std::ostream& out) {
  out << s.scripts << " scripts, " << s.commandLines << " command lines, " << s.runs << " runs, "
      << s.failingScripts << " failing scripts";
  for (const auto& [kind, n] : s.findings) out << ", " << kind << " " << n;
  out << '\n';
}

}  // namespace property
