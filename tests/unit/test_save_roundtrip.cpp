// save followed by load rebuilds the same network: the same commands, the
// same parameter values to the last bit, every DC on the VCC it had.
#include <gtest/gtest.h>

#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "atm/QueueingSystem.h"
#include "console/Dispatcher.h"
#include "console/RunFileLoad.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

namespace fs = std::filesystem;

namespace {

class SaveRoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("celvane_save_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  // Runs console lines, failing the test on the first one that fails.
  void Run(Kernel& k, const std::string& script) {
    std::istringstream lines(script);
    std::string line;
    while (std::getline(lines, line))
      ASSERT_EQ(ExecuteLine(k, line.c_str()), 1) << line << "\n" << captured_.Take();
  }
  std::string Save(Kernel& k, const std::string& net, const std::string& file) {
    std::string path = (dir_ / file).string();
    Run(k, "file \"" + net + "\" \"" + path + "\"\nsave \"" + net + "\"");
    return Slurp(path);
  }
  std::string Load(Kernel& k, const std::string& file) {
    EXPECT_EQ(LoadScript(k, (dir_ / file).string()), 1) << captured_.Take();
    return file;
  }

  // Every parameter of every object, written exactly, and the tables' entries.
  static std::string Snapshot(const Network& net) {
    std::ostringstream s;
    auto params = [&](const char* what, const Param& p) {
      s << what << '\n';
      for (const auto& kv : p.Parameters()) p.GetParam(kv.first, s, NumberStyle::Exact);
    };
    auto table = [&](const DataTable& t) {
      std::ostringstream listing;
      t.ShowTable(listing);
      std::vector<std::string> lines;
      std::istringstream in(listing.str());
      for (std::string l; std::getline(in, l);) lines.push_back(l);
      std::sort(lines.begin(), lines.end());
      for (const auto& l : lines) s << l << '\n';
    };
    params("network", net);
    table(net);
    std::vector<std::string> blocks;
    net.ForEachBlock([&](const Block& b) { blocks.push_back(b.GetName().str()); });
    std::sort(blocks.begin(), blocks.end());
    for (const auto& name : blocks) {
      const Block& b = *net.FindBlock(name);
      params(name.c_str(), b);
      table(b);
      std::vector<Sstring> names;
      if (b.ListLayers(names))
        for (const auto& n : names) params(n.c_str(), *b.FindLayer(n));
      names.clear();
      if (b.ListQSs(names))
        for (const auto& n : names) params(n.c_str(), *b.FindQS(n));
    }
    return s.str();
  }

  void CheckRoundTrip(const std::string& net, const std::string& build) {
    Kernel original;
    Run(original, build);
    std::string first = Save(original, net, "first.txt");
    Kernel once;
    Load(once, "first.txt");
    EXPECT_EQ(Snapshot(*original.FindNetwork(net)), Snapshot(*once.FindNetwork(net)));
    std::string second = Save(once, net, "second.txt");
    Kernel twice;
    Load(twice, "second.txt");
    EXPECT_EQ(Save(twice, net, "third.txt"), first);
    // The reloaded file lists the same commands, blocks in the other order.
    auto sortedLines = [](const std::string& text) {
      std::vector<std::string> v;
      std::istringstream in(text);
      for (std::string l; std::getline(in, l);) v.push_back(l);
      std::sort(v.begin(), v.end());
      return v;
    };
    EXPECT_EQ(sortedLines(first), sortedLines(second));
  }

  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  platform::CapturedOutput captured_;
};

// Terminals, a switch and applications; VCCs of one block and of three,
// several links, DCs that must keep their VCCs, changed parameters of every
// kind of object and every element type.
const char* const kLan = R"lan(create network lan
put parameter network lan "Path" string 1 1 "out dir/" "Path" SHOW
create block lan "T 1" "ATM B-TE" te
create block lan S "ATM Switch" sw
create block lan T2 "ATM B-TE" te
create block lan A1 "ATM Generic Application" app
create block lan A2 "ATM Generic Application" app
create block lan V "ATM Generic Application" app
put parameter block lan V "Traffic source" string 1 1 VBR_BATCH "Traffic source" SHOW
put parameter block lan S "Number of ports" "short int" 1 1 12 "Number of switch ports" SHOW
connect block lan "T 1" S CB_PHYSICAL_LAYER
connect block lan S T2 CB_PHYSICAL_LAYER
connect block lan A1 "T 1" x
connect block lan A2 T2 x
connect block lan V "T 1" x
put parameter layer lan S PHY_1 "Distance" float 1 1 1234.567 "Distance (m)" SHOW
put parameter layer lan S PHY_1 "Bit rate" double 1 1 0.1 "Bit rate (bps)" SHOW
put parameter QS lan S ATM_QS_1 "Buffer size" "unsigned int" 1 1 100 "Buffer size (0-4.294.967.295)" SHOW
put parameter layer lan A1 CBR_TS "Packet name" string 1 1 "a name with blanks" "Name" SHOW
put parameter layer lan A1 CBR_TS "Vector" complex 2 1 (1.5, -2) (0.1, 3) "complex vector" SHOW
put parameter layer lan A1 CBR_TS "Matrix" long 2 3 1 2 3 4 5 6 "matrix" HIDE
put parameter layer lan A1 TR "Letter" "unsigned char" 1 1 z "" ""
put parameter layer lan A1 TR "Small" "short int" 1 1 -3 "short" SHOW
put parameter layer lan V VBR_BATCH_TS "Service categorie" string 1 1 CBR "Service categorie" SHOW
create vcc lan single CBR 1e6 "T 1"
create vcc lan v1 CBR 32000000 "T 1"
connect vcc block lan v1 S "T 1"
connect vcc block lan v1 T2 S
create link lan v1 "T 1" S 1 10
create link lan v1 S T2 2 65535
create vcc lan v2 CBR 155520000 "T 1"
connect vcc block lan v2 S "T 1"
connect vcc block lan v2 T2 S
create link lan v2 "T 1" S 0 11
create link lan v2 S T2 3 0
create dc lan d1 A1 A2
create vcc lan v3 CBR 155520000 "T 1"
connect vcc block lan v3 S "T 1"
connect vcc block lan v3 T2 S
create link lan v3 "T 1" S 7 70
create link lan v3 S T2 8 80
create dc lan d2 V A2)lan";

