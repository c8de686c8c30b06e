// Trust in the numbers: the VBR source's random variates against their
// distributions, and long runs of the network model against offered load,
// a queueing formula, cell conservation and seed reproducibility. Every test
// runs at a fixed seed, so a failure is a change of behaviour, not bad luck;
// the bounds sit about 4 standard errors out (or at 0.1% points), so that a
// correct model would fail them at another seed only rarely.
#include <unistd.h>

#include <gtest/gtest.h>

#include "TestFiles.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "TestNetwork.h"
#include "core/Random.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {
constexpr double kCellTime = 424 / 155.52e6;  // one cell at 155.52 Mbit/s

// Pearson's statistic of observed counts (index = value) against the Poisson
// distribution with the given mean. Bins are pooled from the low end upward
// until each expects at least 5 draws; the short remainder at the top joins
// the last bin, which also takes the tail mass. Returns {statistic, bins}.
std::pair<double, int> PoissonChiSquare(const std::vector<long>& observed, double mean, long n) {
  double p = std::exp(-mean), expected = 0, chi2 = 0, tailMass = 1;
  long count = 0;
  std::vector<std::pair<double, long>> bins;
  for (size_t k = 0; k < 200; ++k, p *= mean / double(k)) {
    expected += n * p;
    tailMass -= p;
    count += k < observed.size() ? observed[k] : 0;
    if (expected >= 5) bins.push_back({expected, count}), expected = 0, count = 0;
  }
  bins.back().first += expected + n * std::max(tailMass, 0.0);
  bins.back().second += count;
  for (const auto& [e, o] : bins) chi2 += (o - e) * (o - e) / e;
  return {chi2, static_cast<int>(bins.size())};
}

// Kolmogorov-Smirnov distance of a sample from the exponential distribution.
double KsDistanceFromExponential(std::vector<double> x, double mean) {
  std::sort(x.begin(), x.end());
  double d = 0;
  const double n = static_cast<double>(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    const double f = 1 - std::exp(-x[i] / mean);
    d = std::max({d, f - i / n, (i + 1) / n - f});
  }
  return d;
}

// A network with its files in a scratch folder, built through the model's
// own operations and run through the kernel.
struct Net : TestNetwork {
  Net(const std::string&, uint32_t seed) {
    k.SetBaseSeed(seed);
    n->PutParam("Performance log status", Sstring("OFF"));
  }
  void Terminals(std::initializer_list<const char*> names) {
    for (const char* b : names) ASSERT_EQ(n->CreateBlock(b, "ATM B-TE", "t"), 1);
  }
  // An application on a terminal, with a logging VBR source when cells > 0.
  void App(const char* app, const char* te, double cells = 0, double interval = 1) {
    n->CreateBlock(app, "ATM Generic Application", "a");
    if (cells > 0) n->FindBlock(app)->PutParam("Traffic source", Sstring("VBR_BATCH"));
    ASSERT_EQ(n->ConnectBlock(app, te, "app"), 1);
    if (cells == 0) return;
    Layer& src = *n->FindBlock(app)->FindLayer("VBR_BATCH_TS");
    src.PutParam("Mean number of ATM cells", cells);
    src.PutParam("Mean interval between batches", interval);
    src.PutParam("Log packet time status", Sstring("ON"));
  }
  // A VCC along the blocks of hops, labelled VPI i / VCI vci on its i-th
  // link, and a DC from app `from` to app `to` on it.
  void Connection(const char* id, unsigned vci, std::vector<const char*> hops, const char* from,
                  const char* to) {
    ASSERT_EQ(n->CreateVcc(id, "VBR", 155.52e6, hops[0]), 1);
    for (size_t i = 1; i < hops.size(); ++i) {
      ASSERT_EQ(n->ConnectVccBlock(id, hops[i], hops[i - 1]), 1);
      ASSERT_EQ(n->CreateLink(id, hops[i - 1], hops[i], unsigned(i), vci), 1);
    }
    ASSERT_EQ(n->CreateDc(id, from, to), 1);
  }
  QueueingSystem& Qs(const char* block, const char* qs) { return Q(block, qs); }
  void Run(double end) {
    platform::CapturedOutput quiet;
    k.Run("n", end);
  }
};

