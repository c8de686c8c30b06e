// Network model: routing in a block and the event queue.
#include <gtest/gtest.h>

#include <stdexcept>

#include <cmath>
#include <map>
#include <random>

#include "TestNetwork.h"
#include "model/Block.h"
#include "model/EventPriorityQueue.h"

namespace {

// A layer, and a component of the other kind, that count what reaches them
// and return `result`.
class Recorder : public Layer {
 public:
  using Layer::Layer;
  int HandleEvent(Event&) override {
    ++seen;
    return result;
  }
  int seen = 0, result = 1;
};
class QueueRecorder : public Component {
 public:
  QueueRecorder(const Sstring& name, Block& b) : Component(name, ComponentKind::QueueingSystem, b) {}
  int HandleEvent(Event&) override {
    ++seen;
    return 2;
  }
  int seen = 0;
};

class TestBlock : public ATMEquipment {
 public:
  using ATMEquipment::ATMEquipment;
  Sstring GetModel() const override { return "test"; }
  int CreateLayers() override { return 1; }
  int CreateLayer(const Sstring& name, const Sstring& type) override {
    auto l = std::make_unique<Recorder>(name, type, *this);
    last = l.get();
    Add(std::move(l));
    return 1;
  }
  QueueRecorder* CreateQueue(const Sstring& name) {
    auto q = std::make_unique<QueueRecorder>(name, *this);
    QueueRecorder* made = q.get();
    Add(std::move(q));
    return made;
  }
  int ConnectInterface(const Sstring&, const Sstring&, short, const Sstring&) override { return 1; }
  int DisconnectInterface(const Sstring&, const Sstring&, int) override { return 1; }
  Recorder* last = nullptr;
};

TEST(Block, RoutesUnknowThroughTheLayerFacingTheSender) {
  Kernel k;
  k.CreateNetwork("n");
  TestBlock b("B", *k.FindNetwork("n"));
  b.CreateLayer("PHY_3", "x");
  Recorder* phy = b.last;
  QueueRecorder* queue = b.CreateQueue("PHY_3");  // a queue of the same name gets named events
  b.PutData("DLN", "peer", Sstring("PHY_3"));
  Event e;
  e.sourceBlock = Name("peer");
  e.destinationLayer = Word::UNKNOW;
  EXPECT_EQ(b.RouteEvent(e), 1);
  EXPECT_EQ(phy->seen, 1);
  EXPECT_EQ(queue->seen, 0);
  EXPECT_EQ(b.SoleHandler(Word::UNKNOW, Name("peer")), phy);
  e.sourceBlock = Name("stranger");
  EXPECT_EQ(b.RouteEvent(e), 0);
  EXPECT_EQ(b.SoleHandler(Word::UNKNOW, Name("stranger")), nullptr);
  // Named events reach the layer, then the queue; the queue's result counts.
  // With two takers no single handler may be called directly.
  e.destinationLayer = Name("PHY_3");
  EXPECT_EQ(b.RouteEvent(e), 2);
  EXPECT_EQ(phy->seen, 2);
  EXPECT_EQ(queue->seen, 1);
  EXPECT_EQ(b.SoleHandler(Name("PHY_3"), Name("peer")), nullptr);
  EXPECT_EQ(b.RemoveQS("PHY_3"), 1);
  EXPECT_EQ(b.RouteEvent(e), 1);
  EXPECT_EQ(b.SoleHandler(Name("PHY_3"), Name("peer")), phy);
  e.destinationLayer = Name("nolayer");
  EXPECT_EQ(b.RouteEvent(e), 0);
  EXPECT_EQ(b.SoleHandler(Name("nolayer"), Name("peer")), nullptr);
  std::vector<Sstring> names{"kept"};
  TestBlock empty("E", *k.FindNetwork("n"));
  EXPECT_EQ(empty.ListLayers(names), 0);
  EXPECT_EQ(names.size(), 1u);
  EXPECT_EQ(TableQS(b, "nokey", "PHY_QS"), nullptr);
}

// Equal times (also -0 and +0) keep their insertion order; a small limit
// makes the keys' stamps be renumbered many times on the way. With a few
// thousand distinct times, the queue's cache of time buckets forgets some
// while they still hold events, so one time gets several buckets, which must
// still come out in stamp order.
TEST(EventQueue, MatchesAReferenceOrderWithManyEqualTimes) {
  for (auto [limit, times] : {std::pair<uint64_t, unsigned>{uint64_t(1) << 62, 50},
                              {uint64_t(7000), 50}, {uint64_t(9000), 50},
                              {uint64_t(1) << 62, 3000}, {uint64_t(5000), 3000}}) {
    EventPriorityQueue q(limit);
    std::multimap<std::pair<double, uint64_t>, int> reference;
    std::mt19937 rng(7);
    uint64_t stamp = 0;
    Event out;
    const double special[] = {-0.0, 0.0, -1e-300, 1e300, HUGE_VAL};
    auto add = [&](double time, int round) {
      Event e;
      e.time = time;
      e.type = Name(std::to_string(round % 97).c_str());
      reference.emplace(std::make_pair(e.time, stamp++), round % 97);
      q.Add(std::move(e));
    };
    for (int round = 0; round < 20000; ++round) {
      if (rng() % 3 != 0 || reference.empty()) {
        unsigned r = rng() % (times + 10);
        add(r < times ? static_cast<double>(r) - 10.0 : special[r % 5], round);
      } else {
        ASSERT_EQ(q.RemoveFirst(out), 1);
        auto first = reference.begin();
        ASSERT_EQ(out.time, first->first.first);
        ASSERT_EQ(out.stamp, first->first.second) << limit;
        reference.erase(first);
        // Follow-ups at the time just taken, often after its last event.
        if (rng() % 2) add(out.time, round);
        if (rng() % 8 == 0) add(out.time, round);
      }
    }
    ASSERT_EQ(q.Size(), reference.size());
    for (int left = 100; left-- > 0; reference.erase(reference.begin())) {
      ASSERT_EQ(q.RemoveFirst(out), 1);
      ASSERT_EQ(out.stamp, reference.begin()->first.second);
    }
    q.Clear();
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.RemoveFirst(out), 0);
    EXPECT_EQ(q.NextStamp(), stamp);  // the stamp counter never resets
  }
}

