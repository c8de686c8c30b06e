// RunFigures: per-run figures of sources, receivers and queues, gathered in
// the order of block names, then layer or queue names.
#include "atm/RunFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "atm/CBRSource.h"
#include "atm/QueueingSystem.h"
#include "atm/TrafficReceiver.h"
#include "model/Block.h"
#include "model/Network.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every component of a network, in the order of the record: blocks by name,
// in each its layers, then its queueing systems, each by name. Names are
// read once, not at every comparison.
struct Visited {
  Block* block;
  Component* component;
};
std::vector<Visited> RecordOrder(const Network& net) {
  struct Named {
    const std::string* name;
    Block* block;
    Component* component;
  };
  auto byName = [](const Named& a, const Named& b) { return *a.name < *b.name; };
  std::vector<Named> blocks;
  net.ForEachBlock([&](Block& b) { blocks.push_back({&b.GetName().str(), &b, nullptr}); });
  std::sort(blocks.begin(), blocks.end(), byName);
  std::vector<Visited> order;
  std::vector<Named> list;
  for (const Named& b : blocks)
    for (ComponentKind kind : {ComponentKind::Layer, ComponentKind::QueueingSystem}) {
      list.clear();
      b.block->ForEach(kind, [&](Component& c) { list.push_back({&c.GetName().str(), b.block, &c}); });
      std::sort(list.begin(), list.end(), byName);
      for (const Named& c : list) order.push_back({b.block, c.component});
    }
  return order;
}

// Calls layerFn on every layer and qsFn on every queueing system, in the
// record's order (computed once for the three lists of one record).
template <class L, class Q>
void Visit(const std::vector<Visited>& order, L&& layerFn, Q&& qsFn) {
  for (const Visited& v : order) {
    // A block holds only queueing systems under that kind.
    if (v.component->GetKind() == ComponentKind::QueueingSystem)
      qsFn(*v.block, static_cast<QueueingSystem&>(*v.component));
    else
      layerFn(*v.block, static_cast<Layer&>(*v.component));
  }
}

double Ratio(double a, double b) { return b > 0 ? a / b : kNaN; }
}  // namespace

// The order of the components does not matter here.
void AtmRunRecorder::Begin(Network& network) {
  network.ForEachBlock([](Block& b) {
    b.ForEach(ComponentKind::Layer, [](Component& l) {
      if (auto* s = dynamic_cast<TrafficSource*>(&l)) s->BeginRunFigures();
      if (auto* r = dynamic_cast<TrafficReceiver*>(&l)) r->BeginRunFigures();
    });
    b.ForEach(ComponentKind::QueueingSystem,
              [](Component& q) { static_cast<QueueingSystem&>(q).BeginRunFigures(); });
  });
}

// The figures are gathered as the record is written, list by list.
void AtmRunRecorder::Collect(const Network& network, double horizon, RunRecord& record) {
  auto order = std::make_shared<std::vector<Visited>>();
  auto ordered = [&network, order]() -> const std::vector<Visited>& {
    if (order->empty()) *order = RecordOrder(network);
    return *order;
  };
  record.sources = [ordered](const std::function<void(const RunRecord::Source&)>& put) {
    Visit(
        ordered(),
        [&](Block& b, Layer& l) {
          if (auto* s = dynamic_cast<TrafficSource*>(&l)) {
            const TrafficSource::RunCounts& c = s->RunFigures();
            put({b.GetName().str(), l.GetName().str(), static_cast<uint64_t>(c.packets),
                 static_cast<uint64_t>(c.cells), c.bytes});
          }
        },
        [](Block&, QueueingSystem&) {});
  };
  record.receivers = [ordered](const std::function<void(const RunRecord::Receiver&)>& put) {
    Visit(
        ordered(),
        [&](Block& b, Layer& l) {
          if (auto* r = dynamic_cast<TrafficReceiver*>(&l)) {
            const SampleSummary& d = r->RunDelays();
            put({b.GetName().str(), l.GetName().str(), d.Count(), d.Mean(), d.Variance(), d.Min(),
                 d.Max()});
          }
        },
        [](Block&, QueueingSystem&) {});
  };
  record.queues = [ordered, horizon](const std::function<void(const RunRecord::Queue&)>& put) {
    Visit(
        ordered(), [](Block&, Layer&) {},
        [&](Block& b, QueueingSystem& q) {
          RunRecord::Queue f;
          f.block = b.GetName().str();
          f.name = q.GetName().str();
          f.arrived = q.RunArrived();
          f.accepted = q.RunAccepted();
          f.discarded = q.RunDiscarded();
          f.lossRatio = Ratio(static_cast<double>(f.discarded), static_cast<double>(f.arrived));
          f.bufferMean = q.BufferLevel().Mean(horizon);
          f.bufferVariance = q.BufferLevel().Variance(horizon);
          f.bufferMax = q.BufferLevel().Max();
          f.bufferDelayMean = Ratio(q.RunBufferDelaySum(), static_cast<double>(q.RunMoved()));
          f.serverMean = q.ServerBusy().Share(horizon);
          put(f);
        });
  };
}