// Two sources on T1 and T3 whose connections meet in switch S on the way to
// T2. Each offers 70% of a link, so S's output towards T2 overflows; the
// buffers are small enough that T1's transmit queue overflows too. The
// sources stop after 20000 bytes, some 430 cells each over 1.7 ms; the run
// goes on to 1 s, long after the network has drained.
struct Overflow : Net {
  Overflow(const std::string& tag, uint32_t seed) : Net(tag, seed) {
    Terminals({"T1", "T2", "T3"});
    n->CreateBlock("S", "ATM Switch", "s");
    for (const char* te : {"T1", "T3", "T2"}) n->ConnectBlock(te, "S", "CB_PHYSICAL_LAYER");
    App("A1", "T1", 10, 10 * kCellTime / 0.7);
    App("A3", "T3", 10, 10 * kCellTime / 0.7);
    App("A2", "T2");
    Connection("d1", 100, {"T1", "S", "T2"}, "A1", "A2");
    Connection("d3", 300, {"T3", "S", "T2"}, "A3", "A2");
    for (const char* a : {"A1", "A3"})
      n->FindBlock(a)->FindLayer("VBR_BATCH_TS")->PutParam("Number of bytes to be sent", 20000.0);
    Qs("T1", "PHY_QS").PutParam("Buffer size", 12u);
    for (const char* q : {"ATM_QS_2", "PHY_QS_2"}) Qs("S", q).PutParam("Buffer size", 10u);
    Qs("S", "ATM_QS_2").PutParam("Sample statistics status", Sstring("ON"));
    n->FindBlock("A2")->FindLayer("TR")->PutParam("Trigger by cell status", Sstring("ON"));
    Run(1.0);
  }
};

// The sum of one column of ".dat" rows, over the rows up to a time.
double SumColumn(const std::vector<std::vector<double>>& rows, size_t column,
                 double until = INFINITY) {
  double sum = 0;
  for (const auto& r : rows) sum += r[0] <= until ? r[column] : 0;
  return sum;
}
}  // namespace

TEST(TrafficStatistics, BatchSizesArePoissonInBothBranches) {
  // 20000 draws per mean. Mean 3.5 (product of uniforms) pools into 13 bins,
  // 12 degrees of freedom, upper 0.1% point 32.91; mean 20 (rejection with a
  // Lorentzian) into 32 bins, 31 degrees of freedom, upper 0.1% point 61.10.
  // The same draws fitted against a mean 5% off must fail: the test sees a
  // fault of that size.
  const struct {
    double mean;
    int bins;
    double critical;
  } cases[] = {{3.5, 13, 32.91}, {20, 32, 61.10}};
  const long n = 20000;
  for (const auto& c : cases) {
    Random r;
    long seed = -4711;  // negative: fills the shuffle table, as a source does
    std::vector<long> counts(200);
    for (long i = 0; i < n; ++i) ++counts.at(static_cast<size_t>(r.Poisson(c.mean, seed)));
    const auto [chi2, bins] = PoissonChiSquare(counts, c.mean, n);
    EXPECT_EQ(bins, c.bins) << c.mean;
    EXPECT_LT(chi2, c.critical) << "mean " << c.mean;
    EXPECT_GT(PoissonChiSquare(counts, c.mean * 1.05, n).first, c.critical) << c.mean;
  }
}

TEST(TrafficStatistics, GapsAreExponential) {
  // Kolmogorov-Smirnov over 20000 gaps: at the 0.1% level the critical
  // distance is sqrt(ln(2 / 0.001) / 2) / sqrt(n) = 1.9495 / sqrt(n) =
  // 0.01378. The uniforms are 16-bit (steps of 1 / 65535), far finer than
  // that. A mean 10% off is 0.035 away from the truth and must fail.
  const size_t n = 20000;
  const double critical = 1.9495 / std::sqrt(double(n));
  for (uint32_t seed : {1u, 0x9e3779b9u}) {
    Random r(seed);
    std::vector<double> gaps(n);
    for (double& g : gaps) g = r.Exponential(2.5e-6);
    EXPECT_LT(KsDistanceFromExponential(gaps, 2.5e-6), critical) << seed;
    EXPECT_GT(KsDistanceFromExponential(gaps, 2.5e-6 * 1.1), critical) << seed;
  }
}

