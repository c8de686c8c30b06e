// A switch looks up the route of a cell's labels once per run and keeps the
// last one found: a route edited between two runs must hold in the second.
#include <gtest/gtest.h>

#include "TestNetwork.h"
#include "atm/TrafficReceiver.h"
#include "model/DataKeys.h"
#include "platform/Console.h"

TEST(EventPath, ASwitchRouteEditedBetweenRunsHoldsInTheNext) {
  TestNetwork t;
  Network& n = *t.n;
  ASSERT_EQ(n.CreateBlock("S", "ATM Switch", "s"), 1);
  for (const char* i : {"1", "2"}) {
    const std::string term = std::string("T") + i, app = std::string("A") + i;
    ASSERT_EQ(n.CreateBlock(term, "ATM B-TE", "t"), 1);
    ASSERT_EQ(n.CreateBlock(app, "ATM Generic Application", "a"), 1);
    ASSERT_EQ(n.ConnectBlock(term, "S", "CB_PHYSICAL_LAYER") * n.ConnectBlock(app, term, "x"), 1);
  }
  ASSERT_EQ(n.CreateVcc("v", "CBR", 1e9, "T1"), 1);
  ASSERT_EQ(n.ConnectVccBlock("v", "S", "T1") * n.ConnectVccBlock("v", "T2", "S"), 1);
  ASSERT_EQ(n.CreateLink("v", "T1", "S", 1, 100) * n.CreateLink("v", "S", "T2", 2, 200), 1);
  ASSERT_EQ(n.CreateDc("d", "A1", "A2"), 1);
  t.L("A1", "CBR_TS").PutParam("Bit rate", 32e6);
  t.L("A1", "CBR_TS").PutParam("Packet length", 40.0);
  auto delivered = [&] {
    return static_cast<TrafficReceiver&>(t.L("A2", "TR")).RunDelays().Count();
  };
  platform::CapturedOutput quiet;
  t.k.Run("n", 1e-4);
  const uint64_t first = delivered();  // the count goes on across runs
  EXPECT_GT(first, 0u);
  // The cells now leave S with a VCI that T2 does not know.
  t.B("S").PutData(Sstring("v"), datakey::kOutputVci, 999u);
  t.k.Run("n", 1e-4);
  EXPECT_EQ(delivered(), first);
}
