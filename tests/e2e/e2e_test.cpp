// End-to-end runner: runs the built program on every case in e2e/cases in a
// fresh working directory and compares its whole output byte for byte.
//
// Case NAME:  NAME.in      standard input (optional; empty when absent)
//             NAME.args    program arguments, one per line (optional)
//             NAME.out     expected standard output
//             NAME.err     expected standard error (absent: must be empty)
//             NAME.status  expected exit status (absent: 0)
//             NAME.setup/  files copied into the working directory first
//             NAME.files/  files that must then exist there with this content
// With CELVANE_UPDATE=1 the expectations are rewritten from the actual run.
// Wall-clock figures (the run report's "-> Tempo" lines, the end-of-run and
// performance files, the run record's wall_seconds) are compared with their
// numbers masked as "#".
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kCases = CELVANE_E2E_CASES;

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

bool Updating() {
  const char* v = std::getenv("CELVANE_UPDATE");
  return v && std::string(v) == "1";
}

std::vector<std::string> CaseNames() {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(kCases, ec)) {
    const fs::path p = e.path();
    if (p.extension() == ".in" || p.extension() == ".args") names.insert(p.stem().string());
  }
  return {names.begin(), names.end()};
}

std::string Quote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// Wall-clock figures change from run to run: what follows the label of the
// run report's "-> Tempo" lines, the run record's wall_seconds, and in the
// end-of-run and performance files every field but the event count and the
// simulated time, becomes "#".

std::string StableText(const std::string& text, const fs::path& file) {
  const std::string name = file.filename().string();
  const bool endFile = name.size() > 8 && name.compare(name.size() - 8, 8, "_end.dat") == 0;
  const bool perfFile = name.size() > 9 && name.compare(name.size() - 9, 9, "_perf.dat") == 0;
  std::string out;
  for (const std::string& line : Lines(text)) {
    if (line.rfind("  \"wall_seconds\": ", 0) == 0) {
      out += "  \"wall_seconds\": #,\n";
    } else if (line.rfind("-> Tempo", 0) == 0) {
      // Everything after the label goes: the clock is padded differently
      // before and after ten o'clock.
      size_t colon = line.find(": ");
      out += colon == std::string::npos
                 ? line
                 : line.substr(0, colon + 2) + "#" + (line.back() == '\n' ? "\n" : "");
    } else if ((endFile || perfFile) && !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
      // Keep the event count (and, in the performance file, the simulated time).
      std::istringstream fields(line);
      std::string field, kept;
      for (int i = 0; fields >> field; ++i)
        kept += (i ? " " : "") + ((i == 0 || (perfFile && i == 2)) ? field : std::string("#"));
      out += kept + (line.back() == '\n' ? "\n" : "");
    } else {
      out += line;
    }
  }
  return out;
}

// Compares a text with its expectation file, or rewrites the file.
void Expect(const std::string& rawActual, const fs::path& file, bool optional) {
  const std::string actual = StableText(rawActual, file);
  if (Updating()) {
    if (optional && actual.empty()) fs::remove(file);
    else WriteFile(file, actual);
    return;
  }
  const std::string expected = fs::exists(file) || !optional ? ReadFile(file) : std::string();
  if (!optional && !fs::exists(file)) ADD_FAILURE() << file << " is missing (CELVANE_UPDATE=1 writes it)";
  else EXPECT_EQ(expected, actual) << file.filename() << " differs";
}

class E2E : public testing::TestWithParam<std::string> {};

TEST_P(E2E, Run) {
  const std::string name = GetParam();
  const fs::path base = kCases / name;
  std::string root = (fs::temp_directory_path() / "celvane-e2e-XXXXXX").string();
  ASSERT_NE(mkdtemp(root.data()), nullptr);
  const fs::path work = fs::path(root) / "work";
  fs::create_directories(work);
  if (fs::is_directory(base.string() + ".setup"))
    fs::copy(base.string() + ".setup", work, fs::copy_options::recursive);

  std::string command = "cd " + Quote(work.string()) + " && exec " + Quote(CELVANE_BINARY);
  std::istringstream args(ReadFile(base.string() + ".args"));
  for (std::string arg; std::getline(args, arg);) command += " " + Quote(arg);
  const std::string in = fs::exists(base.string() + ".in") ? base.string() + ".in" : "/dev/null";
  command += " <" + Quote(in) + " >" + Quote(root + "/stdout") + " 2>" + Quote(root + "/stderr");
  const int rc = std::system(command.c_str());
  const int status = WIFEXITED(rc) ? WEXITSTATUS(rc) : 128 + WTERMSIG(rc);

  Expect(ReadFile(root + "/stdout"), base.string() + ".out", false);
  Expect(ReadFile(root + "/stderr"), base.string() + ".err", true);
  Expect(status ? std::to_string(status) + "\n" : "", base.string() + ".status", true);
  const fs::path files = base.string() + ".files";
  if (fs::is_directory(files)) {
    for (const auto& e : fs::recursive_directory_iterator(files)) {
      if (!e.is_regular_file()) continue;
      const fs::path produced = work / fs::relative(e.path(), files);
      if (!fs::exists(produced)) ADD_FAILURE() << "the run did not write " << produced;
      else Expect(ReadFile(produced), e.path(), false);
    }
  }
  if (HasFailure()) std::cout << "working directory kept: " << root << '\n';
  else fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Cases, E2E, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& i) { return i.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(E2E);

}  // namespace