// The transmit queue of T1 as a slotted single server. The physical layer
// sends at multiples of the cell time T: a cell that finds the interface
// empty enters the server at the next boundary and leaves at the one after;
// each boundary hands out the server's cell and moves the head of the buffer
// in. With N(k) the cells held (buffer and server) just after boundary k and
// A the cells arriving before the next boundary,
//     N(k+1) = max(N(k) - 1, 0) + A.
// Batches come as a Poisson process of rate L and hold Poisson(m) cells, so
// A is compound Poisson: LT batches per slot on average, and
//     rho = E[A] = LTm,   E[A(A-1)] = LT(m + m^2) + rho^2 - rho = rho(m + rho).
// Squaring the recursion and taking stationary means (the server is busy
// with probability rho) gives E[N] = rho + E[A(A-1)] / (2(1 - rho)); just
// after a boundary the buffer holds E[N] - rho. During the slot it gains the
// slot's arrivals, rho u / T on average by time u into it, or rho / 2 averaged
// over the slot. The time-weighted mean buffer occupancy (SMNoBC) is thus
//     E[NoBC] = rho (m + rho) / (2 (1 - rho)) + rho / 2,
// and by Little's law, at rho / T cells per second, the mean time in the
// buffer (SMDoBC) is E[DoBC] = T ((m + rho) / (2 (1 - rho)) + 1 / 2).
// Neglected: the AAL5 layer spaces a batch's cells 1 ns apart (4e-4 of a
// slot) and the gaps are quantised by 16-bit uniforms.
// At m = 3.5, rho = 0.4: E[NoBC] = 1.5 cells, E[DoBC] = 3.75 T.
TEST(TrafficStatistics, LongVbrRunMatchesOfferedLoadAndQueueFormula) {
  const double m = 3.5, rho = 0.4, interval = m * kCellTime / rho, end = 0.2505;
  Net net("long", 1);
  net.Terminals({"T1", "T2"});
  net.n->ConnectBlock("T1", "T2", "CB_PHYSICAL_LAYER");
  net.App("A1", "T1", m, interval);
  net.App("A2", "T2");
  net.Connection("d1", 100, {"T1", "T2"}, "A1", "A2");
  QueueingSystem& qs = net.Qs("T1", "PHY_QS");
  qs.PutParam("Sample statistics status", Sstring("ON"));
  qs.PutParam("Logging every x secs", 0.01);  // 25 intervals up to 0.25 s
  net.Run(end);

  // Offered load. Over the run's end / interval = 10500 batches the cell
  // count is compound Poisson: variance (end / interval)(m + m^2), a
  // relative standard deviation of 1.1%; the bound is 4 of them. The batch
  // count (non-empty batches, Poisson) likewise. Every logged cell reaches
  // the queue, but for the cells of a batch at the very end of the run.
  const auto batches = ReadDat(net.dir / "A1_VBR_BATCH_TS.dat");
  const double cells = SumColumn(batches, 2), nb = end / interval;
  EXPECT_NEAR(cells, nb * m, 4 * std::sqrt(nb * (m + m * m)));
  const double nonEmpty = nb * (1 - std::exp(-m));
  EXPECT_NEAR(double(batches.size()), nonEmpty, 4 * std::sqrt(nonEmpty));
  EXPECT_LE(qs.Arrived(), cells);
  EXPECT_GE(qs.Arrived(), cells - batches.back()[2]);

  // The queue, from the "SS" lines at 0, 0.01, ..., 0.25 s. The time-weighted
  // mean over [t(i-1), t(i)] comes from the running means as differences of
  // areas (mean x time); the spread of these 25 batch means, each over 3670
  // slots (far longer than the queue's memory), gives the standard error of
  // the run's mean. Bound: 4 standard errors (the 0.05% point of Student's t
  // with 24 degrees of freedom is 3.75), with the error itself required
  // below 4% so that the bound keeps the formula's terms apart.
  const auto ss = ReadDat(net.dir / "T1_PS_SS.dat");
  ASSERT_EQ(ss.size(), 26u);
  std::vector<double> means;
  for (size_t i = 1; i < ss.size(); ++i)
    means.push_back((ss[i][1] * ss[i][0] - ss[i - 1][1] * ss[i - 1][0]) /
                    (ss[i][0] - ss[i - 1][0]));
  double mean = 0, var = 0;
  for (double x : means) mean += x / double(means.size());
  for (double x : means) var += (x - mean) * (x - mean) / double(means.size() - 1);
  const double se = std::sqrt(var / double(means.size()));
  const double noBC = ss.back()[1], doBC = ss.back()[3], noSC = ss.back()[5], t = ss.back()[0];
  const double expected = rho * (m + rho) / (2 * (1 - rho)) + rho / 2;
  EXPECT_LT(se, 0.04 * expected);
  EXPECT_NEAR(noBC, expected, 4 * se);
  // The other two columns follow exactly, up to the few cells still queued
  // at time t (0.2% of the cells bounds it): the server holds every cell for
  // exactly T, and Little's law ties the mean wait to the mean occupancy.
  const double upToT = SumColumn(batches, 2, t);
  EXPECT_NEAR(noSC * t / kCellTime, upToT, 0.002 * upToT);
  EXPECT_NEAR(doBC * upToT / t, noBC, 0.002 * noBC);
  // The wait is the occupancy over the measured cell rate: its relative
  // bound adds that of the cell count to that of the occupancy.
  const double relative = 4 * se / expected + 4 * std::sqrt((1 + m) / (nb * m));
  EXPECT_NEAR(doBC / kCellTime, (m + rho) / (2 * (1 - rho)) + 0.5, relative * 3.75);
}

