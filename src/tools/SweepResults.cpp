// SweepResults: record reading, summaries, CSV and SQLite output.
#include "tools/SweepResults.h"

#include <sqlite3.h>

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

#include "tools/ToolSupport.h"

namespace tools {
namespace {
using Json = nlohmann::ordered_json;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Adds every numeric member of obj but those named in skip.
void AddFigures(const Json& obj, const std::string& object, size_t point, uint64_t run,
                uint64_t seed, std::vector<RunRow>& rows) {
  for (auto it = obj.begin(); it != obj.end(); ++it) {
    if (it.key() == "block" || it.key() == "name" || !it.value().is_number()) continue;
    rows.push_back({point, run, seed, object, it.key(), it.value().get<double>()});
  }
}

// Replaces path with the text, through a temporary file.
bool ReplaceFile(const std::string& path, const std::string& text, std::string& error) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!(f << text) || !f.flush()) {
      error = "cannot write " + tmp;
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    return false;
  }
  return true;
}

std::string Header(const SweepTables& t, const char* rest) {
  std::string h;
  for (const std::string& v : t.variables) h += CsvField(v) + ",";
  return h + rest + "\n";
}

std::string PointFields(const SweepTables& t, size_t point) {
  std::string s;
  for (const std::string& v : t.points[point]) s += CsvField(v) + ",";
  return s;
}

std::string Identifier(const std::string& name) {
  std::string q = "\"";
  for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

class Database {
 public:
  explicit Database(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) ok_ = false;
  }
  ~Database() { sqlite3_close(db_); }
  bool Exec(const std::string& sql) {
    if (!ok_) return false;
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      error_ = message ? message : "sqlite error";
      sqlite3_free(message);
      ok_ = false;
    }
    return ok_;
  }
  // Prepares an insert of `columns` values into table.
  sqlite3_stmt* Insert(const std::string& table, size_t columns) {
    std::string sql = "INSERT INTO " + table + " VALUES (";
    for (size_t i = 0; i < columns; ++i) sql += i ? ",?" : "?";
    sql += ")";
    sqlite3_stmt* s = nullptr;
    if (ok_ && sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) Fail();
    return s;
  }
  bool Step(sqlite3_stmt* s) {
    if (!ok_) return false;
    if (sqlite3_step(s) != SQLITE_DONE) Fail();
    sqlite3_reset(s);
    return ok_;
  }
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  void Fail() {
    error_ = sqlite3_errmsg(db_);
    ok_ = false;
  }
  sqlite3* db_ = nullptr;
  bool ok_ = true;
  std::string error_;
};

void BindNumber(sqlite3_stmt* s, int i, double x) {
  if (std::isnan(x)) sqlite3_bind_null(s, i);
  else sqlite3_bind_double(s, i, x);
}

bool WriteDatabaseAt(const std::string& path, const SweepTables& t,
                     const std::vector<SummaryRow>& summary, std::string& error) {
  Database db(path);
  std::string vars;
  for (const std::string& v : t.variables) vars += Identifier(v) + " NUMERIC, ";
  db.Exec("BEGIN");
  db.Exec("CREATE TABLE runs (" + vars +
          "run INTEGER, seed INTEGER, object TEXT, figure TEXT, value REAL)");
  db.Exec("CREATE TABLE summary (" + vars +
          "object TEXT, figure TEXT, n INTEGER, mean REAL, stddev REAL, ci95 REAL)");
  const int nv = static_cast<int>(t.variables.size());
  auto bindPoint = [&](sqlite3_stmt* s, size_t point) {
    for (int i = 0; i < nv; ++i)
      sqlite3_bind_text(s, i + 1, t.points[point][i].c_str(), -1, SQLITE_TRANSIENT);
  };
  if (sqlite3_stmt* s = db.Insert("runs", t.variables.size() + 5)) {
    for (const RunRow& r : t.runs) {
      bindPoint(s, r.point);
      sqlite3_bind_int64(s, nv + 1, static_cast<sqlite3_int64>(r.run));
      sqlite3_bind_int64(s, nv + 2, static_cast<sqlite3_int64>(r.seed));
      sqlite3_bind_text(s, nv + 3, r.object.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, nv + 4, r.figure.c_str(), -1, SQLITE_TRANSIENT);
      BindNumber(s, nv + 5, r.value);
      if (!db.Step(s)) break;
    }
    sqlite3_finalize(s);
  }
  if (sqlite3_stmt* s = db.Insert("summary", t.variables.size() + 6)) {
    for (const SummaryRow& r : summary) {
      bindPoint(s, r.point);
      sqlite3_bind_text(s, nv + 1, r.object.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, nv + 2, r.figure.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(s, nv + 3, static_cast<sqlite3_int64>(r.n));
      BindNumber(s, nv + 4, r.mean);
      BindNumber(s, nv + 5, r.stddev);
      BindNumber(s, nv + 6, r.ci95);
      if (!db.Step(s)) break;
    }
    sqlite3_finalize(s);
  }
  db.Exec("COMMIT");
  if (!db.ok()) error = path + ": " + db.error();
  return db.ok();
}

// Built in a temporary file, then renamed over path.
bool WriteDatabase(const std::string& path, const SweepTables& t,
                   const std::vector<SummaryRow>& summary, std::string& error) {
  const std::string tmp = path + ".tmp";
  std::remove(tmp.c_str());
  if (!WriteDatabaseAt(tmp, t, summary, error)) {
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    return false;
  }
  return true;
}
}  // namespace

