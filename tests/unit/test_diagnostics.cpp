// Diagnostics of commands that used to fail, or be taken, without a word:
// each bad command against one wired network, its result, the one line it
// now puts on standard error, and standard output left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "TestNetwork.h"
#include "console/Diagnostics.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/VccRecord.h"
#include "platform/Console.h"

namespace {

// T1 - S - T2 with A1 on T1 and A2 on T2, VCC v1 along them carrying DC d1,
// VCC v2 on T1 alone; T3 and A3 stand unwired.
struct Wired : TestNetwork {
  Wired() {
    platform::CapturedOutput quiet;
    for (const char* line : {
             "create block n T1 \"ATM B-TE\" t", "create block n T2 \"ATM B-TE\" t",
             "create block n T3 \"ATM B-TE\" t", "create block n S \"ATM Switch\" s",
             "create block n A1 \"ATM Generic Application\" a",
             "create block n A2 \"ATM Generic Application\" a",
             "create block n A3 \"ATM Generic Application\" a",
             "connect block n T1 S CB_PHYSICAL_LAYER", "connect block n T2 S CB_PHYSICAL_LAYER",
             "connect block n A1 T1 x", "connect block n A2 T2 x",
             "create vcc n v1 CBR 155520000 T1", "connect vcc block n v1 S T1",
             "connect vcc block n v1 T2 S", "create link n v1 T1 S 0 1",
             "create link n v1 S T2 0 2", "create dc n d1 A1 A2", "create vcc n v2 CBR 1e6 T1"})
      EXPECT_EQ(ExecuteLine(k, line), 1) << line;
  }
  // Runs one line: its result, its standard output and its standard error.
  int Line(const char* line, std::string& out, std::string& err) {
    std::ostringstream e;
    platform::SetErr(&e);
    platform::CapturedOutput o;
    const int result = ExecuteLine(k, line);
    out = o.Take();
    platform::SetErr(nullptr);
    err = e.str();
    return result;
  }
};

TEST(Diagnostics, SilentRefusalsAndDoubtfulInputSayWhatIsWrong) {
  Wired w;
  struct Case {
    const char* line;
    int result;
    const char* err;  // expected within the one line on standard error
    const char* out;  // expected within standard output; "" = nothing printed
  };
  const Case cases[] = {
      // Refusals: 0, with the reason and what would be right.
      {"create block n X \"ATM BTE\" t", 0,
       "error: create block: no block model \"ATM BTE\"; did you mean \"ATM B-TE\"?", ""},
      {"create block n T1 \"ATM Switch\" s", 0, "already has a block \"T1\"", ""},
      {"connect block n T1 NOPE CB_PHYSICAL_LAYER", 0, "no block \"NOPE\" in network \"n\"", ""},
      {"connect block n T3 T1 CB_PHYSICAL_LAYER", 0, "already connected to \"S\"", ""},
      {"connect block n A3 S x", 0, "switch \"S\" takes no applications", ""},
      {"connect block n T3 S PHY", 0, "no physical interface \"PHY\"", ""},
      {"connect block n A3 A1 x", 0, "two applications cannot be connected", ""},
      {"disconnect block n T3", 0, "\"T3\" is not connected to any block", ""},
      {"remove block n T9", 0, "no block \"T9\" in network \"n\"; did you mean", ""},
      {"remove block n S", 0, "\"S\" lies on VCC \"v1\"", ""},
      {"remove block n A2", 0, "application of DC \"d1\"", ""},
      {"create vcc n v1 UBR 1 T1", 0, "VCC \"v1\" already exists", ""},
      {"create link n v9 T1 S 0 3", 0, "no VCC \"v9\" in network \"n\"; did you mean", ""},
      {"create link n v1 T1 T3 0 3", 0, "\"T3\" is not on VCC \"v1\", whose path is \"T1\"", ""},
      {"remove link n v1 S T1", 0, "no link from \"S\" to \"T1\"", ""},
      {"connect vcc block n v2 T3 T1", 0, "\"T3\" is not connected to \"T1\"", ""},
      {"disconnect vcc block n v1 T2 T1", 0, "\"T2\" follows \"S\", not \"T1\"", ""},
      {"create dc n d2 A3 A2", 0, "no traffic source layer \"CBR_TS\"", ""},
      {"create dc n d2 A1 A2", 0, "\"v1\" is taken by a DC", ""},
      {"create dc n d1 A1 A2", 0, "DC \"d1\" already exists", ""},
      {"remove dc n d9", 0, "no DC \"d9\"", ""},
      {"del key block n T1 nokey", 0, "the table of block \"T1\" has no key \"nokey\"", ""},
      {"del data network n v1 nodata", 0, "no entry \"nodata\" under key \"v1\"", ""},
      {"put data network n k x dbl 5", 0, "unknown type \"dbl\"", ""},
      {"put parameter network n \"P\" dbl 1 1 5 d SHOW", 0, "unknown type \"dbl\"",
       "put parameter network error: missing parameters ..."},
      {"create link n v1 T1 S 0 x1", 0, "VCI \"x1\" is not a number",
       "create link error: missing parameter 'VCI'"},
      // Warnings: the command does what it always did.
      {"connect block n S S CB_PHYSICAL_LAYER", 1, "warning: connect block: connects \"S\" to "
                                                    "itself", ""},
      {"create vcc n v5 CBX 1e6 T1", 1, "warning: create vcc: unknown service category \"CBX\"; "
                                        "did you mean \"CBR\"?", ""},
      {"create vcc n v6 CBR -5 T1", 1, "bandwidth -5 is not positive", ""},
      {"create network m extra", 1, "words after the last argument are not read: \"extra\"", ""},
      {"put parameter layer n A1 CBR_TS \"Bit rat\" double 1 1 5 d SHOW", 1,
       "adds parameter \"Bit rat\", which layer \"CBR_TS\" of block \"A1\" did not have and does "
       "not read; did you mean \"Bit rate\"?", ""},
      {"del parameter block n S nosuch", 1, "block \"S\" has no parameter \"nosuch\"", ""},
      {"show vcc links n v9", 1, "no VCC \"v9\" in network \"n\"", ""},
      {"show dc n d9", 1, "no DC \"d9\"", ""},
      {"show vcc link n v1 S T1", 1, "VCC \"v1\" has no link from \"S\" to \"T1\"", ""},
      {"run n -1", 1, "simulation time -1 is negative", "Numero de Eventos Processados: 0"},
  };
  for (const Case& c : cases) {
    std::string out, err;
    EXPECT_EQ(w.Line(c.line, out, err), c.result) << c.line;
    EXPECT_NE(err.find(c.err), std::string::npos) << c.line << "\n" << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.line << "\n" << err;
    if (*c.out) EXPECT_NE(out.find(c.out), std::string::npos) << c.line << "\n" << out;
    else EXPECT_EQ(out, "") << c.line;
  }
  // Refused and doubtful commands left the wiring whole.
  EXPECT_TRUE(w.n->FindBlock("S") && w.n->FindBlock("A2"));
  EXPECT_EQ(w.n->NumberOfNeighbours("T3"), 0);
  EXPECT_EQ(VccRecord(*w.n, "v1").BlockCount(), 3);
  EXPECT_FALSE(w.n->HasKey("nodata") || w.n->HasKey("k"));
  EXPECT_TRUE(w.n->FindBlock("A1")->FindLayer("CBR_TS")->GetParameter("Bit rat"));

  // A block whose only peer was disconnected can be removed.
  std::string out, err;
  EXPECT_EQ(w.Line("connect block n T3 S CB_PHYSICAL_LAYER", out, err), 1) << err;
  EXPECT_EQ(w.Line("disconnect block n S", out, err), 1) << err;
  EXPECT_EQ(w.Line("remove block n T3", out, err), 1) << err;

  // --strict: a warning fails the command, which still acts.
  diag::SetStrict(true);
  EXPECT_EQ(w.Line("create vcc n v8 CBX 1e6 T1", out, err), 0);
  diag::SetStrict(false);
  EXPECT_TRUE(w.n->Peek("v8", "Status"));
}

// In a script: the line a warning is about, across a skipped empty line, and
// a misspelt command word that the continuation rule joined to a command.
TEST(Diagnostics, ScriptWarningsNameTheLineOfTheUnreadWords) {
  TestNetwork t;
  const std::string file = (t.dir / "s.txt").string();
  std::ofstream(file) << "put parameter network n \"Path\" string 1 1 \"x/\"\n"
                         "\"Path\"\n\nSHOW\n# comment\nrum n 0.001\n"
                         "create network m # a comment is no extra word\n";
  std::ostringstream err;
  platform::SetErr(&err);
  platform::CapturedOutput quiet;
  EXPECT_EQ(LoadScript(t.k, file.c_str()), 1);
  platform::SetErr(nullptr);
  EXPECT_EQ(err.str(), file + ":6: warning: put parameter network: the line \"rum n 0.001\" is "
                              "joined to this command (it does not start with a command word) "
                              "but is not read by it; did you mean \"run\"?\n");
}

}  // namespace
