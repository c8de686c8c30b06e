// save followed by load rebuilds the same network: the same commands, the
// same parameter values to the last bit, every DC on the VCC it had.
#include <gtest/gtest.h>

#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "atm/Application.h"
#include "atm/QueueingSystem.h"
#include "atm/TrafficSource.h"
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

  // Every parameter of every object, written exactly, the tables' entries,
  // and what orders a run: blocks, layers, queues, peers and connections in
  // their order, the paths queues and sources keep, the sources' streams.
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
    net.ForEachBlock([&](const Block& b) {
      s << "block " << b.GetName() << " peers " << net.HasNeighbours(b.GetName()) << ':';
      if (const auto* peers = net.Neighbours(b.GetName()))
        for (const Block* p : *peers) s << ' ' << p->GetName();
      std::vector<Sstring> names;
      b.ListLayers(names);
      for (const auto& n : names) {
        const Layer* l = b.FindLayer(n);
        s << "\n  layer " << n << ' ' << l->GetType();
        if (const auto* source = dynamic_cast<const TrafficSource*>(l))
          s << " made in " << source->MadeWithPath();
      }
      names.clear();
      b.ListQSs(names);
      for (const auto& n : names) s << "\n  queue " << n << " in " << FindQueueingSystem(b, n)->OutputPath();
      if (const auto* app = dynamic_cast<const Application*>(&b))
        s << "\n  stream " << app->SourceStream();
      s << '\n';
    });
    for (const auto& [a, b] : net.ConnectionOrder()) s << "connection " << a << ' ' << b << '\n';
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

  // Lines starting with "!" are edits that must be refused; "@" stands for
  // the scratch folder.
  void Build(Kernel& k, const std::string& script) {
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
      bool refused = line[0] == '!';
      for (size_t at; (at = line.find('@')) != std::string::npos;)
        line.replace(at, 1, dir_.string());
      ASSERT_EQ(ExecuteLine(k, line.c_str() + refused), refused ? 0 : 1)
          << line << captured_.Take();
    }
  }
  // The files of a run of n, by name (wall-clock files left out).
  std::map<std::string, std::string> RunFiles(Kernel& k) {
    fs::remove_all(dir_ / "out");
    k.Run("n", 0.0004);
    captured_.Take();
    std::map<std::string, std::string> files;
    for (const auto& f : fs::recursive_directory_iterator(dir_ / "out"))
      if (f.is_regular_file() && f.path().string().find("_end.dat") == std::string::npos)
        files[f.path().string()] = Slurp(f.path());
    return files;
  }
  // The saved script loads into a fresh kernel, saves the same and rebuilds
  // the same network; with `run`, both then write the same files.
  void Check(const char* name, const std::string& script, bool run, const std::string& net = "n") {
    SCOPED_TRACE(name);
    Kernel original;
    original.SetBaseSeed(7);
    Build(original, script);
    std::string first = Save(original, net, "first.txt");
    Kernel loaded;
    loaded.SetBaseSeed(7);
    Load(loaded, "first.txt");
    ASSERT_TRUE(loaded.FindNetwork(net));
    EXPECT_EQ(Save(loaded, net, "second.txt"), first);
    EXPECT_EQ(Snapshot(*original.FindNetwork(net)), Snapshot(*loaded.FindNetwork(net)));
    if (!run) return;
    std::map<std::string, std::string> before = RunFiles(original), after = RunFiles(loaded);
    EXPECT_GE(before.size(), 2u);  // the event log and more
    EXPECT_EQ(before, after);
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
  Check("lan", kLan, false, "lan");
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
  Check("unusual names",
        "create network \"a net\"\n"
        "create block \"a net\" \"# not a comment\" \"ATM Switch\" \"any type\"\n"
        "create block \"a net\" \"create\" \"ATM B-TE\" te\n"
        "connect block \"a net\" create \"# not a comment\" \"CB_PHYSICAL_LAYER\"\n"
        "put parameter layer \"a net\" \"# not a comment\" ATM \"Slot time\" double 1 1 "
        "3.0000000000000004e-06 \"\" SHOW\n"
        "put parameter network \"a net\" \"  \" float 2 2 1e-45 3.4028235e38 -0 0.3 d o\n"
        "put parameter network \"a net\" \"x\" string 3 1 \"\" \"a b\" \"c\" d o\n"
        // Texts holding a quote, and rows and texts that begin with "#".
        "create block \"a net\" b\"q \"ATM B-TE\" te\n"
        "connect block \"a net\" b\"q \"# not a comment\" CB_PHYSICAL_LAYER\n"
        "put parameter layer \"a net\" b\"q ATM k\"1 string 2 1 v\"1 #\"2 de\"sc #o\"pt\n"
        "put parameter layer \"a net\" b\"q ATM c \"unsigned char\" 2 2 # a b # \"\" \"\"\n"
        "put data block \"a net\" b\"q k\"2 n\"2 string v\"2",
        false, "a net");
}

}  // namespace

