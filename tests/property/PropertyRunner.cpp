// PropertyRunner: the checks of one script and the campaign over many seeds.
#include "PropertyRunner.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "atm/AtmModels.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "platform/Console.h"

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

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One line of text: line breaks and control bytes shown, cut to a length.
std::string OneLine(const std::string& s, size_t max = 300) {
  std::string r;
  for (char c : s.substr(0, max)) {
    if (c == '\n') r += "\\n";
    else if (c == '\t') r += "\\t";
    else if (static_cast<unsigned char>(c) < 32) r += '?';
    else r += c;
  }
  if (s.size() > max) r += "...";
  return r;
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

// Runs one command; what it printed goes to console.
int Execute(Kernel& k, const std::string& line, std::string* console = nullptr) {
  platform::CapturedOutput out;
  int r = ExecuteLine(k, line.c_str());
  if (console) *console += out.Take();
  return r;
}

void WriteFiles(const Script& s, const fs::path& dir) {
  for (const AuxFile& f : s.files) {
    fs::path p = dir / f.name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << f.content;
  }
}

bool IsAuxFile(const Script& s, const std::string& relative) {
  for (const AuxFile& f : s.files)
    if (f.name == relative) return true;
  return false;
}

// The run report with its wall-clock lines left out (the "-> Tempo" lines
// and the performance lines of three numbers).
std::string RunReport(const std::string& console) {
  std::istringstream in(console);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("-> Tempo", 0) == 0) continue;
    double a, b, c;
    char rest;
    if (std::sscanf(line.c_str(), "%lf %lf %lf %c", &a, &b, &c, &rest) == 3) continue;
    out += line + '\n';
  }
  return out;
}

// The first line where two texts differ, read line by line: run files can
// reach gigabytes, so files are compared as streams, never read whole.
std::string FirstDifference(std::istream& ia, std::istream& ib) {
  std::string la, lb;
  for (int n = 1;; ++n) {
    bool ea = !std::getline(ia, la), eb = !std::getline(ib, lb);
    if (ea && eb) return "";
    if (ea || eb || la != lb)
      return "line " + std::to_string(n) + ": " + OneLine(ea ? "<end>" : la, 160) + " | " +
             OneLine(eb ? "<end>" : lb, 160);
  }
}

std::string FirstDifference(const std::string& a, const std::string& b) {
  std::istringstream ia(a), ib(b);
  return FirstDifference(ia, ib);
}

std::string FirstFileDifference(const fs::path& a, const fs::path& b) {
  std::ifstream ia(a, std::ios::binary), ib(b, std::ios::binary);
  return FirstDifference(ia, ib);
}

// The first line of a file that shows a nan or an inf, read line by line.
std::string FileNanOrInf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    std::string hit = FindNanOrInf(line);
    if (!hit.empty()) return hit;
  }
  return "";
}

void ScanFolder(const Script& s, const fs::path& dir, const std::string& where,
                std::vector<Finding>& findings) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    std::string rel = fs::relative(it->path(), dir).string();
    if (IsAuxFile(s, rel)) continue;
    std::string line = FileNanOrInf(it->path());
    if (!line.empty()) findings.push_back({"nan", where + rel + ": " + OneLine(line)});
  }
}

