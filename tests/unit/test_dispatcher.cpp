// Dispatcher and command table: which row a line reaches, with what left to
// read, and the 1/0 result of lines the dispatcher answers itself.
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

// The answer of lines the dispatcher answers itself or the argument reader
// refuses (their messages: the end-to-end case dispatcher_answers).
TEST(Dispatch, RejectedAndEmptyLinesGiveTheirResult) {
  Kernel kernel;
  platform::CapturedOutput out;
  for (const char* line : {"", " \t ", "#note", "create network lan"})
    EXPECT_EQ(ExecuteLine(kernel, line), 1) << line;
  for (const char* line : {"# note", "quit", "create", "create \"\" lan", "del nothing lan",
                           "show vccs \"\" lan", "create vcc lan 1 CBR", "remove block lan",
                           "show table layer lan T9 ATM", "run nowhere 10", "create network lan"})
    EXPECT_EQ(ExecuteLine(kernel, line), 0) << line;
}

}  // namespace
