// Parameter tables: what every made object declares is exactly what the
// listing of its kind says (name, type, default, description, option).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "TestNetwork.h"
#include "model/ParameterTable.h"

namespace {
// The rows of a parameter set, as "name|type|value|description|option".
std::vector<std::string> RowsOf(const Param& p) {
  std::vector<std::string> rows;
  for (const auto& [name, prm] : p.Parameters()) {
    std::ostringstream value;
    prm.value.Write(value, NumberStyle::Exact);
    std::string v = value.str();  // keyword rows cols, then the element
    v = v.substr(v.find('\n') + 1);
    v = v.substr(0, v.find_last_not_of(" \n") + 1);
    rows.push_back(name.str() + "|" + prm.value.Type().str() + "|" + v + "|" +
                   prm.description.str() + "|" + prm.option.str());
  }
  return rows;
}

std::vector<std::string> RowsOfKind(const std::string& kind) {
  std::map<std::string, std::string> sorted;  // parameter sets list in byte order
  for (const ParameterKind& k : ParameterKinds())
    if (k.kind == kind)
      for (const ParameterInfo& p : k.describe())
        sorted[p.name] = p.name + "|" + p.type + "|" + p.defaultValue + "|" + p.description +
                         "|" + p.option;
  std::vector<std::string> rows;
  for (auto& [name, row] : sorted) rows.push_back(row);
  return rows;
}
}  // namespace

TEST(ParameterTables, MadeObjectsDeclareWhatTheirKindLists) {
  TestNetwork t;  // its network's "Path" points at the scratch folder
  ASSERT_EQ(t.k.CreateNetwork("fresh"), 1);
  EXPECT_EQ(RowsOf(*t.k.FindNetwork("fresh")), RowsOfKind("network"));
  ASSERT_EQ(t.n->CreateBlock("S", "ATM Switch", "s"), 1);
  ASSERT_EQ(t.n->CreateBlock("T", "ATM B-TE", "t"), 1);
  ASSERT_EQ(t.n->ConnectBlock("T", "S", "CB_PHYSICAL_LAYER"), 1);
  EXPECT_EQ(RowsOf(t.B("S")), RowsOfKind("block ATM Switch"));
  EXPECT_EQ(RowsOf(t.L("S", "ATM")), RowsOfKind("layer ATM Switch ATM_LAYER"));
  EXPECT_EQ(RowsOf(t.L("S", "PHY_0")), RowsOfKind("layer ATM Switch CB_PHYSICAL_LAYER"));
  EXPECT_EQ(RowsOf(t.B("T")), RowsOfKind("block ATM B-TE"));
  for (const char* layer : {"ATM", "AAL5", "PHY"})
    EXPECT_EQ(RowsOf(t.L("T", layer)),
              RowsOfKind(std::string("layer ATM B-TE ") + t.L("T", layer).GetType().str()));
  EXPECT_EQ(RowsOf(t.Q("T", "PHY_QS")), RowsOfKind("queueing system"));
  for (const char* source : {"CBR", "VBR_BATCH", "GENERIC"}) {
    const std::string app = std::string("A_") + source;
    ASSERT_EQ(t.n->CreateBlock(app, "ATM Generic Application", "a"), 1);
    t.n->FindBlock(app)->PutParam("Traffic source", Sstring(source));
    ASSERT_EQ(t.n->ConnectBlock(app, "T", "x"), 1);
    const std::string type = std::string(source) + "_TS";
    EXPECT_EQ(RowsOf(t.L(app.c_str(), type.c_str())),
              RowsOfKind("layer ATM Generic Application " + type));
    EXPECT_EQ(RowsOf(t.L(app.c_str(), "TR")), RowsOfKind("layer ATM Generic Application TR"));
  }
  // Every kind has rows; the listing has one line per row.
  std::ostringstream out;
  WriteParameterKinds(out);
  const std::string listing = out.str();
  size_t lines = 0;
  for (const ParameterKind& k : ParameterKinds()) {
    EXPECT_FALSE(k.describe().empty()) << k.kind;
    lines += k.describe().size();
  }
  EXPECT_EQ(static_cast<size_t>(std::count(listing.begin(), listing.end(), '\n')), lines);
}