// file + save through the commands, as a user saves.
bool Save(Kernel& k, const std::string& net, const std::string& path, std::string& console) {
  return Execute(k, "file " + Quoted(net) + " " + Quoted(path), &console) &&
         Execute(k, "save " + Quoted(net), &console);
}

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  std::sort(v.begin(), v.end());
  return v;
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
  if (net.find('"') != std::string::npos) {
    // A command cannot name it.
    findings.push_back({"save-failed", "network name " + OneLine(net) + " cannot be saved"});
    return;
  }
  const fs::path a = base / "a", b = base / "b", c = base / "c";
  for (const fs::path& d : {a, b, c}) {
    fs::create_directories(d);
    WriteFiles(s, d);
  }
  const std::string first = (base / "first.txt").string(), second = (base / "second.txt").string(),
                    third = (base / "third.txt").string();
  const std::string run = "run " + Quoted(net) + " " + std::to_string(s.checkTime);
  std::string console;
  if (!Save(original, net, first, console)) {
    findings.push_back({"save-failed", net + ": " + OneLine(console)});
    return;
  }
  auto load = [&](Kernel& k, const std::string& file, const char* what) {
    k.SetBaseSeed(Seed32(s.seed));
    platform::CapturedOutput out;
    if (LoadScript(k, file)) return true;
    // The message and the command that failed.
    std::string text = out.Take(), command;
    size_t at = text.rfind(",line = ");
    if (at != std::string::npos) {
      std::istringstream lines(Slurp(file));
      long n = std::atol(text.c_str() + at + 8);
      for (long i = 0; i < n && std::getline(lines, command);) ++i;
    }
    findings.push_back({"load-failed", what + net + ": " + OneLine(command, 200) + " -> " +
                                           OneLine(text, 300)});
    return false;
  };
  std::string runA, runB, runC;
  fs::current_path(a);
  Execute(original, run, &runA);
  ++runs;
  Kernel once;
  fs::current_path(b);
  if (!load(once, first, "")) return;
  Execute(once, run, &runB);
  ++runs;
  fs::current_path(base);
  console.clear();
  if (!Save(once, net, second, console)) {
    findings.push_back({"save-failed", "reloaded " + net + ": " + OneLine(console)});
    return;
  }
  Kernel twice;
  if (!load(twice, second, "second save of ")) return;
  console.clear();
  if (!Save(twice, net, third, console)) {
    findings.push_back({"save-failed", "third save of " + net + ": " + OneLine(console)});
    return;
  }
  fs::current_path(c);
  Execute(twice, run, &runC);
  ++runs;

  const std::string one = Slurp(first), two = Slurp(second), three = Slurp(third);
  // The second save has the first one's lines, the third one its text.
  if (three != one)
    findings.push_back({"save-differs", net + ": third save, " + FirstDifference(one, three)});
  else if (SortedLines(one) != SortedLines(two))
    findings.push_back({"save-differs", net + ": second save has other lines"});

  std::string files = CompareFolders(a.string(), b.string());
  std::string report = FirstDifference(RunReport(runA), RunReport(runB));
  if (!files.empty() || !report.empty()) {
    bool order = CompareFolders(a.string(), c.string()).empty() && RunReport(runA) == RunReport(runC);
    findings.push_back({order ? "run-order" : "run-differs",
                        net + ": " + (files.empty() ? "console " + report : files)});
  }
  for (const std::string* text : {&runA, &runB, &runC}) {
    std::string line = FindNanOrInf(*text);
    if (!line.empty()) findings.push_back({"nan", "comparison run of " + net + ": " + OneLine(line)});
  }
  ScanFolder(s, a, "comparison run (original): ", findings);
  ScanFolder(s, b, "comparison run (reloaded): ", findings);
}

}  // namespace

std::string FindNanOrInf(const std::string& text) {
  size_t lineStart = 0;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n') {
      lineStart = i + 1;
      quoted = false;
      continue;
    }
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted || !std::isalpha(static_cast<unsigned char>(c))) continue;
    if (i > lineStart && std::isalpha(static_cast<unsigned char>(text[i - 1]))) continue;
    size_t e = i;
    while (e < text.size() && std::isalpha(static_cast<unsigned char>(text[e]))) ++e;
    std::string word = text.substr(i, e - i);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char x) { return static_cast<char>(std::tolower(x)); });
    if (word == "nan" || word == "inf" || word == "infinity") {
      size_t end = text.find('\n', i);
      return text.substr(lineStart, end == std::string::npos ? std::string::npos : end - lineStart);
    }
    i = e - 1;
  }
  return "";
}

