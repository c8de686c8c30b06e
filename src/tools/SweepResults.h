// SweepResults: the tables of a sweep - one row per run, object and figure
// read from the runs' records, and per point the mean, standard deviation
// and 95% confidence half-width of each figure - written as CSV files and
// as an SQLite database.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct RunRow {
  size_t point;  // index into the sweep's points
  uint64_t run;
  uint64_t seed;
  std::string object, figure;
  double value;
};

struct SummaryRow {
  size_t point;
  std::string object, figure;
  size_t n;
  double mean, stddev, ci95;  // stddev and ci95 are NaN for n < 2
};

struct SweepTables {
  std::vector<std::string> variables;            // names, in --vary order
  std::vector<std::vector<std::string>> points;  // each point's values
  std::vector<RunRow> runs;
};

// Reads one run record (JSON text) into rows of the given point and run:
// the network's events, time reached and wall time under the network's
// name, each source, receiver and queue as BLOCK/NAME (prefixed by
// "NETWORK:" when several networks share the run), undefined figures left
// out. False, with a message in error, when the text is no run record.
bool ReadRunRecord(const std::string& text, size_t point, uint64_t run, bool prefixNetwork,
                   std::vector<RunRow>& rows, bool& interrupted, std::string& error);

// Per point, object and figure, in the order the rows first name them.
std::vector<SummaryRow> Summarise(const SweepTables& tables);
// The half-width of the 95% confidence interval of a mean of n values with
// standard deviation s: Student's t quantile 0.975 with n - 1 degrees of
// freedom times s / sqrt(n). NaN for n < 2.
double HalfWidth95(size_t n, double s);

// DIR/runs.csv, DIR/summary.csv and DIR/results.sqlite (tables runs and
// summary with the same columns); each file is replaced whole. False, with
// a message in error, when one could not be written.
bool WriteSweepTables(const std::string& dir, const SweepTables& tables,
                      const std::vector<SummaryRow>& summary, std::string& error);

}  // namespace tools