TEST_F(SaveRoundTrip, RebuildsTheSameNetwork) {
  CheckRoundTrip("lan", kLan);
  // The DC that found only the older VCC keeps it after a load.
  Kernel k;
  Run(k, kLan);
  Save(k, "lan", "lan.txt");
  Kernel loaded;
  Load(loaded, "lan.txt");
  for (const char* dc : {"d1", "d2"}) {
    Sstring before, after;
    k.FindNetwork("lan")->PeekData(dc, "NCI", before);
    loaded.FindNetwork("lan")->PeekData(dc, "NCI", after);
    EXPECT_EQ(before, after) << dc;
  }
}

TEST_F(SaveRoundTrip, UnusualNamesAndValuesSurvive) {
  CheckRoundTrip("a net",
                 "create network \"a net\"\n"
                 "create block \"a net\" \"# not a comment\" \"ATM Switch\" \"any type\"\n"
                 "create block \"a net\" \"create\" \"ATM B-TE\" te\n"
                 "connect block \"a net\" create \"# not a comment\" \"CB_PHYSICAL_LAYER\"\n"
                 "put parameter layer \"a net\" \"# not a comment\" ATM \"Slot time\" double 1 1 "
                 "3.0000000000000004e-06 \"\" SHOW\n"
                 "put parameter network \"a net\" \"  \" float 2 2 1e-45 3.4028235e38 -0 0.3 d o\n"
                 "put parameter network \"a net\" \"x\" string 3 1 \"\" \"a b\" \"c\" d o");
}

}  // namespace
