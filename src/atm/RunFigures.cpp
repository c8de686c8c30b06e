// RunFigures: per-run figures of sources, receivers and queues, gathered in
// the order of block names, then layer or queue names.
#include "atm/RunFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "atm/CBRSource.h"
#include "atm/QueueingSystem.h"
#include "atm/TrafficReceiver.h"
#include "model/Block.h"
#include "model/Network.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The components of one kind of a block, in ascending name order.
std::vector<Component*> SortedComponents(const Block& b, ComponentKind kind) {
  std::vector<Component*> list;
  b.ForEach(kind, [&](Component& c) { list.push_back(&c); });
  std::sort(list.begin(), list.end(), [](const Component* x, const Component* y) {
    return x->GetName().str() < y->GetName().str();
  });
  return list;
}

// Calls layerFn on every layer and qsFn on every queueing system, blocks,
// then layers and queues, in ascending name order.
template <class L, class Q>
void Visit(const Network& net, L&& layerFn, Q&& qsFn) {
  std::vector<Block*> blocks;
  net.ForEachBlock([&](Block& b) { blocks.push_back(&b); });
  std::sort(blocks.begin(), blocks.end(),
            [](const Block* a, const Block* b) { return a->GetName().str() < b->GetName().str(); });
  for (Block* b : blocks) {
    for (Component* c : SortedComponents(*b, ComponentKind::Layer))
      layerFn(*b, static_cast<Layer&>(*c));
    // The block holds only queueing systems under that kind.
    for (Component* c : SortedComponents(*b, ComponentKind::QueueingSystem))
      qsFn(*b, static_cast<QueueingSystem&>(*c));
  }
}

double Ratio(double a, double b) { return b > 0 ? a / b : kNaN; }
}  // namespace

void AtmRunRecorder::Begin(Network& network) {
  Visit(
      network,
      [](Block&, Layer& l) {
        if (auto* s = dynamic_cast<TrafficSource*>(&l)) s->BeginRunFigures();
        if (auto* r = dynamic_cast<TrafficReceiver*>(&l)) r->BeginRunFigures();
      },
      [](Block&, QueueingSystem& q) { q.BeginRunFigures(); });
}

// The figures are gathered as the record is written, list by list.
void AtmRunRecorder::Collect(const Network& network, double horizon, RunRecord& record) {
  record.sources = [&network](const std::function<void(const RunRecord::Source&)>& put) {
    Visit(
        network,
        [&](Block& b, Layer& l) {
          if (auto* s = dynamic_cast<TrafficSource*>(&l)) {
            const TrafficSource::RunCounts& c = s->RunFigures();
            put({b.GetName().str(), l.GetName().str(), static_cast<uint64_t>(c.packets),
                 static_cast<uint64_t>(c.cells), c.bytes});
          }
        },
        [](Block&, QueueingSystem&) {});
  };
  record.receivers = [&network](const std::function<void(const RunRecord::Receiver&)>& put) {
    Visit(
        network,
        [&](Block& b, Layer& l) {
          if (auto* r = dynamic_cast<TrafficReceiver*>(&l)) {
            const SampleSummary& d = r->RunDelays();
            put({b.GetName().str(), l.GetName().str(), d.Count(), d.Mean(), d.Variance(), d.Min(),
                 d.Max()});
          }
        },
        [](Block&, QueueingSystem&) {});
  };
  record.queues = [&network, horizon](const std::function<void(const RunRecord::Queue&)>& put) {
    Visit(
        network, [](Block&, Layer&) {},
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
