// What the console adds for people: completion candidates and the progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/CommandTable.h"
#include "console/Completion.h"
#include "console/Dispatcher.h"
#include "model/Kernel.h"
#include "platform/Console.h"
#include "platform/Progress.h"

namespace {

using Names = std::vector<std::string>;

Names Complete(const Kernel& k, const std::string& line, size_t* start = nullptr) {
  platform::LineEditor::Completion c = CompleteCommandLine(k, line);
  if (start) *start = c.wordStart;
  return c.candidates;
}

TEST(Completion, OffersCommandWordsAndTheNamesEachArgumentTakes) {
  platform::CapturedOutput quiet;
  Kernel k;
  for (const char* line :
       {"create network lan", "create block lan Uplink \"ATM B-TE\" t",
        "create block lan Usher \"ATM B-TE\" t", "create block lan A1 \"ATM Generic Application\" a",
        "connect block lan Uplink Usher CB_PHYSICAL_LAYER", "connect block lan A1 Uplink app"})
    ASSERT_EQ(ExecuteLine(k, line), 1) << line;

  EXPECT_EQ(Complete(k, "cre"), Names{"create"});
  EXPECT_EQ(Complete(k, "h"), Names{"help"});
  EXPECT_EQ(Complete(k, "show vcc "), (Names{"blocks", "link", "links", "network"}));
  EXPECT_EQ(Complete(k, "help del p"), Names{"parameter"});
  size_t start = 0;
  EXPECT_EQ(Complete(k, "show block lan U", &start), (Names{"Uplink", "Usher"}));
  EXPECT_EQ(start, 15u);
  EXPECT_EQ(Complete(k, "run l"), Names{"lan"});
  EXPECT_EQ(Complete(k, "create dc lan d1 A"), Names{"A1"});
  // Names with blanks come quoted; an opened quote is completed and closed.
  EXPECT_EQ(Complete(k, "create block lan X ATM"),
            (Names{"\"ATM B-TE\"", "\"ATM Generic Application\"", "\"ATM Switch\""}));
  EXPECT_EQ(Complete(k, "create block lan X \"ATM S"), Names{"\"ATM Switch\""});
  EXPECT_EQ(Complete(k, "put parameter network lan P"),
            (Names{"\"Path\"", "\"Performance log status\""}));
  EXPECT_EQ(Complete(k, "put parameter layer lan Uplink ATM \"Sa", &start),
            Names{"\"Sample statistics status\""});
  EXPECT_EQ(start, 35u);
  EXPECT_EQ(Complete(k, "show parameters QS lan Uplink PHY_"), Names{"PHY_QS"});
  // Nothing after the record's first word, nor for unknown objects.
  EXPECT_EQ(Complete(k, "put parameter network lan \"Path\" s"), Names{});
  EXPECT_EQ(Complete(k, "show block nonet "), Names{});
  EXPECT_EQ(platform::CommonPrefix({"\"ATM B-TE\"", "\"ATM Switch\""}), "\"ATM ");
}

TEST(Progress, LineTellsShareRateAndTimeLeft) {
  EXPECT_EQ(platform::RunProgress::Format(0.25, 1.5e6, 3725),
            "run:  25.0% of the simulated time, 1.5e+06 events/s, 1:02:05 left");
  EXPECT_EQ(platform::RunProgress::Format(-1, 2000, 0), "run: 2e+03 events/s");
}

}  // namespace