// Networks that edits made unlike the saved layout's order of commands. Each
// saved script loads without a failing command into a fresh kernel, saves
// the same, and rebuilds the same network; the "run" ones then write the
// same files, byte for byte, as the network they were saved from.
using EditedNetworks = SaveRoundTrip;

// Three terminals on a switch, an application on each.
const char* const kStar = R"--(create network n
put parameter network n "Path" string 1 1 "@/out/" "Path" SHOW
put parameter network n "Simulation log status" string 1 1 ON "" SHOW
put parameter network n "Performance log status" string 1 1 OFF "" SHOW
create block n T1 "ATM B-TE" te
create block n S "ATM Switch" sw
create block n T2 "ATM B-TE" te
create block n T3 "ATM B-TE" te
create block n A1 "ATM Generic Application" app
create block n A2 "ATM Generic Application" app
create block n A3 "ATM Generic Application" app
connect block n T1 S CB_PHYSICAL_LAYER
connect block n T2 S CB_PHYSICAL_LAYER
connect block n T3 S CB_PHYSICAL_LAYER
connect block n A1 T1 x
connect block n A2 T2 x
connect block n A3 T3 x
put parameter layer n A1 CBR_TS "Number of bytes to be sent" double 1 1 960 "" SHOW
put parameter layer n A3 TR "Trigger by cell status" string 1 1 ON "" SHOW
)--";
// A CBR VCC from T1 through S to T3 and a DC from A1 to A3 over it.
const char* const kT1ToT3 = R"--(create vcc n v CBR 1e9 T1
connect vcc block n v S T1
connect vcc block n v T3 S
create link n v T1 S 1 10
create link n v S T3 2 20
create dc n d A1 A3
)--";

