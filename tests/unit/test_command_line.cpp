// Program options: what is stored, and which arguments stop the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "console/CommandLine.h"

namespace {

ParsedCommandLine Parse(std::vector<const char*> args, std::string* err = nullptr) {
  args.insert(args.begin(), "celvane");
  std::ostringstream out, errors;
  ParsedCommandLine r = ParseCommandLine(static_cast<int>(args.size()), args.data(), out, errors);
  if (err) *err = errors.str();
  return r;
}

TEST(CommandLine, StoresOptionsAndScripts) {
  const ParsedCommandLine r = Parse({"a.txt", "-b", "--seed", "42", "--", "-x.txt"});
  EXPECT_FALSE(r.exit);
  EXPECT_TRUE(r.options.batch);
  EXPECT_TRUE(r.options.seedGiven);
  EXPECT_EQ(r.options.seed, 42u);
  EXPECT_EQ(r.options.scripts, (std::vector<std::string>{"a.txt", "-x.txt"}));
  EXPECT_EQ(Parse({"--seed=18446744073709551615"}).options.seed, 18446744073709551615ull);
}

TEST(CommandLine, ReplicationAndVariables) {
  const ParsedCommandLine r = Parse({"--run", "3", "-D", "A=1", "-DB=x=y", "-D", "A=", "s.txt"});
  EXPECT_FALSE(r.exit);
  EXPECT_EQ(r.options.run, 3u);
  EXPECT_EQ(r.options.defines, (std::vector<std::pair<std::string, std::string>>{
                                   {"A", "1"}, {"B", "x=y"}, {"A", ""}}));
  EXPECT_EQ(r.options.scripts, std::vector<std::string>{"s.txt"});
  EXPECT_EQ(Parse({"--run=0"}).options.run, 0u);
}

TEST(CommandLine, BadArgumentsExitWithStatus2AndOneLine) {
  for (auto args : {std::vector<const char*>{"--seed"}, {"--seed", "12x"}, {"--seed=18446744073709551616"},
                    {"--verbose"}, {"-q"}, {"--run"}, {"--run", "-1"}, {"-D"}, {"-D", "A"},
                    {"-D", "1A=2"}, {"-D", "=2"}, {"-DA-B=1"}}) {
    std::string err;
    const ParsedCommandLine r = Parse(args, &err);
    EXPECT_TRUE(r.exit) << args[0];
    EXPECT_EQ(r.exitStatus, 2) << args[0];
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}

}  // namespace