// The queue keeps a few events in a sorted array and more in buckets in a
// heap: a population rising past the switch and falling below it again, over
// and over, with many equal times, follow-ups at the time just taken and
// stamps renumbered in both forms, must keep the (time, stamp) order.
TEST(EventQueue, KeepsTheOrderWhileSwitchingBetweenItsTwoForms) {
  for (uint64_t limit : {uint64_t(1) << 62, uint64_t(64)}) {
    EventPriorityQueue q(limit);
    std::multimap<std::pair<double, uint64_t>, int> reference;
    std::mt19937 rng(11);
    uint64_t stamp = 0;
    double now = 0.0;
    auto add = [&](double time) {
      Event e;
      e.time = time;
      reference.emplace(std::make_pair(time, stamp++), 0);
      q.Add(std::move(e));
    };
    for (int phase = 0; phase < 400; ++phase) {
      const size_t target = rng() % 40;
      while (reference.size() < target) add(now + static_cast<double>(rng() % 6));
      while (reference.size() > target / 4) {
        auto expected = reference.begin();
        const Event* first = q.First();
        ASSERT_NE(first, nullptr);
        ASSERT_EQ(first->stamp, expected->first.second) << phase;
        Event out;
        ASSERT_EQ(q.RemoveFirst(out), 1);
        ASSERT_EQ(out.time, expected->first.first) << phase;
        ASSERT_EQ(out.stamp, expected->first.second) << phase;
        reference.erase(expected);
        now = out.time;
        if (rng() % 3 == 0) add(now);
      }
    }
    ASSERT_EQ(q.Size(), reference.size());
  }
}

// A queue at its bound refuses the next event and stays as it was; a slot
// freed by a taken event serves again.
TEST(EventQueue, RefusesEventsBeyondItsBound) {
  EventPriorityQueue q(uint64_t(1) << 62, 300);
  for (int i = 0; i < 300; ++i) {
    Event e;
    e.time = i;
    q.Add(std::move(e));
  }
  Event extra;
  extra.time = 1;
  EXPECT_THROW(q.Add(std::move(extra)), std::length_error);
  EXPECT_EQ(q.Size(), 300u);
  Event out;
  ASSERT_EQ(q.RemoveFirst(out), 1);
  EXPECT_EQ(out.time, 0.0);
  Event again;
  again.time = 0.5;
  q.Add(std::move(again));
  ASSERT_EQ(q.RemoveFirst(out), 1);
  EXPECT_EQ(out.time, 0.5);
}

}  // namespace
