// celvane-sweep: runs a script over every combination of the values given
// to its variables, each combination R times with independent replications
// (--run 0..R-1, one base seed for all, so the points share their random
// numbers), each run a `celvane --batch` process in a folder of its own
// (DIR/NAME=V/.../run-K/), executed by GNU parallel on the local cores or on
// the machines of an ssh login file; then gathers the run records into
// DIR/runs.csv, DIR/summary.csv and DIR/results.sqlite.
//
// The sweep's definition is kept in DIR/sweep.json; running the command
// again resumes it: runs whose record exists are not run again, and the
// base seed is the one the sweep began with.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/SweepResults.h"
#include "tools/ToolSupport.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

struct Variable {
  std::string name;
  std::vector<std::string> values;
};

struct Options {
  std::string script;
  std::vector<std::string> vary;
  uint64_t runs = 0;
  std::string out;
  bool seedGiven = false;
  uint64_t seed = 0;
  std::string jobs;
  std::string sshLoginFile;
  std::string celvane;
  bool printJobs = false;
  bool collect = false;
};

int Fail(const std::string& message) {
  std::cerr << "celvane-sweep: " << message << '\n';
  return 2;
}

bool ValidName(const std::string& name) {
  if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
    return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

// NAME=V1,V2,... ; false with a message for anything else.
bool ParseVary(const std::string& text, Variable& v, std::string& error) {
  const size_t eq = text.find('=');
  v.name = text.substr(0, eq);
  if (eq == std::string::npos || !ValidName(v.name)) {
    error = "--vary " + text + ": expected NAME=V1,V2,... with NAME of letters, digits and _";
    return false;
  }
  std::set<std::string> seen;
  std::stringstream values(text.substr(eq + 1));
  for (std::string value; std::getline(values, value, ',');) {
    if (value.empty() || value == "." || value == ".." ||
        value.find_first_of("/\n\r") != std::string::npos) {
      error = "--vary " + v.name + ": the value '" + value +
              "' cannot name a folder (empty, '.', '..' or holding '/' or a line break)";
      return false;
    }
    if (!seen.insert(value).second) {
      error = "--vary " + v.name + ": the value '" + value + "' is given twice";
      return false;
    }
    v.values.push_back(value);
  }
  if (v.values.empty()) {
    error = "--vary " + v.name + ": no values";
    return false;
  }
  return true;
}

// Every combination of the values, the first variable varying slowest.
std::vector<std::vector<std::string>> Points(const std::vector<Variable>& vars) {
  std::vector<std::vector<std::string>> points(1);
  for (const Variable& v : vars) {
    std::vector<std::vector<std::string>> next;
    for (const auto& p : points)
      for (const std::string& value : v.values) {
        next.push_back(p);
        next.back().push_back(value);
      }
    points = std::move(next);
  }
  return points;
}

fs::path PointFolder(const fs::path& dir, const std::vector<Variable>& vars,
                     const std::vector<std::string>& point) {
  fs::path p = dir;
  for (size_t i = 0; i < vars.size(); ++i) p /= vars[i].name + "=" + point[i];
  return p;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// The run records under a run's folder, in name order.
std::vector<fs::path> Records(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return found;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (it->is_regular_file(ec) && name.size() > 9 &&
        name.compare(name.size() - 9, 9, "_run.json") == 0)
      found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// A run is done when its folder holds a record and no record of it says
// the run was interrupted.
bool RunDone(const fs::path& folder) {
  const std::vector<fs::path> records = Records(folder);
  if (records.empty()) return false;
  for (const fs::path& r : records) {
    const Json j = Json::parse(ReadFile(r), nullptr, false);
    if (j.is_discarded() || !j.is_object() || j.value("interrupted", true)) return false;
  }
  return true;
}

std::string JobLine(const Options& o, const fs::path& folder, uint64_t seed, uint64_t run,
                    const std::vector<Variable>& vars, const std::vector<std::string>& point) {
  using tools::ShellQuote;
  std::string line = "mkdir -p " + ShellQuote(folder.string()) + " && cd " +
                     ShellQuote(folder.string()) + " && " + ShellQuote(o.celvane) +
                     " --batch --seed " + std::to_string(seed) + " --run " + std::to_string(run);
  for (size_t i = 0; i < vars.size(); ++i) line += " -D " + ShellQuote(vars[i].name + "=" + point[i]);
  return line + " " + ShellQuote(o.script) + " >console.txt 2>errors.txt";
}

// The sweep's definition in DIR/sweep.json: its base seed above all, so
// that a resumed sweep goes on with the seed it began with.
bool SettleDefinition(const fs::path& dir, Options& o, const std::vector<Variable>& vars,
                      uint64_t& seed, std::string& error) {
  const fs::path file = dir / "sweep.json";
  std::error_code ec;
  if (fs::exists(file, ec)) {
    const Json j = Json::parse(ReadFile(file), nullptr, false);
    if (j.is_discarded() || !j.contains("seed") || !j["seed"].is_number_unsigned()) {
      error = file.string() + " is not a sweep definition";
      return false;
    }
    const uint64_t stored = j["seed"].get<uint64_t>();
    if (o.seedGiven && o.seed != stored) {
      error = dir.string() + " holds a sweep with base seed " + std::to_string(stored) +
              ", not " + std::to_string(o.seed) + "; use another --out folder";
      return false;
    }
    seed = stored;
  } else {
    seed = o.seedGiven ? o.seed : std::random_device{}();
    if (!o.seedGiven) std::cerr << "celvane-sweep: base seed " << seed << '\n';
  }
  Json j;
  j["script"] = o.script;
  j["seed"] = seed;
  j["runs"] = o.runs;
  j["vary"] = Json::array();
  for (const Variable& v : vars) j["vary"].push_back({{"name", v.name}, {"values", v.values}});
  fs::create_directories(dir, ec);
  std::ofstream f(file, std::ios::trunc);
  if (!(f << j.dump(2) << '\n')) {
    error = "cannot write " + file.string();
    return false;
  }
  return true;
}

// Runs the jobs through GNU parallel; its exit status.
int Execute(const Options& o, const fs::path& dir, const std::vector<std::string>& jobs) {
  const std::string version = tools::FirstOutputLine({"parallel", "--version"});
  if (version.rfind("GNU parallel", 0) != 0) {
    std::cerr << "celvane-sweep: GNU parallel is needed to run the sweep "
              << (tools::FindInPath("parallel") ? "(the parallel found is another program); "
                                                : "and is not installed; ")
              << "install it with: apt-get install parallel\n"
              << "  (or print the commands with --print-jobs, run them by other means, and "
                 "gather the results with --collect)\n";
    return -1;
  }
  const fs::path list = dir / "jobs.txt";
  {
    std::ofstream f(list, std::ios::trunc);
    for (const std::string& j : jobs) f << j << '\n';
  }
  std::vector<std::string> argv = {"parallel", "--halt", "never", "--joblog",
                                   (dir / "joblog.txt").string()};
  if (!o.jobs.empty()) argv.insert(argv.end(), {"--jobs", o.jobs});
  if (!o.sshLoginFile.empty()) argv.insert(argv.end(), {"--sshloginfile", o.sshLoginFile});
  argv.insert(argv.end(), {"-a", list.string()});
  std::cerr << "celvane-sweep: running " << jobs.size() << " run" << (jobs.size() == 1 ? "" : "s")
            << " with GNU parallel\n";
  return tools::RunProgram(argv);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app{
      "Runs a celvane SCRIPT for every combination of the values of its variables, R "
      "replications each, and gathers the run records into DIR/runs.csv, DIR/summary.csv and "
      "DIR/results.sqlite.",
      "celvane-sweep"};
  app.add_option("SCRIPT", o.script, "script that uses the variables as ${NAME}")->required();
  app.add_option("--vary", o.vary, "NAME=V1,V2,...: the values of one variable (repeatable)")
      ->required()
      ->allow_extra_args(false);
  app.add_option("--runs", o.runs, "replications per point (--run 0 .. R-1)")
      ->required()
      ->check(CLI::Range(uint64_t{1}, uint64_t{1000000}));
  app.add_option("--out", o.out, "folder of the sweep (created; a second call resumes it)")
      ->required();
  CLI::Option* seedOption =
      app.add_option("--seed", o.seed, "base seed of every run (default: from the system's entropy)")
          ->check(CLI::Range(uint64_t{0}, uint64_t{4294967295u}));
  app.add_option("--jobs", o.jobs, "runs at once per machine, as GNU parallel's --jobs "
                                   "(default: one per core)");
  app.add_option("--sshloginfile", o.sshLoginFile,
                 "machines to run on, as GNU parallel's --sshloginfile (\":\" is this one); "
                 "they need celvane and the --out folder at the same paths");
  app.add_option("--celvane", o.celvane,
                 "the celvane program the runs use (default: the one beside celvane-sweep)");
  app.add_flag("--print-jobs", o.printJobs,
               "print the command of every run still to do instead of running them");
  app.add_flag("--collect", o.collect, "run nothing; gather the records present");
  CLI11_PARSE(app, argc, argv);
  o.seedGiven = seedOption->count() > 0;

  std::vector<Variable> vars;
  for (const std::string& text : o.vary) {
    Variable v;
    std::string error;
    if (!ParseVary(text, v, error)) return Fail(error);
    for (const Variable& w : vars)
      if (w.name == v.name) return Fail("--vary " + v.name + " is given twice");
    vars.push_back(std::move(v));
  }
  std::error_code ec;
  if (!fs::is_regular_file(o.script, ec)) return Fail("cannot read the script " + o.script);
  o.script = fs::absolute(o.script).lexically_normal().string();
  const fs::path dir = fs::absolute(o.out).lexically_normal();
  if (o.celvane.empty()) {
    const std::string beside = tools::ProgramDirectory() + "/celvane";
    o.celvane = fs::exists(beside, ec) ? beside : std::string("celvane");
  }
  if (!o.sshLoginFile.empty()) o.sshLoginFile = fs::absolute(o.sshLoginFile).string();

  uint64_t seed = 0;
  std::string error;
  if (!SettleDefinition(dir, o, vars, seed, error)) return Fail(error);

  tools::SweepTables tables;
  for (const Variable& v : vars) tables.variables.push_back(v.name);
  tables.points = Points(vars);
  std::vector<std::string> jobs;
  for (size_t p = 0; p < tables.points.size(); ++p)
    for (uint64_t k = 0; k < o.runs; ++k) {
      const fs::path folder = PointFolder(dir, vars, tables.points[p]) / ("run-" + std::to_string(k));
      if (!RunDone(folder)) jobs.push_back(JobLine(o, folder, seed, k, vars, tables.points[p]));
    }

  if (o.printJobs) {
    for (const std::string& j : jobs) std::cout << j << '\n';
    return 0;
  }
  if (!o.collect && !jobs.empty() && Execute(o, dir, jobs) < 0) return 1;

  // Gather what is there; name what is missing.
  size_t missing = 0;
  for (size_t p = 0; p < tables.points.size(); ++p)
    for (uint64_t k = 0; k < o.runs; ++k) {
      const fs::path folder = PointFolder(dir, vars, tables.points[p]) / ("run-" + std::to_string(k));
      const std::vector<fs::path> records = Records(folder);
      bool interrupted = records.empty();
      std::vector<tools::RunRow> rows;
      for (const fs::path& r : records) {
        bool stopped = false;
        if (!tools::ReadRunRecord(ReadFile(r), p, k, records.size() > 1, rows, stopped, error)) {
          std::cerr << "celvane-sweep: " << r.string() << ": " << error << '\n';
          stopped = true;
        }
        interrupted = interrupted || stopped;
      }
      if (interrupted) {
        ++missing;
        std::cerr << "celvane-sweep: no complete record in " << folder.string()
                  << (fs::exists(folder / "errors.txt", ec) ? " (see its errors.txt)" : "") << '\n';
        continue;
      }
      tables.runs.insert(tables.runs.end(), rows.begin(), rows.end());
    }
  const std::vector<tools::SummaryRow> summary = tools::Summarise(tables);
  if (!tools::WriteSweepTables(dir.string(), tables, summary, error)) return Fail(error);
  const size_t total = tables.points.size() * o.runs;
  std::cerr << "celvane-sweep: " << total - missing << " of " << total << " runs gathered into "
            << (dir / "summary.csv").string() << '\n';
  return missing ? 1 : 0;
}
