// The compact storage of tables and parameter sets: values shared between
// copies stay apart once one is written, and a large row finds its entries
// by the index after removals shift their places. The line arena's objects.
// A run's lookup table: values that stay put while it grows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/DataTable.h"
#include "core/FreeListAllocator.h"
#include "core/LineArena.h"
#include "core/Param.h"
#include "core/RunLookup.h"

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

// Objects of several sizes side by side: each on its own lines, none
// overlapping another, contents kept when a full region goes into a huge
// page, and a freed object's room reused for its size only.
TEST(MemoryLayout, LineArenaKeepsObjectsApart) {
  struct Room {
    char* p;
    std::size_t size;
  };
  std::vector<Room> rooms;
  for (std::size_t size : {1, 64, 65, 200, 448, 64 * 64, 64 * 64 + 1, 100000})
    for (int i = 0; i < 3; ++i) {
      char* p = static_cast<char*>(line_arena::Allocate(size));
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % line_arena::kLine, 0u) << size;
      std::memset(p, 0x5a, size);
      rooms.push_back({p, size});
    }
  // Enough queue-sized objects to fill a 2 MB region and start the next one
  // (the full region then goes into a huge page): contents kept across it.
  for (int i = 0; i < 6000; ++i) {
    char* p = static_cast<char*>(line_arena::Allocate(448));
    std::memset(p, static_cast<char>(i), 448);
    rooms.push_back({p, 448});
  }
  std::vector<Room> byAddress = rooms;
  std::sort(byAddress.begin(), byAddress.end(),
            [](const Room& a, const Room& b) { return a.p < b.p; });
  for (size_t i = 1; i < byAddress.size(); ++i)
    EXPECT_LE(byAddress[i - 1].p + byAddress[i - 1].size, byAddress[i].p);
  for (size_t i = rooms.size() - 6000; i < rooms.size(); ++i)
    EXPECT_EQ(rooms[i].p[447], static_cast<char>(i - (rooms.size() - 6000))) << i;
  // The 200-byte room freed: the next 200-byte object may take it, a 448-byte one not.
  char* freed = rooms[9].p;
  line_arena::Release(freed, 200);
  char* larger = static_cast<char*>(line_arena::Allocate(448));
  EXPECT_NE(larger, freed);
  rooms[9].p = static_cast<char*>(line_arena::Allocate(200));
#if CELVANE_FREE_LISTS
  EXPECT_EQ(rooms[9].p, freed);
#endif
  rooms.push_back({larger, 448});
  for (const Room& r : rooms) line_arena::Release(r.p, r.size);
}

// Keys that share their home slot, a table grown many times: every value is
// made once, found again at its first address, and visited once by Restart.
TEST(MemoryLayout, RunLookupKeepsValuesInPlace) {
  RunLookup<uint64_t, int> lookup;
  std::vector<int*> first;
  int made = 0;
  for (int round = 0; round < 2; ++round) {
    for (uint64_t k = 0; k < 1000; ++k) {
      const uint64_t key = k << 40;  // equal low bits
      int& v = lookup.Get(key, [&] { ++made; return static_cast<int>(k); });
      if (round == 0) first.push_back(&v);
      EXPECT_EQ(&v, first[k]);
      EXPECT_EQ(v, static_cast<int>(k));
    }
  }
  EXPECT_EQ(made, 1000);
  std::vector<int> seen(1000, 0);
  lookup.Restart([&](int& v) { ++seen[static_cast<size_t>(v)]; });
  EXPECT_EQ(seen, std::vector<int>(1000, 1));
  lookup.Clear();
  EXPECT_EQ(lookup.Get(0, [] { return -1; }), -1);
}
