// Dispatcher and command table: which handler a line reaches, with what left
// to read, and the 1/0 result of lines the dispatcher answers itself.
#include <gtest/gtest.h>

#include <istream>
#include <set>
#include <string>

#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace {

std::string gRest;
int gCalls = 0;

int Recorder(Kernel&, std::istream& in) {
  ++gCalls;
  gRest.clear();
  std::getline(in, gRest, '\0');
  return 1;
}

TEST(CommandTable, GrammarRowsAreConsistent) {
  std::set<std::string> names, paths;
  for (const CommandRow& row : AllCommands()) {
    EXPECT_TRUE(names.insert(row.handlerName).second) << row.handlerName;
    EXPECT_EQ(FindHandlerRow(row.handlerName), &row);
    std::string path;
    for (int i = 0; i < 3 && row.words[i]; ++i) path += std::string(row.words[i]) + " ";
    paths.insert(path);
    // Rows sharing their first two words answer an empty third word alike.
    const Sstring words[2] = {row.words[0], row.words[1] ? row.words[1] : ""};
    if (row.words[1] && row.words[2]) {
      EXPECT_EQ(FindCommand(words, 2)->emptyThird, row.emptyThird) << path;
    }
  }
  EXPECT_EQ(names.size(), 57u);
  // No path is a prefix of another, so a complete path is never read further.
  for (const std::string& a : paths)
    for (const std::string& b : paths) EXPECT_TRUE(a == b || b.compare(0, a.size(), a) != 0) << a << "/" << b;
  EXPECT_FALSE(RegisterHandler("CmdNoSuchThing", nullptr));
}

TEST(Dispatch, LinesReachTheirHandlerWithTheRestOfTheLine) {
  struct Case { const char* line; const char* handler; const char* rest; };
  const Case cases[] = {
      {"create network lan create network wan", "CmdCreateNetwork", "lan create network wan"},
      {"  create\tblock  lan T1 \"ATM B-TE\" x", "CmdCreateBlock", "lan T1 \"ATM B-TE\" x"},
      {"#note show dc lan 3", "CmdShowDc", "lan 3"},
      {"connect vcc block lan 1 S T1", "CmdConnectVccBlock", "lan 1 S T1"},
      {"show \"parameters\" QSs lan", "CmdShowParametersQSs", "lan"},
      {"run lan 10", "CmdRun", "lan 10"},
      {"save", "CmdSave", ""},
  };
  Kernel kernel;
  platform::CapturedOutput out;
  for (const Case& c : cases) {
    const Handler saved = FindHandlerRow(c.handler)->handler;
    RegisterHandler(c.handler, Recorder);
    gCalls = 0;
    gRest = "?";
    EXPECT_EQ(ExecuteLine(kernel, c.line), 1) << c.line;
    RegisterHandler(c.handler, saved);
    EXPECT_EQ(gCalls, 1) << c.line;
    EXPECT_EQ(gRest, c.rest) << c.line;
    EXPECT_EQ(out.Take(), "") << c.line;
  }
}

// Lines answered by the dispatcher itself: a handler reached by mistake would
// print "... not available yet" (or its own messages) and fail the output check.
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

TEST(Dispatch, CommandWithoutHandlerSaysSoAndFails) {
  Kernel kernel;
  platform::CapturedOutput out;
  const Handler saved = FindHandlerRow("CmdDelKeyLayer")->handler;
  RegisterHandler("CmdDelKeyLayer", nullptr);
  EXPECT_EQ(ExecuteLine(kernel, "del key layer lan T1 ATM k"), 0);
  EXPECT_EQ(out.Take(), "del key layer: not available yet\n");
  RegisterHandler("CmdDelKeyLayer", saved);
}

}  // namespace
