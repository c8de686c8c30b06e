// The experiment tools end to end: a small sweep of the VBR example (its
// tables recomputed here, resumption, printed jobs then collection, the
// closed form within the confidence intervals), pictures of a statistics
// file and of the summary, the messages when GNU parallel or gnuplot are
// missing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kBin = CELVANE_BIN_DIR;
const fs::path kExamples = CELVANE_EXAMPLES;

std::string Read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string Quote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

// Runs a shell command line in dir; its exit status, its output and errors.
struct Result {
  int status;
  std::string out, err;
};
Result Shell(const fs::path& dir, const std::string& command) {
  const std::string line = "cd " + Quote(dir.string()) + " && " + command + " >" +
                           Quote((dir / ".out").string()) + " 2>" + Quote((dir / ".err").string());
  const int raw = std::system(line.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), Read(dir / ".out"),
          Read(dir / ".err")};
}

std::vector<std::vector<std::string>> Csv(const fs::path& p) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(Read(p));
  for (std::string line; std::getline(in, line);) {
    rows.emplace_back();
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, ',');) rows.back().push_back(f);
    if (!line.empty() && line.back() == ',') rows.back().emplace_back();
  }
  return rows;
}

// runs.csv without the wall-clock figure, which no two runs share.
std::string StableRuns(const fs::path& dir) {
  std::string kept;
  for (const auto& row : Csv(dir / "runs.csv"))
    if (row.size() < 5 || row[4] != "wall_seconds") {
      for (const std::string& f : row) kept += f + ",";
      kept += "\n";
    }
  return kept;
}

class Sweep : public testing::Test {
 protected:
  static fs::path work_;
  static std::string command_;