std::string CompareFolders(const std::string& a, const std::string& b) {
  auto files = [](const fs::path& dir) {
    std::set<std::string> names;
    for (auto& e : fs::recursive_directory_iterator(dir)) {
      if (!e.is_regular_file()) continue;
      std::string rel = fs::relative(e.path(), dir).string();
      // Wall-clock figures differ from run to run.
      if (rel.size() >= 9 && (rel.compare(rel.size() - 9, 9, "_perf.dat") == 0 ||
                              rel.compare(rel.size() - 8, 8, "_end.dat") == 0))
        continue;
      names.insert(rel);
    }
    return names;
  };
  std::set<std::string> na = files(a), nb = files(b);
  for (const std::string& n : na)
    if (!nb.count(n)) return "only the original wrote " + n;
  for (const std::string& n : nb)
    if (!na.count(n)) return "only the reloaded copy wrote " + n;
  for (const std::string& n : na) {
    std::string d = FirstFileDifference(fs::path(a) / n, fs::path(b) / n);
    if (!d.empty()) return n + " " + d;
  }
  return "";
}

std::vector<Finding> CheckScript(const Script& s, const std::string& dir, size_t& runs) {
  RegisterAtmModels();
  std::vector<Finding> findings;
  const fs::path work = fs::path(dir) / "work", replay = fs::path(dir) / "replay";
  for (const fs::path& d : {work, replay}) {
    fs::create_directories(d);
    WriteFiles(s, d);
  }
  // The script as given: nothing may crash or print a nan.
  fs::current_path(work);
  Kernel k;
  k.SetBaseSeed(Seed32(s.seed));
  for (size_t i = 0; i < s.commands.size(); ++i) {
    const std::string& cmd = s.commands[i];
    if (IsRun(cmd)) ++runs;
    std::string console;
    Execute(k, cmd, &console);
    fs::current_path(work);  // a command must not move the process elsewhere
    std::string line = FindNanOrInf(console);
    if (!line.empty())
      findings.push_back({"nan", "command " + std::to_string(i + 1) + " " + OneLine(cmd, 120) +
                                     ": " + OneLine(line)});
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
  size_t n = 0;
  for (const std::string& net : s.networks) {
    if (!done.insert(net).second || !k.FindNetwork(net)) continue;
    const fs::path base = fs::path(dir) / ("roundtrip" + std::to_string(++n));
    fs::create_directories(base);
    std::string console, ran = (base / "after_runs.txt").string();
    if (net.find_first_of("\"\n") == std::string::npos && Save(k, net, ran, console) &&
        built.FindNetwork(net)) {
      CheckRoundTrip(built, s, net, base, runs, findings);
      if (Slurp(ran) != Slurp(base / "first.txt"))
        findings.push_back({"save-differs", net + ": the runs changed the saved script, " +
                                                FirstDifference(Slurp(ran), Slurp(base / "first.txt"))});
    } else {
      CheckRoundTrip(k, s, net, base, runs, findings);
    }
  }
  fs::current_path(dir);
  return findings;
}

ScriptOutcome CheckIsolated(const Script& s, const std::string& dir, double timeoutSeconds) {
  ScriptOutcome outcome;
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  const fs::path result = fs::path(dir) / "result.txt", err = fs::path(dir) / "stderr.txt";
  std::cout.flush();
  std::cerr.flush();
  pid_t pid = fork();
  if (pid < 0) {
    outcome.findings.push_back({"crash", std::string("fork failed: ") + std::strerror(errno)});
    return outcome;
  }
  if (pid == 0) {
    // Generous: the time-driven logs of a run stop at two million lines, which
    // with the longest generated names make an event log of about 1.5 GB.
    rlimit fileSize{2ull << 30, 2ull << 30};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
#ifndef PROPERTY_ASAN
    rlimit memory{4ull << 30, 4ull << 30};  // AddressSanitizer reserves far more
    setrlimit(RLIMIT_AS, &memory);
#endif
    int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, 2);
    int out = ::open((fs::path(dir) / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    size_t runs = 0;
    std::vector<Finding> f = CheckScript(s, dir, runs);
    std::cout.flush();
    std::string stdoutLine = FileNanOrInf(fs::path(dir) / "stdout.txt");
    if (!stdoutLine.empty()) f.push_back({"nan", "standard output: " + OneLine(stdoutLine)});
    {
      std::ofstream r(result);
      r << runs << '\n';
      for (const Finding& x : f) r << x.kind << '\t' << OneLine(x.detail, 600) << '\n';
    }
    if (__lsan_do_recoverable_leak_check) __lsan_do_recoverable_leak_check();
    std::fflush(nullptr);
    _exit(0);
  }
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  auto pause = std::chrono::microseconds(50);
  for (;;) {
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    if (spent.count() > timeoutSeconds) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      outcome.findings.push_back({"hang", "no end after " + std::to_string(timeoutSeconds) + " s"});
      return outcome;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(5000));
  }
  const std::string errors = Slurp(err);
  auto tail = [&]() {
    size_t at = errors.find("ERROR:");
    if (at == std::string::npos) at = errors.find("runtime error");
    return OneLine(errors.substr(at == std::string::npos ? 0 : at), 400);
  };
  if (WIFSIGNALED(status)) {
    int sig = WTERMSIG(status);
    outcome.findings.push_back({sig == SIGXFSZ ? "hang" : "crash",
                                std::string("signal ") + std::to_string(sig) + " (" +
                                    strsignal(sig) + ") " + tail()});
    return outcome;
  }
  if (WEXITSTATUS(status) != 0 || !fs::exists(result)) {
    outcome.findings.push_back(
        {errors.find("Sanitizer") != std::string::npos ? "sanitizer" : "crash",
         "exit status " + std::to_string(WEXITSTATUS(status)) + " " + tail()});
    return outcome;
  }
  std::istringstream in(Slurp(result));
  in >> outcome.runs;
  in.ignore();
  for (std::string line; std::getline(in, line);) {
    size_t tab = line.find('\t');
    outcome.findings.push_back({line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)});
  }
  if (errors.find("runtime error") != std::string::npos ||
      errors.find("Sanitizer") != std::string::npos)
    outcome.findings.push_back({"sanitizer", tail()});
  return outcome;
}

