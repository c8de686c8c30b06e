// The compact storage of tables and parameter sets: values shared between
// copies stay apart once one is written, and a large row finds its entries
// by the index after removals shift their places.
#include <gtest/gtest.h>

#include <string>

#include "core/DataTable.h"
#include "core/Param.h"

TEST(MemoryLayout, SharedValuesAndIndexedRows) {
  Param defaults;
  defaults.PutParam("v", 1.5, "rate", "SHOW");
  Param a, b;
  a.PutDefaults(defaults);
  b.PutDefaults(defaults);
  a.PutParam_VB("v", 0, 0, "7");
  double x = 0;
  EXPECT_TRUE(a.GetParam("v", x) && x == 7);
  EXPECT_TRUE(b.GetParam("v", x) && x == 1.5);
  EXPECT_TRUE(defaults.GetParam("v", x) && x == 1.5);

  DataTable t;
  for (int i = 0; i < 40; ++i) t.PutData("k", "n" + std::to_string(i), Complex(i, -i));
  t.PutData("k", "n3", Sstring("text"));
  for (int i = 0; i < 40; i += 2) EXPECT_TRUE(t.DelData("k", "n" + std::to_string(i)));
  Complex c;
  for (int i = 5; i < 40; i += 2)
    EXPECT_TRUE(t.GetData("k", "n" + std::to_string(i), c) && c == Complex(i, -i));
  Sstring s;
  EXPECT_TRUE(t.PeekData("k", "n3", s) && s == "text");
  EXPECT_FALSE(t.HasData("k", "n4"));
}
