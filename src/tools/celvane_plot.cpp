// celvane-plot: draws Celvane's results with gnuplot, whose script it writes
// beside the picture (OUT with the extension .gp) so that it can be changed
// and run again.
//   celvane-plot FILE.dat [-o OUT]            one panel per column against Time
//   celvane-plot DIR/summary.csv --x NAME --figure BLOCK/NAME:FIGURE [-o OUT]
//                                             the figure's mean against a varied
//                                             variable, with 95% confidence bars,
//                                             one line per value of the others
// OUT ends in .png or .svg (default: beside the input, .png).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/ToolSupport.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message) {
  std::cerr << "celvane-plot: " << message << '\n';
  return 2;
}

// A gnuplot string: single quotes, inner ones doubled.
std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("''") : std::string(1, c);
  return q + "'";
}

bool IsNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

// The terminal line for the picture's format; "" for another extension.
std::string Terminal(const fs::path& out, int width, int height) {
  const std::string size = " size " + std::to_string(width) + "," + std::to_string(height);
  if (out.extension() == ".png") return "set terminal pngcairo" + size + " font ',10'\n";
  if (out.extension() == ".svg") return "set terminal svg" + size + " dynamic font ',10'\n";
  return std::string();
}

// A statistics file: one panel per column against Time (or the line number
// when the file has no Time column).
bool DatScript(const fs::path& file, const fs::path& out, std::string& script, std::string& error) {
  std::ifstream f(file);
  std::string header;
  if (!std::getline(f, header)) {
    error = "cannot read " + file.string();
    return false;
  }
  std::vector<std::string> columns;
  std::istringstream words(header);
  for (std::string w; words >> w;) columns.push_back(w);
  size_t rows = 0;
  for (std::string line; std::getline(f, line);)
    if (line.find_first_not_of(" \t\r") != std::string::npos) ++rows;
  double ignored;
  if (columns.empty() || IsNumber(columns[0], ignored)) {
    error = file.string() + " has no header line of column names";
    return false;
  }
  if (rows == 0) {
    error = file.string() + " has no data lines";
    return false;
  }
  const auto time = std::find(columns.begin(), columns.end(), "Time");
  const std::string x = time == columns.end() ? "0" : std::to_string(time - columns.begin() + 1);
  std::vector<size_t> panels;
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns.begin() + static_cast<long>(i) != time) panels.push_back(i);
  if (panels.empty()) panels.push_back(0);  // a file of times alone: the times themselves
  const size_t cols = panels.size() > 3 ? 2 : 1;
  const size_t lines = (panels.size() + cols - 1) / cols;
  const std::string terminal = Terminal(out, 1000, static_cast<int>(120 + 230 * lines));
  if (terminal.empty()) {
    error = "the picture must end in .png or .svg: " + out.string();
    return false;
  }
  std::ostringstream s;
  s << terminal << "set output " << Quoted(out.string()) << "\n"
    << "set termoption noenhanced\nset key off\nset grid\n"
    << "set xlabel " << Quoted(time == columns.end() ? "line" : "Time") << "\n"
    << "set multiplot layout " << lines << "," << cols << " title "
    << Quoted(file.filename().string() + " (" + std::to_string(rows) + " lines)") << "\n";
  for (size_t i : panels)
    s << "set title " << Quoted(columns[i]) << "\nplot " << Quoted(file.string()) << " skip 1 using "
      << x << ":" << i + 1 << " with lines lw 1.2\n";
  s << "unset multiplot\n";
  script = s.str();
  return true;
}

struct SummaryRequest {
  std::string x;       // the variable along the axis
  std::string figure;  // OBJECT:FIGURE
  std::vector<std::string> expect;  // LABEL=EXPRESSION curves
};