TEST(TrafficStatistics, EveryQueueConservesCellsWhenBuffersOverflow) {
  Overflow net("overflow", 3);
  std::map<std::string, const QueueingSystem*> queues;
  net.n->ForEachBlock([&](Block& b) {
    std::vector<Sstring> names;
    b.ListQSs(names);
    for (const Sstring& q : names) queues[b.GetName().str() + "." + q.str()] = FindQueueingSystem(b, q);
  });
  ASSERT_EQ(queues.size(), 9u);  // PHY_QS per terminal; PHY_QS_n, ATM_QS_n per switch port
  for (const auto& [name, q] : queues) {
    EXPECT_EQ(q->Arrived(), q->Accepted() + q->Discarded()) << name;
    EXPECT_EQ(q->Accepted(), q->Served() + q->Buffered() + q->InServer()) << name;
    EXPECT_EQ(q->InSystem(), 0u) << name << ": the network has drained";
  }
  EXPECT_GT(queues["T1.PHY_QS"]->Discarded(), 0u);  // 96 of 427 at this seed
  EXPECT_GT(queues["S.ATM_QS_2"]->Discarded(), 0u);  // 208 of 762
  // Nothing is lost between the queues: every cell the sources logged enters
  // its terminal's queue, every cell served there reaches the switch's
  // output queue, and every cell served there its physical layer's queue.
  const double logged = SumColumn(ReadDat(net.dir / "A1_VBR_BATCH_TS.dat"), 2) +
                        SumColumn(ReadDat(net.dir / "A3_VBR_BATCH_TS.dat"), 2);
  const QueueingSystem &t1 = *queues["T1.PHY_QS"], &t3 = *queues["T3.PHY_QS"];
  EXPECT_EQ(t1.Arrived() + t3.Arrived(), logged);
  EXPECT_EQ(t1.Served() + t3.Served(), queues["S.ATM_QS_2"]->Arrived());
  EXPECT_EQ(queues["S.ATM_QS_2"]->Served(), queues["S.PHY_QS_2"]->Arrived());
}

TEST(TrafficStatistics, SameSeedSameFilesOtherSeedOtherBatches) {
  // Each network runs in a kernel of its own, as two program runs would.
  auto files = [](const Net& net) {
    std::map<std::string, std::string> texts;
    for (const auto& e : fs::directory_iterator(net.dir))
      if (e.path().filename().string().find("_end.dat") == std::string::npos)  // wall-clock figures
        texts[e.path().filename().string()] = Slurp(e.path());
    return texts;
  };
  const auto first = files(Overflow("seed5a", 5));
  EXPECT_EQ(first.size(), 4u);  // two batch logs, the queue's "SS" log, the receiver's log
  EXPECT_EQ(files(Overflow("seed5b", 5)), first);
  EXPECT_NE(files(Overflow("seed6", 6)).at("A1_VBR_BATCH_TS.dat"), first.at("A1_VBR_BATCH_TS.dat"));
  EXPECT_NE(first.at("A1_VBR_BATCH_TS.dat"), first.at("A3_VBR_BATCH_TS.dat"));
}
