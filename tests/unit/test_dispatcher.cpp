// Dispatcher and command table: which row a line reaches, with what left to
// read, the 1/0 result of lines the dispatcher answers itself, and the
// messages the argument reader builds from a row.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace {

std::string Words(const Command& row) {
  std::string path;
  for (const char* w : row.words)
    if (w) path += std::string(w) + " ";
  return path;
}

TEST(CommandTable, RowsAreConsistent) {
  std::set<std::string> paths;
  for (const Command& row : AllCommands()) {
    const std::string path = Words(row);
    EXPECT_TRUE(paths.insert(path).second) << path;
    EXPECT_TRUE(row.action) << path;
    EXPECT_TRUE(StartsCommand(row.words[0])) << path;
    // Each row is the one its full words find.
    const Sstring all[3] = {row.words[0], row.words[1] ? row.words[1] : "",
                            row.words[2] ? row.words[2] : ""};
    const int depth = row.words[2] ? 3 : row.words[1] ? 2 : 1;
    EXPECT_EQ(FindCommand(all, depth), &row) << path;
    // Every argument up to the end has a name for messages and listings.
    for (const ArgRule& a : row.args) {
      if (a.kind != ArgKind::End) {
        EXPECT_TRUE(a.name) << path;
      }
    }
    // Rows sharing their first two words answer an empty third word alike.
    const Sstring words[2] = {row.words[0], row.words[1] ? row.words[1] : ""};
    if (row.words[1] && row.words[2]) {
      EXPECT_EQ(FindCommand(words, 2)->emptyThird, row.emptyThird) << path;
    }
  }
  EXPECT_EQ(paths.size(), 57u);
  // No path is a prefix of another, so a complete path is never read further.
  for (const std::string& a : paths)
    for (const std::string& b : paths)
      EXPECT_TRUE(a == b || b.compare(0, a.size(), a) != 0) << a << "/" << b;
  EXPECT_FALSE(StartsCommand("quit"));
  EXPECT_FALSE(StartsCommand("network"));
  const Sstring createVcc[2] = {"create", "vcc"};
  EXPECT_EQ(CommandUsage(*FindCommand(createVcc, 2)),
            "create vcc network_name NCI service_categorie bandwidth first_block_name");
}

TEST(Dispatch, LinesReachTheirRowWithTheRestOfTheLine) {
  struct Case { const char* line; const char* words; const char* rest; };
  const Case cases[] = {
      {"create network lan create network wan", "create network ", "lan create network wan"},
      {"  create\tblock  lan T1 \"ATM B-TE\" x", "create block ", "lan T1 \"ATM B-TE\" x"},
      {"#note show dc lan 3", "show dc ", "lan 3"},
      {"connect vcc block lan 1 S T1", "connect vcc block ", "lan 1 S T1"},
      {"show \"parameters\" QSs lan", "show parameters QSs ", "lan"},
      {"run lan 10", "run ", "lan 10"},
      {"save", "save ", ""},
  };
  platform::CapturedOutput out;
  for (const Case& c : cases) {
    std::istringstream in(c.line);
    int answer = -1;
    const Command* row = ReadCommandWords(in, answer);
    ASSERT_TRUE(row) << c.line;
    EXPECT_EQ(Words(*row), c.words) << c.line;
    std::string rest;
    std::getline(in, rest, '\0');
    EXPECT_EQ(rest, c.rest) << c.line;
    EXPECT_EQ(out.Take(), "") << c.line;
  }
}

// Lines answered by the dispatcher itself: a command reached by mistake would
// print its own messages and fail the output check.
TEST(Dispatch, RejectedAndEmptyLinesGiveTheirResult) {
  struct Case { const char* line; int result; const char* output; };
  const Case cases[] = {
      {"", 1, ""},
      {" \t ", 1, ""},
      {"#note", 1, ""},
      {"# note", 0, "exec error: unknow instruction \"note\"\n"},
      {"quit", 0, "exec error: unknow instruction \"quit\"\n"},
      {"create", 0, "exec error: incomplete instruction \n"},
      {"create \"\" lan", 0, "exec error: incomplete instruction \n"},
      {"del nothing lan", 0, "exec error: unknow option \"nothing\"\n"},
      {"show parameters qs", 0, "exec error: unknow option \"qs\"\n"},
      {"show table \"\" lan", 0, "exec error: incomplete instruction \n"},
      {"show vccs \"\" lan", 0, "exec error: unknow option \"\"\n"},
      {"disconnect vcc \"\" lan", 0, "exec error: unknow option \"vcc\"\n"},
  };
  Kernel kernel;
  platform::CapturedOutput out;
  for (const Case& c : cases) {
    EXPECT_EQ(ExecuteLine(kernel, c.line), c.result) << c.line;
    EXPECT_EQ(out.Take(), c.output) << c.line;
  }
}

// The argument reader's messages come from the row: names of the missing
// argument and those after it, the row's own wording where it differs, and
// the lookups of the named network, block and layer.
TEST(Dispatch, ArgumentMessagesComeFromTheRow) {
  struct Case { const char* line; const char* output; };
  const Case cases[] = {
      {"create vcc lan", "create vcc  error: missing parameters 'NCI service_categorie "
                         "bandwidth first_block_name'\n"},
      {"create vcc lan 1 CBR", "create vcc  error: missing parameters 'bandwidth "
                               "first_block_name'\n"},
      {"create vcc lan 1 CBR 2", "create vcc  error: missing parameter 'first_block_name'\n"},
      {"create link lan 1 A B 0 70000", "create link error: missing parameter 'VCI'\n"},
      {"remove block lan", "remove block error: missing parameters 'block_name'\n"},
      {"put data layer lan", "put data layer error: missing parameter 'block_name layer_name'\n"},
      {"show table layer lan T9 ATM", "show table layer error: block \"T9\" not exist\n"},
      {"show table layer lan T1 XYZ", "show table layer error: layer \"XYZ\" not exist\n"},
      {"del data layer lan T1 XYZ k", "del data layer error: missing parameter 'data'\n"},
      {"del data layer lan T1 XYZ k d", "del data layer error: layer \"XYZ\" not exist\n"},
      {"put parameter block lan T1", "put parameter block error: missing parameters ... "
                                     "'parameter_name type lines columns values description "
                                     "option'  \n"},
      {"run nowhere 10", "run error: network \"nowhere\" not exist\n"},
      {"create network lan", "create network error: network already exists\n"},
  };
  Kernel kernel;
  platform::CapturedOutput out;
  ASSERT_EQ(ExecuteLine(kernel, "create network lan"), 1);
  ASSERT_EQ(ExecuteLine(kernel, "create block lan T1 \"ATM B-TE\" t"), 1);
  EXPECT_EQ(out.Take().find("error"), std::string::npos);
  for (const Case& c : cases) {
    EXPECT_EQ(ExecuteLine(kernel, c.line), 0) << c.line;
    EXPECT_EQ(out.Take(), c.output) << c.line;
  }
}

}  // namespace