TEST_F(EditedNetworks, ReloadTheSame) {
  // A: port 1 freed by a disconnection, then taken by a new peer T4, and
  // T3 keeps port 2; A2 keeps an empty list of peers.
  Check("freed switch port", std::string(kStar) + kT1ToT3 + R"--(disconnect block n T2
create block n T4 "ATM B-TE" te
connect block n S T4 CB_PHYSICAL_LAYER
put parameter layer n S PHY_2 "Distance" float 1 1 1234.5 "Distance (m)" SHOW
put parameter QS n S ATM_QS_1 "Trigger by time status" string 1 1 ON "" SHOW
put parameter QS n S ATM_QS_2 "Trigger by cell status" string 1 1 ON "" SHOW)--",
        true);
  // B: limits lowered below the peers already connected.
  Check("lowered limits", std::string(kStar) + R"--(put parameter block n S "Number of ports" "short int" 1 1 1 "" SHOW
put parameter block n T1 "Number of applications" "short int" 1 1 0 "" SHOW)--",
        false);
  // C: another source chosen after connecting; the old one keeps its
  // settings, and the DC made over it stays.
  Check("traffic source changed", std::string(kStar) + kT1ToT3 + R"--(put parameter block n A1 "Traffic source" string 1 1 VBR_BATCH "" SHOW
put parameter layer n A1 CBR_TS "Packet length" double 1 1 96 "" SHOW)--",
        true);
  // D: a path extended from a block that is not its last one.
  Check("vcc branch", std::string(kStar) + kT1ToT3 + "connect vcc block n v T2 S", false);
  // E: entries put and deleted by hand: a key with a "Status" that is no VCC,
  // a key left empty, entries of VCC, block and layer tables.
  Check("hand-made entries", std::string(kStar) + kT1ToT3 + R"--(put data network n k Status string EMPTY
put data network n k2 x int 5
del data network n k2 x
put data network n v Extra double 1.5
del data block n S v "Output VCI"
put data block n T1 junk "with blanks" string "a b"
put data layer n A1 TR k c complex (1.5, -2))--",
        false);
  // F: the category and bit rate of the source changed after its DC.
  Check("source changed after its dc", std::string(kStar) + kT1ToT3 + R"--(put parameter layer n A1 CBR_TS "Service categorie" string 1 1 UBR "" SHOW
put parameter layer n A1 CBR_TS "Bit rate" double 1 1 4e9 "" SHOW)--",
        false);
  // A DC whose application's "Traffic source" no longer names its source
  // (create dc would not remake it) before a later DC: the VCCs keep one
  // order from save to save.
  Check("source no longer named", std::string(kStar) + kT1ToT3 + R"--(create vcc n w CBR 1e9 T2
connect vcc block n w S T2
connect vcc block n w T3 S
create dc n d2 A2 A3
put parameter block n A1 "Traffic source" string 0 3 "" SHOW)--",
        false);
  // G: default parameters deleted.
  Check("deleted defaults", std::string(kStar) + R"--(del parameter network n "Performance log status"
del parameter block n A2 "Traffic source"
del parameter QS n T1 PHY_QS "Buffer size"
del parameter layer n A1 CBR_TS "Packet name")--",
        false);
  // VBR sources draw the streams they drew although other sources drew some
  // before them; queues and sources made before "Path" changed keep writing
  // where they were made to.
  Check("streams and paths", R"--(create network m
create block m X "ATM Generic Application" app
create block m TX "ATM B-TE" te
put parameter block m X "Traffic source" string 1 1 VBR_BATCH "" SHOW
connect block m X TX x
)--" + std::string(kStar) + R"--(put parameter block n A1 "Traffic source" string 1 1 VBR_BATCH "" SHOW
disconnect block n A1
connect block n A1 T1 x
put parameter layer n A1 VBR_BATCH_TS "Mean number of ATM cells" double 1 1 4 "" SHOW
put parameter layer n A1 VBR_BATCH_TS "Mean interval between batches" double 1 1 0.00002 "" SHOW
put parameter layer n A1 VBR_BATCH_TS "Log packet time status" string 1 1 ON "" SHOW
put parameter layer n A1 VBR_BATCH_TS "Service categorie" string 1 1 CBR "" SHOW
)--" + kT1ToT3 + R"--(put parameter network n "Path" string 1 1 "@/out/late_" "Path" SHOW
put parameter QS n S ATM_QS_2 "Sample statistics status" string 1 1 ON "" SHOW)--",
        true);
  // A refused second wiring, a switch wired to itself, removals.
  Check("removals and loops", std::string(kStar) + kT1ToT3 + R"--(!connect block n S T1 CB_PHYSICAL_LAYER
disconnect block n T2
connect block n S S CB_PHYSICAL_LAYER
create vcc n w CBR 1e6 T3
connect vcc block n w S T3
create link n w T3 S 4 4
remove vcc n w
create vcc n x CBR 1e6 T3
connect vcc block n x S T3
disconnect vcc block n x S T3
remove block n A2)--",
        true);
}
