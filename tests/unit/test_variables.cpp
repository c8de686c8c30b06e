// Script variables: substitution, lines left alone, and the errors that
// name the variable and the place.
#include <gtest/gtest.h>

#include <sstream>

#include "console/Variables.h"
#include "platform/Console.h"

namespace {

struct Vars : testing::Test {
  std::ostringstream err;
  void SetUp() override {
    platform::SetErr(&err);
    ClearVariables();
    ASSERT_TRUE(DefineVariable("NET", "lan"));
    ASSERT_TRUE(DefineVariable("_x1", "${NET}"));
    ASSERT_TRUE(DefineVariable("EMPTY", ""));
  }
  void TearDown() override {
    platform::SetErr(nullptr);
    ClearVariables();
  }
};

TEST_F(Vars, Substitutes) {
  const std::pair<const char*, const char*> cases[] = {
      {"create network ${NET}", "create network lan"},
      {"${NET}${NET}-${EMPTY}.", "lanlan-."},
      {"value ${_x1}", "value ${NET}"},  // values are not searched again
      {"cost $5 and $HOME, {NET} $ {NET}", "cost $5 and $HOME, {NET} $ {NET}"},
      {"$${NET}}", "$lan}"},
  };
  for (const auto& [in, out] : cases) {
    std::string line = in;
    EXPECT_TRUE(ExpandVariables(line, "s.txt", 3)) << in;
    EXPECT_EQ(line, out);
  }
  EXPECT_EQ(err.str(), "");
  EXPECT_FALSE(DefineVariable("1A", "x"));
  EXPECT_FALSE(DefineVariable("A B", "x"));
}

TEST_F(Vars, ErrorsNameTheVariableAndLeaveTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"run ${NET} ${TIME}", "s.txt:7: error: undefined variable ${TIME} (define it with -D TIME=VALUE)\n"},
      {"run ${NET", "s.txt:7: error: bad variable reference \"${NET\" (expected ${NAME}, NAME of letters, digits and _)\n"},
      {"run ${} x", "s.txt:7: error: bad variable reference \"${}\" (expected ${NAME}, NAME of letters, digits and _)\n"},
      {"run ${A-B}", "s.txt:7: error: bad variable reference \"${A-B}\" (expected ${NAME}, NAME of letters, digits and _)\n"},
  };
  for (const auto& [in, message] : cases) {
    std::string line = in;
    err.str("");
    EXPECT_FALSE(ExpandVariables(line, "s.txt", 7)) << in;
    EXPECT_EQ(line, in);
    EXPECT_EQ(err.str(), message);
  }
  std::string typed = "run ${T}";
  err.str("");
  EXPECT_FALSE(ExpandVariables(typed));
  EXPECT_EQ(err.str(), "error: undefined variable ${T} (define it with -D T=VALUE)\n");
}

}  // namespace