CampaignSummary RunCampaign(const CampaignOptions& o, std::ostream& log) {
  CampaignSummary sum;
  const std::string dir = (fs::path(o.scratch) / "script").string();
  for (size_t i = 0; i < o.scripts; ++i) {
    const uint64_t seed = o.firstSeed + i;
    Script s = Generate(seed);
    ++sum.scripts;
    sum.commandLines += s.CommandLines();
    ScriptOutcome r = CheckIsolated(s, dir, o.timeoutSeconds);
    sum.runs += r.runs;
    for (const Finding& f : r.findings) ++sum.findings[f.kind];
    if (!r.findings.empty()) {
      ++sum.failingScripts;
      sum.failures.push_back("seed " + std::to_string(seed) + ": " + r.findings[0].kind + ": " +
                             r.findings[0].detail);
      if (!o.keep.empty()) {
        fs::create_directories(o.keep);
        std::ofstream f(fs::path(o.keep) / ("seed-" + std::to_string(seed) + ".txt"), std::ios::binary);
        for (const Finding& x : r.findings) f << "# FINDING " << x.kind << ": " << x.detail << '\n';
        f << s.Text();
      }
    }
    if (o.progress && (i + 1) % 500 == 0) {
      log << "[" << (i + 1) << " scripts] ";
      PrintSummary(sum, log);
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return sum;
}

void PrintSummary(const CampaignSummary& s, std::ostream& out) {
  out << s.scripts << " scripts, " << s.commandLines << " command lines, " << s.runs << " runs, "
      << s.failingScripts << " failing scripts";
  for (const auto& [kind, n] : s.findings) out << ", " << kind << " " << n;
  out << '\n';
}

}  // namespace property
