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

// A block or component with its name, read once for the sorting.
template <class T>
struct Named {
  const std::string* name;
  T* object;
};
template <class T>
void SortByName(std::vector<Named<T>>& list) {
  std::sort(list.begin(), list.end(),
            [](const Named<T>& a, const Named<T>& b) { return *a.name < *b.name; });
}

// The blocks of a network in ascending name order.
std::vector<Named<Block>> SortedBlocks(const Network& net) {
  std::vector<Named<Block>> blocks;
  net.ForEachBlock([&](Block& b) { blocks.push_back({&b.GetName().str(), &b}); });
  SortByName(blocks);
  return blocks;
}

// Calls fn on every component of one kind (as T: a block holds only
// queueing systems under that kind, only layers under the other), blocks,
// then components, in ascending name order.
template <class T, class F>
void Visit(const std::vector<Named<Block>>& blocks, ComponentKind kind, F&& fn) {
  std::vector<Named<Component>> list;
  for (const Named<Block>& named : blocks) {
    Block& b = *named.object;
    list.clear();
    b.ForEach(kind, [&](Component& c) { list.push_back({&c.GetName().str(), &c}); });
    SortByName(list);
    for (const Named<Component>& c : list) fn(b, static_cast<T&>(*c.object));
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
  // The blocks' order, found once for the three lists.
  auto blocks = std::make_shared<const std::vector<Named<Block>>>(SortedBlocks(network));
  record.sources = [blocks](const std::function<void(const RunRecord::Source&)>& put) {
    Visit<Layer>(*blocks, ComponentKind::Layer, [&](Block& b, Layer& l) {
      if (auto* s = dynamic_cast<TrafficSource*>(&l)) {
        const TrafficSource::RunCounts& c = s->RunFigures();
        put({b.GetName().str(), l.GetName().str(), static_cast<uint64_t>(c.packets),
             static_cast<uint64_t>(c.cells), c.bytes});
      }
    });
  };
  record.receivers = [blocks](const std::function<void(const RunRecord::Receiver&)>& put) {
    Visit<Layer>(*blocks, ComponentKind::Layer, [&](Block& b, Layer& l) {
      if (auto* r = dynamic_cast<TrafficReceiver*>(&l)) {
        const SampleSummary& d = r->RunDelays();
        put({b.GetName().str(), l.GetName().str(), d.Count(), d.Mean(), d.Variance(), d.Min(),
             d.Max()});
      }
    });
  };
  record.queues = [blocks, horizon](const std::function<void(const RunRecord::Queue&)>& put) {
    Visit<QueueingSystem>(*blocks, ComponentKind::QueueingSystem, [&](Block& b, QueueingSystem& q) {
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