// A sweep summary: mean against x with 95% confidence bars, a line per
// combination of the other variables.
bool SummaryScript(const fs::path& file, const fs::path& out, const SummaryRequest& r,
                   std::string& script, std::string& error) {
  std::ifstream f(file);
  std::string line;
  if (!std::getline(f, line)) {
    error = "cannot read " + file.string();
    return false;
  }
  const std::vector<std::string> header = tools::SplitCsvLine(line);
  auto column = [&](const std::string& name) {
    return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  const size_t object = column("object"), figure = column("figure"), mean = column("mean"),
               ci = column("ci95"), n = column("n");
  if (object == header.size() || mean == header.size() || ci == header.size() || n == header.size()) {
    error = file.string() + " is not a sweep summary (no object, n, mean and ci95 columns)";
    return false;
  }
  const size_t x = column(r.x);
  if (x >= object) {
    error = "no varied variable " + r.x + " in " + file.string();
    return false;
  }
  const size_t colon = r.figure.rfind(':');
  if (colon == std::string::npos) {
    error = "--figure takes BLOCK/NAME:FIGURE, such as T1/PHY_QS:buffer_mean";
    return false;
  }
  const std::string wantObject = r.figure.substr(0, colon), wantFigure = r.figure.substr(colon + 1);

  struct Point {
    std::string x;
    double mean, ci;
  };
  std::vector<std::string> groupNames;
  std::map<std::string, std::vector<Point>> groups;
  std::vector<std::string> xs;  // in order of first appearance
  bool numeric = true;
  size_t minN = 0, maxN = 0;
  while (std::getline(f, line)) {
    const std::vector<std::string> row = tools::SplitCsvLine(line);
    if (row.size() != header.size() || row[object] != wantObject || row[figure] != wantFigure)
      continue;
    std::string group;
    for (size_t i = 0; i < object; ++i)
      if (i != x) group += (group.empty() ? "" : ", ") + header[i] + "=" + row[i];
    if (!groups.count(group)) groupNames.push_back(group);
    double m = 0, c = 0, value = 0;
    if (!IsNumber(row[mean], m)) continue;
    if (!IsNumber(row[ci], c)) c = 0;  // a single run has no interval
    groups[group].push_back({row[x], m, c});
    if (std::find(xs.begin(), xs.end(), row[x]) == xs.end()) xs.push_back(row[x]);
    numeric = numeric && IsNumber(row[x], value);
    const size_t runs = static_cast<size_t>(std::atol(row[n].c_str()));
    minN = minN ? std::min(minN, runs) : runs;
    maxN = std::max(maxN, runs);
  }
  if (groups.empty()) {
    error = "no rows of " + r.figure + " in " + file.string();
    return false;
  }
  const std::string terminal = Terminal(out, 900, 600);
  if (terminal.empty()) {
    error = "the picture must end in .png or .svg: " + out.string();
    return false;
  }
  std::ostringstream s;
  s << terminal << "set output " << Quoted(out.string()) << "\n"
    << "set termoption noenhanced\nset grid\nset key top left\n"
    << "set offsets graph 0.05, graph 0.05, graph 0.05, graph 0.05\n"
    << "set title " << Quoted(wantObject + "  " + wantFigure) << "\n"
    << "set xlabel " << Quoted(r.x) << "\nset ylabel "
    << Quoted(wantFigure + ": mean and 95% confidence interval over " +
              (minN == maxN ? std::to_string(minN) : std::to_string(minN) + "-" + std::to_string(maxN)) +
              " runs")
    << "\n";
  std::vector<std::string> plots;
  for (size_t g = 0; g < groupNames.size(); ++g) {
    std::vector<Point>& points = groups[groupNames[g]];
    if (numeric)
      std::sort(points.begin(), points.end(),
                [](const Point& a, const Point& b) { return std::atof(a.x.c_str()) < std::atof(b.x.c_str()); });
    const std::string block = "$G" + std::to_string(g);
    s << block << " << EOD\n";
    for (const Point& p : points) {
      const size_t index = static_cast<size_t>(std::find(xs.begin(), xs.end(), p.x) - xs.begin());
      s << (numeric ? p.x : std::to_string(index)) << ' ' << tools::NumberText(p.mean) << ' '
        << tools::NumberText(p.ci) << ' ' << Quoted(p.x) << '\n';
    }
    s << "EOD\n";
    const std::string title = groupNames[g].empty() ? "mean" : groupNames[g];
    plots.push_back(block + (numeric ? " using 1:2:3" : " using 1:2:3:xtic(4)") +
                    " with yerrorlines lw 1.5 pt 7 ps 0.8 title " + Quoted(title));
  }
  for (const std::string& e : r.expect) {
    const size_t eq = e.find('=');
    if (eq == std::string::npos || !numeric) {
      error = "--expect takes LABEL=EXPRESSION in x, for a variable with numeric values";
      return false;
    }
    plots.push_back(e.substr(eq + 1) + " with lines dt 2 lw 1.5 title " + Quoted(e.substr(0, eq)));
  }
  s << "plot ";
  for (size_t i = 0; i < plots.size(); ++i) s << (i ? ", \\\n     " : "") << plots[i];
  s << "\n";
  script = s.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, output;
  SummaryRequest request;
  CLI::App app{"Draws a Celvane statistics file (.dat) or a sweep summary (summary.csv) with "
               "gnuplot, and keeps the gnuplot script beside the picture.",
               "celvane-plot"};
  app.add_option("FILE", input, "a .dat statistics file or a sweep's summary.csv")
      ->required()
      ->check(CLI::ExistingFile);
  app.add_option("-o,--output", output, "the picture, .png or .svg (default: beside FILE, .png)");
  app.add_option("--x", request.x, "summary: the varied variable along the x axis");
  app.add_option("--figure", request.figure, "summary: BLOCK/NAME:FIGURE, as in summary.csv");
  app.add_option("--expect", request.expect,
                 "summary: LABEL=EXPRESSION, a curve in x drawn for comparison (repeatable)")
      ->allow_extra_args(false);
  CLI11_PARSE(app, argc, argv);

  const fs::path file = fs::absolute(input).lexically_normal();
  const bool summary = file.extension() == ".csv";
  fs::path out;
  if (!output.empty()) {
    out = fs::absolute(output).lexically_normal();
  } else if (summary) {
    std::string name = request.figure;
    std::replace_if(name.begin(), name.end(), [](char c) { return c == '/' || c == ':'; }, '_');
    out = file.parent_path() / (name + ".png");
  } else {
    out = file;
    out.replace_extension(".png");
  }
  std::string script, error;
  if (summary) {
    if (request.x.empty() || request.figure.empty())
      return Fail("a summary needs --x NAME and --figure BLOCK/NAME:FIGURE");
    if (!SummaryScript(file, out, request, script, error)) return Fail(error);
  } else if (!DatScript(file, out, script, error)) {
    return Fail(error);
  }

  fs::path scriptFile = out;
  scriptFile.replace_extension(".gp");
  std::error_code ec;
  fs::create_directories(out.parent_path(), ec);
  {
    std::ofstream f(scriptFile, std::ios::trunc);
    if (!(f << script)) return Fail("cannot write " + scriptFile.string());
  }
  if (!tools::FindInPath("gnuplot"))
    return Fail("gnuplot is not installed (apt-get install gnuplot-nox); the script is " +
                scriptFile.string());
  fs::remove(out, ec);
  const int status = tools::RunProgram({"gnuplot", scriptFile.string()});
  if (status != 0 || !fs::exists(out, ec) || fs::file_size(out, ec) == 0)
    return Fail("gnuplot could not draw " + out.string() + " from " + scriptFile.string());
  std::cerr << "celvane-plot: " << out.string() << '\n';
  return 0;
}