bool ReadRunRecord(const std::string& text, size_t point, uint64_t run, bool prefixNetwork,
                   std::vector<RunRow>& rows, bool& interrupted, std::string& error) {
  const Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object() || !j.contains("network") || !j["network"].is_string() ||
      !j.contains("seed") || !j["seed"].is_number_unsigned()) {
    error = "not a run record";
    return false;
  }
  interrupted = j.value("interrupted", false);
  const std::string network = j["network"].get<std::string>();
  const uint64_t seed = j["seed"].get<uint64_t>();
  const std::string prefix = prefixNetwork ? network + ":" : std::string();
  for (const char* figure : {"events", "time_reached", "wall_seconds"})
    if (j.contains(figure) && j[figure].is_number())
      rows.push_back({point, run, seed, network, figure, j[figure].get<double>()});
  for (const char* list : {"sources", "receivers", "queues"}) {
    if (!j.contains(list) || !j[list].is_array()) continue;
    for (const Json& o : j[list]) {
      if (!o.is_object() || !o.contains("block") || !o["block"].is_string() ||
          !o.contains("name") || !o["name"].is_string())
        continue;
      AddFigures(o, prefix + o["block"].get<std::string>() + "/" + o["name"].get<std::string>(),
                 point, run, seed, rows);
    }
  }
  return true;
}

double HalfWidth95(size_t n, double s) {
  if (n < 2 || std::isnan(s)) return kNaN;
  const boost::math::students_t t(static_cast<double>(n - 1));
  return boost::math::quantile(t, 0.975) * s / std::sqrt(static_cast<double>(n));
}

std::vector<SummaryRow> Summarise(const SweepTables& tables) {
  // Groups keep the order in which the rows first name them.
  std::map<std::tuple<size_t, std::string, std::string>, size_t> index;
  std::vector<SummaryRow> out;
  std::vector<std::vector<double>> values;
  for (const RunRow& r : tables.runs) {
    auto [it, added] = index.try_emplace({r.point, r.object, r.figure}, out.size());
    if (added) {
      out.push_back({r.point, r.object, r.figure, 0, kNaN, kNaN, kNaN});
      values.emplace_back();
    }
    values[it->second].push_back(r.value);
  }
  for (size_t g = 0; g < out.size(); ++g) {
    const std::vector<double>& v = values[g];
    double mean = 0;
    for (double x : v) mean += x;
    mean /= static_cast<double>(v.size());
    double squares = 0;
    for (double x : v) squares += (x - mean) * (x - mean);
    out[g].n = v.size();
    out[g].mean = mean;
    if (v.size() > 1) {
      out[g].stddev = std::sqrt(squares / static_cast<double>(v.size() - 1));
      out[g].ci95 = HalfWidth95(v.size(), out[g].stddev);
    }
  }
  return out;
}

bool WriteSweepTables(const std::string& dir, const SweepTables& t,
                      const std::vector<SummaryRow>& summary, std::string& error) {
  std::ostringstream runs;
  runs << Header(t, "run,seed,object,figure,value");
  for (const RunRow& r : t.runs)
    runs << PointFields(t, r.point) << r.run << ',' << r.seed << ',' << CsvField(r.object) << ','
         << CsvField(r.figure) << ',' << NumberText(r.value) << '\n';
  std::ostringstream sum;
  sum << Header(t, "object,figure,n,mean,stddev,ci95");
  for (const SummaryRow& r : summary)
    sum << PointFields(t, r.point) << CsvField(r.object) << ',' << CsvField(r.figure) << ','
        << r.n << ',' << NumberText(r.mean) << ',' << NumberText(r.stddev) << ','
        << NumberText(r.ci95) << '\n';
  return ReplaceFile(dir + "/runs.csv", runs.str(), error) &&
         ReplaceFile(dir + "/summary.csv", sum.str(), error) &&
         WriteDatabase(dir + "/results.sqlite", t, summary, error);
}

}  // namespace tools