  // The grid CELLS = 2, 4 (loads 0.34 and 0.68), 3 replications of 50 ms,
  // base seed 11.
  static void SetUpTestSuite() {
    work_ = fs::path(testing::TempDir()) / ("celvane-tools-" + std::to_string(getpid()));
    fs::remove_all(work_);
    fs::create_directories(work_);
    command_ = Quote((kBin / "celvane-sweep").string()) + " " +
               Quote((kExamples / "vbr_load.txt").string()) +
               " --vary CELLS=2,4 --runs 3 --out s --seed 11 --jobs 2";
    const Result r = Shell(work_, command_);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  static void TearDownTestSuite() {
    if (!testing::UnitTest::GetInstance()->Failed()) fs::remove_all(work_);
  }
  fs::path Out() const { return work_ / "s"; }
};
fs::path Sweep::work_;
std::string Sweep::command_;

TEST_F(Sweep, TablesHoldEveryRunAndTheirSummaries) {
  const auto runs = Csv(Out() / "runs.csv");
  ASSERT_GT(runs.size(), 1u);
  EXPECT_EQ(runs[0], (std::vector<std::string>{"CELLS", "run", "seed", "object", "figure", "value"}));
  // The same objects and figures in each of the 6 runs, under seed 11.
  std::map<std::string, std::map<std::string, std::vector<double>>> byPoint;  // CELLS, object:figure
  std::map<std::string, int> perRun;
  for (size_t i = 1; i < runs.size(); ++i) {
    ASSERT_EQ(runs[i].size(), 6u) << i;
    EXPECT_EQ(runs[i][2], "11");
    ++perRun[runs[i][0] + "/" + runs[i][1]];
    byPoint[runs[i][0]][runs[i][3] + ":" + runs[i][4]].push_back(std::stod(runs[i][5]));
  }
  ASSERT_EQ(perRun.size(), 6u);
  for (const auto& [run, n] : perRun) EXPECT_EQ(n, perRun.begin()->second) << run;
  EXPECT_EQ(byPoint["4"].count("T1/PHY_QS:buffer_mean"), 1u);
  EXPECT_EQ(byPoint["4"].count("A2/TR:delay_mean"), 1u);
  EXPECT_EQ(byPoint["4"].count("vbr:events"), 1u);

  // Each summary row recomputed: the sample standard deviation and the
  // Student t half-width, t(0.975; 2) = 4.302652729911275.
  const auto summary = Csv(Out() / "summary.csv");
  EXPECT_EQ(summary[0], (std::vector<std::string>{"CELLS", "object", "figure", "n", "mean",
                                                  "stddev", "ci95"}));
  size_t rows = 0;
  for (size_t i = 1; i < summary.size(); ++i, ++rows) {
    const auto& row = summary[i];
    ASSERT_EQ(row.size(), 7u);
    const std::vector<double>& v = byPoint[row[0]][row[1] + ":" + row[2]];
    ASSERT_EQ(v.size(), 3u) << row[1] << " " << row[2];
    EXPECT_EQ(row[3], "3");
    const double mean = (v[0] + v[1] + v[2]) / 3;
    double ss = 0;
    for (double x : v) ss += (x - mean) * (x - mean);
    const double sd = std::sqrt(ss / 2), ci = 4.302652729911275 * sd / std::sqrt(3.0);
    const double scale = std::abs(mean) + 1e-300;
    EXPECT_NEAR(std::stod(row[4]), mean, 1e-12 * scale) << row[1] << " " << row[2];
    EXPECT_NEAR(std::stod(row[5]), sd, 1e-9 * scale);
    EXPECT_NEAR(std::stod(row[6]), ci, 1e-9 * scale);
  }
  EXPECT_EQ(rows, byPoint["2"].size() + byPoint["4"].size());

  // The database holds the same tables; CELLS reads as a number.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((Out() / "results.sqlite").string().c_str(), &db), SQLITE_OK);
  auto one = [&](const char* sql) {
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    std::string value;
    if (s && sqlite3_step(s) == SQLITE_ROW)
      value = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    return value;
  };
  EXPECT_EQ(one("SELECT COUNT(*) FROM runs"), std::to_string(runs.size() - 1));
  EXPECT_EQ(one("SELECT COUNT(*) FROM summary"), std::to_string(rows));
  EXPECT_EQ(one("SELECT typeof(CELLS) FROM summary LIMIT 1"), "integer");
  EXPECT_NEAR(std::stod(one("SELECT mean FROM summary WHERE CELLS = 4 AND object = 'T1/PHY_QS' "
                            "AND figure = 'buffer_mean'")),
              [&] {
                const auto& v = byPoint["4"]["T1/PHY_QS:buffer_mean"];
                return (v[0] + v[1] + v[2]) / 3;
              }(),
              1e-9);
  sqlite3_close(db);
}

// T1's transmit queue against the batch-Poisson closed form quoted by the
// VBR example: with m cells per batch and load r = m / (16e-6 s * 366792
// cells/s), E[NoBC] = r (m + r) / (2 (1 - r)) + r / 2. The 95% interval of
// three replications covers the true mean of the simulated system 19 times
// in 20; the fixed seed makes the outcome the same at every run of the test.
// The closed form neglects the 1 ns spacing of a batch's cells (4e-4 of a
// slot) and the 16-bit quantisation of the gaps (a relative error near
// 1e-4), and 50 ms from an empty queue start low by the queue's relaxation
// (a few hundred slots of 136000): 1% of the value bounds all three.
TEST_F(Sweep, ClosedFormLiesWithinTheConfidenceIntervals) {
  for (const auto& row : Csv(Out() / "summary.csv")) {
    if (row.size() != 7 || row[1] != "T1/PHY_QS" || row[2] != "buffer_mean") continue;
    const double m = std::stod(row[0]), r = m / (16e-6 * 155.52e6 / 424);
    const double expected = r * (m + r) / (2 * (1 - r)) + r / 2;
    const double mean = std::stod(row[4]), ci = std::stod(row[6]);
    EXPECT_LT(ci, 0.2 * expected) << "too wide to tell anything, m = " << m;
    EXPECT_NEAR(mean, expected, ci + 0.01 * expected) << "m = " << m;
  }
}

TEST_F(Sweep, ResumesPrintsJobsCollectsAndKeepsItsSeed) {
  const std::string before = StableRuns(Out());
  // A removed run is run again, and only it; the same seed and run give
  // the same figures.
  fs::remove_all(Out() / "CELLS=4" / "run-1");
  Result r = Shell(work_, command_);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Csv(Out() / "jobs.txt").size(), 1u);
  EXPECT_EQ(StableRuns(Out()), before);

