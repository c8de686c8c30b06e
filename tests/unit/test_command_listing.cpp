// The command listing (celvane --list-commands, the source of the manual's
// command reference) against what the console really prints: every message
// listed for a command is produced by a line built to trigger it, in the
// listed order, and nothing the reader prints is missing from the listing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console/CommandListing.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "model/Kernel.h"
#include "platform/Console.h"

namespace {

std::vector<std::string> Split(const std::string& line, char sep) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, sep)) fields.push_back(field);
  if (!line.empty() && line.back() == sep) fields.push_back("");
  return fields;
}

// A value the reader accepts for the argument, in a network holding
// terminal T (wired, so it has PHY_QS).
const char* Good(ArgKind kind) {
  switch (kind) {
    case ArgKind::Network: case ArgKind::LateNetwork: return "lan";
    case ArgKind::NewNetwork: return "fresh";
    case ArgKind::Block: return "T";
    case ArgKind::Layer: case ArgKind::LateLayer: return "ATM";
    case ArgKind::QS: return "PHY_QS";
    case ArgKind::Number: case ArgKind::Label: return "1";
    default: return "x";
  }
}

bool IsLookup(ArgKind kind) {
  return kind == ArgKind::Network || kind == ArgKind::NewNetwork || kind == ArgKind::Block ||
         kind == ArgKind::Layer || kind == ArgKind::QS || kind == ArgKind::LateNetwork ||
         kind == ArgKind::LateLayer;
}

TEST(CommandListing, EveryListedMessageIsWhatTheConsolePrints) {
  Kernel kernel;
  platform::CapturedOutput out;
  for (const char* line : {"create network lan", "create block lan T \"ATM B-TE\" t",
                           "create block lan U \"ATM B-TE\" t",
                           "connect block lan T U CB_PHYSICAL_LAYER"})
    ASSERT_EQ(ExecuteLine(kernel, line), 1) << line;
  out.Take();

  std::ostringstream listing;
  WriteCommandRows(listing);
  std::istringstream rows(listing.str());
  std::string text;
  size_t rowCount = 0;
  for (const Command& row : AllCommands()) {
    ASSERT_TRUE(std::getline(rows, text));
    ++rowCount;
    const std::vector<std::string> fields = Split(text, '\t');
    ASSERT_GE(fields.size(), 2u) << text;
    EXPECT_EQ(fields[0] + (fields[1].empty() ? "" : " " + fields[1]), CommandUsage(row));

    // The lines that trigger each check, in the reader's order: a missing
    // argument after the good ones before it, then a bad name where one is
    // looked up (late lookups with every argument present).
    std::string words;
    for (const char* w : row.words)
      if (w) words += std::string(w) + " ";
    std::vector<std::string> good, lines, late;
    for (int i = 0; i < kMaxArgs && row.args[i].kind != ArgKind::End; ++i) {
      const ArgRule& a = row.args[i];
      if (a.kind == ArgKind::DataText) continue;
      std::string before = words;
      for (const std::string& g : good) before += g + " ";
      lines.push_back(before);
      if (a.kind == ArgKind::NewNetwork) lines.push_back(before + "lan");
      else if (IsLookup(a.kind)) {
        std::string bad = before + "\"nosuch\"";
        const bool isLate = a.kind == ArgKind::LateNetwork || a.kind == ArgKind::LateLayer;
        for (int k = i + 1; isLate && k < kMaxArgs && row.args[k].kind != ArgKind::End; ++k)
          bad += std::string(" ") + Good(row.args[k].kind);
        (isLate ? late : lines).push_back(bad);
      }
      good.push_back(Good(a.kind));
    }
    lines.insert(lines.end(), late.begin(), late.end());

    ASSERT_EQ(fields.size() - 2, lines.size()) << text;
    for (size_t k = 0; k < lines.size(); ++k) {
      std::string expected = fields[k + 2];
      const size_t open = expected.find("\"<");
      if (open != std::string::npos)
        expected.replace(open, expected.find(">\"") + 2 - open, "\"nosuch\"");
      EXPECT_EQ(ExecuteLine(kernel, lines[k].c_str()), 0) << lines[k];
      EXPECT_EQ(out.Take(), expected + "\n") << lines[k];
    }
  }
  EXPECT_FALSE(std::getline(rows, text)) << "a row without a command: " << text;
  EXPECT_EQ(rowCount, 57u);
}

}  // namespace