  // Printed jobs, run by hand, then collected.
  fs::remove_all(Out() / "CELLS=2" / "run-0");
  r = Shell(work_, command_ + " --print-jobs");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_NE(r.out.find("--run 0 -D CELLS=2"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(Out() / "CELLS=2" / "run-0"));
  ASSERT_EQ(Shell(work_, "sh -c " + Quote(r.out)).status, 0);
  r = Shell(work_, command_ + " --collect");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(StableRuns(Out()), before);

  // Collecting with a run missing says which, and fails.
  fs::rename(Out() / "CELLS=2" / "run-2", work_ / "aside");
  r = Shell(work_, command_ + " --collect");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("CELLS=2/run-2"), std::string::npos) << r.err;
  fs::rename(work_ / "aside", Out() / "CELLS=2" / "run-2");

  // Another seed for the same folder is refused.
  r = Shell(work_, Quote((kBin / "celvane-sweep").string()) + " " +
                       Quote((kExamples / "vbr_load.txt").string()) +
                       " --vary CELLS=2 --runs 1 --out s --seed 12");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("base seed 11"), std::string::npos) << r.err;

  // Without GNU parallel the sweep says how to get it.
  fs::create_directories(work_ / "empty");
  fs::remove_all(Out() / "CELLS=4" / "run-0");
  r = Shell(work_, "PATH=" + Quote((work_ / "empty").string()) + " " + command_);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("apt-get install parallel"), std::string::npos) << r.err;
  ASSERT_EQ(Shell(work_, command_).status, 0);
}

// A PNG's width and height from its header; 0 x 0 when it is no PNG.
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  auto word = [&](size_t at) {
    return (unsigned char)png[at] << 24 | (unsigned char)png[at + 1] << 16 |
           (unsigned char)png[at + 2] << 8 | (unsigned char)png[at + 3];
  };
  return {static_cast<unsigned>(word(16)), static_cast<unsigned>(word(20))};
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(Sweep, PlotsDrawStatisticsFilesAndSummaries) {
  // A statistics file of 7 columns besides Time: 7 panels, 4 rows of 2.
  ASSERT_EQ(Shell(work_, Quote((kBin / "celvane").string()) + " --seed 1 --batch " +
                             Quote((kExamples / "vbr.txt").string()))
                .status,
            0);
  const std::string plot = Quote((kBin / "celvane-plot").string());
  ASSERT_EQ(Shell(work_, plot + " results/vbr/T1_PS_SS.dat").status, 0);
  const std::string png = Read(work_ / "results/vbr/T1_PS_SS.png");
  EXPECT_EQ(PngSize(png), std::make_pair(1000u, 120u + 230u * 4));
  EXPECT_GT(png.size(), 20000u);  // seven drawn panels, not a blank page
  ASSERT_EQ(Shell(work_, plot + " results/vbr/T1_PS_SS.dat -o ss.svg").status, 0);
  const std::string svg = Read(work_ / "ss.svg");
  EXPECT_EQ(svg.compare(0, 5, "<?xml"), 0);
  EXPECT_GE(Count(svg, "<path"), 7u);
  for (const char* title : {"SMNoBC", "SVNoBC", "SMDoBC", "DoSC"})
    EXPECT_NE(svg.find(title), std::string::npos) << title;
  EXPECT_TRUE(fs::exists(work_ / "ss.gp"));

  // The summary: mean against CELLS with its bars and a comparison curve.
  const std::string summary = plot + " s/summary.csv --x CELLS --figure T1/PHY_QS:buffer_mean";
  Result r = Shell(work_, summary);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string chart = Read(Out() / "T1_PHY_QS_buffer_mean.png");
  EXPECT_EQ(PngSize(chart), std::make_pair(900u, 600u));
  EXPECT_GT(chart.size(), 10000u);
  r = Shell(work_, summary + " --expect 'closed form=x*x' -o chart.svg");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string chartSvg = Read(work_ / "chart.svg");
  EXPECT_NE(chartSvg.find("closed form"), std::string::npos);
  EXPECT_NE(chartSvg.find("buffer_mean"), std::string::npos);
  EXPECT_GE(Count(chartSvg, "<path"), 4u);  // the line, the bars, the curve, the frame

  // Wrong requests and a missing gnuplot are named.
  r = Shell(work_, plot + " s/summary.csv --x CELLS --figure T1/PHY_QS:nothing");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no rows of T1/PHY_QS:nothing"), std::string::npos) << r.err;
  fs::create_directories(work_ / "empty");
  r = Shell(work_, "PATH=" + Quote((work_ / "empty").string()) + " " + plot +
                       " results/vbr/T1_PS_SS.dat -o none.png");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("apt-get install gnuplot-nox"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(work_ / "none.gp"));
}

}  // namespace
