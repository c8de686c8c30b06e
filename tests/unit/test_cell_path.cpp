// Tests of the cell path through a network: AAL5 segmentation and reassembly,
// the terminal ATM layer, the cell-based physical layer's slot plan and the
// switch ATM layer's translation and per-port fabric plan.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestNetwork.h"
#include "atm/AAL5_Layer.h"
#include "platform/Console.h"

namespace {

const double T = 424.0 / 155520000.0;       // cell time at the default bit rate
const double S = 0.00000272633744856;       // default fabric slot

Cell UserCell(short priority, int vpi, int vci, int pti = 0, double birth = 0) {
  return Cell(birth, priority, 0, vpi, vci, pti, 0, 0, std::make_shared<CPCS_PDU>());
}

// A network of terminals (names starting with T) and a switch S writing into
// a fresh directory; executes queued events in order as the kernel does.
struct Bench : TestNetwork {
  std::vector<Event> seen;
  Bench(std::initializer_list<std::pair<const char*, const char*>> wires, const char* alone = "") {
    if (*alone) n->CreateBlock(alone, "ATM B-TE", "x");
    for (auto [a, b] : wires)
      for (const char* name : {a, b})
        n->CreateBlock(name, name[0] == 'S' ? "ATM Switch" : "ATM B-TE", "x");
    for (auto [a, b] : wires) n->ConnectBlock(a, b, "CB_PHYSICAL_LAYER");
  }
  void Start() {
    n->PrepareRun();
    n->StartAll();
  }
  template <class R>
  void Post(double t, Name type, const char* block, const char* layer, R record,
            Name connection = Word::UNNECESSARY) {
    Event e;
    e.time = t;
    e.type = type;
    e.sourceBlock = e.destinationBlock = Name(block);
    e.sourceLayer = e.destinationLayer = Name(layer);
    e.connection = connection;
    e.Set(std::move(record));
    k.Queue().Add(std::move(e));
  }
  // Runs the events up to `until`, keeping copies; time never runs backwards.
  void Drain(double until = 1.0) {
    for (Event e; k.Queue().First() && k.Queue().First()->time <= until;) {
      k.Queue().RemoveFirst(e);
      EXPECT_TRUE(seen.empty() || e.time >= seen.back().time) << e.type << ' ' << e.time;
      seen.push_back(e);
      if (Block* b = n->FindBlock(e.destinationBlock.str())) b->RouteEvent(e);
    }
  }
  std::vector<Event*> Only(Word type, const char* block = nullptr, const char* layer = nullptr,
                           const char* connection = nullptr) {
    std::vector<Event*> out;
    for (Event& e : seen)
      if (e.type == type && (!block || e.destinationBlock == Name(block)) &&
          (!layer || e.destinationLayer == Name(layer)) &&
          (!connection || e.connection == Name(connection)))
        out.push_back(&e);
    return out;
  }
  std::vector<double> Times(Word type, const char* block = nullptr, const char* layer = nullptr,
                            const char* connection = nullptr) {
    std::vector<double> t;
    for (Event* e : Only(type, block, layer, connection)) t.push_back(e->time);
    return t;
  }
};

// T1 - S - T2 and S - T3. VCC V1 runs T1 -> S -> T2 (labels 1/100, 2/200),
// V2 runs T1 -> S -> T3 (1/101, 3/300); data connection D1 uses V1 to A2.
void Lay(Bench& b) {
  const char* hops[][3] = {{"V1", "T2", "CBR"}, {"V2", "T3", "UBR"}};
  for (int i = 0; i < 2; ++i) {
    const char* v = hops[i][0];
    b.n->CreateVcc(v, hops[i][2], 1e9, "T1");
    b.n->ConnectVccBlock(v, "S", "T1");
    b.n->ConnectVccBlock(v, hops[i][1], "S");
    b.n->CreateLink(v, "T1", "S", 1, 100 + i);
    b.n->CreateLink(v, "S", hops[i][1], 2 + i, 200 + 100 * i);
  }
  b.B("T1").PutData("D1", "NCI", "V1");
  for (const char* name : {"NCI", "AAL Layer", "End application name"})
    b.B("T2").PutData("D1", name, name[0] == 'N' ? "V1" : name[0] == 'A' ? "AAL5" : "A2");
}

}  // namespace

TEST(AAL5, SegmentsAndReassembles) {
  for (auto [length, pad, cells] : {std::tuple{40u, 0u, 1u},
                                    {41u, 47u, 2u},
                                    {48u, 40u, 2u},
                                    {88u, 0u, 2u},
                                    {1500u, 28u, 32u},
                                    {0u, 40u, 1u}}) {
    SCOPED_TRACE(length);
    Bench b({}, "T1");
    b.B("T1").PutData("D1", "NCI", "V1");
    b.B("T1").PutData("D1", "End application name", "A2");
    b.Start();
    auto sdu = std::make_shared<UserSDU>(0.0, Name("pkt"), length + 0.75);
    std::weak_ptr<UserSDU> watch = sdu;
    b.Post(1.0, Word::CPCS_UNITDATA_INVOKE, "T1", "AAL5",
           CPCS_UnitData(std::move(sdu), 0, 0, 0, 5, 0), Name("D1"));
    b.Drain(2.0);  // T1's ATM layer has no labels for V1: the cells stop there
    const auto requests = b.Only(Word::ATM_DATA_REQUEST, "T1", "ATM", "V1");
    ASSERT_EQ(requests.size(), cells);
    double t = 1.0;
    for (size_t i = 0; i < cells; ++i) {
      const ATM_Data& d = *requests[i]->Get<ATM_Data>();
      EXPECT_EQ(requests[i]->time, t = t + 0.000000001);
      EXPECT_EQ(d.uu, i + 1 == cells ? 1 : 0);
      EXPECT_EQ(d.data, requests[0]->Get<ATM_Data>()->data);  // one PDU per packet
      EXPECT_EQ(d.data->pad, static_cast<short>(pad));
      // Back up on D1, the first cell with loss priority 1.
      b.Post(3.0, Word::ATM_DATA_INDICATION, "T1", "AAL5", ATM_Data(d.data, i == 0, 0, d.uu),
             Name("D1"));
    }
    b.Drain(3.0);
    const auto signals = b.Only(Word::CPCS_UNITDATA_SIGNAL, "A2", "TR", "D1");
    ASSERT_EQ(signals.size(), length > 0 ? 1u : 0u);  // an empty packet is not delivered
    for (Event* e : signals) {
      const CPCS_UnitData& u = *e->Get<CPCS_UnitData>();
      EXPECT_EQ(std::tuple(u.data, u.lossPriority, u.uu), std::tuple(watch.lock(), 1, 5));
    }
    b.seen.clear();
    EXPECT_TRUE(watch.expired());
  }

  // Each connection keeps its own flag; one whose last cell was lost carries
  // it into its next packet, and a delivered packet clears it.
  Bench b({}, "T1");
  for (const char* dci : {"D1", "D2"}) b.B("T1").PutData(dci, "End application name", "A2");
  auto pdu = std::make_shared<CPCS_PDU>(std::make_shared<UserSDU>(), 28, 0, 0, 60, 0);
  for (auto [dci, clp, last] :
       {std::tuple{"D1", 1, 0}, {"D2", 0, 0}, {"D2", 0, 1}, {"D1", 0, 0}, {"D1", 0, 1}, {"D1", 0, 1}})
    b.Post(1.0, Word::ATM_DATA_INDICATION, "T1", "AAL5", ATM_Data(pdu, clp, 0, last), Name(dci));
  b.Drain();
  const auto signals = b.Only(Word::CPCS_UNITDATA_SIGNAL);
  ASSERT_EQ(signals.size(), 3u);
  EXPECT_EQ(signals[0]->Get<CPCS_UnitData>()->lossPriority, 0);  // D2
  EXPECT_EQ(signals[1]->Get<CPCS_UnitData>()->lossPriority, 1);  // D1
  EXPECT_EQ(signals[2]->Get<CPCS_UnitData>()->lossPriority, 0);  // D1 again
}

TEST(BTE_ATM, LabelsPrioritiesAndReception) {
  Bench b({}, "BTE1");
  Block& t = b.B("BTE1");
  const char* categories[] = {"CBR", "rt-VBR", "nrt-VBR", "UBR", "ABR", nullptr};
  for (unsigned i = 0; i < 6; ++i) {
    Sstring nci = "C" + Sstring(std::to_string(i));
    t.PutData(nci, "Output VPI", 10u + i);
    t.PutData(nci, "Output VCI", 40000u);
    if (categories[i]) t.PutData(nci, "Service categorie", categories[i]);
    for (short clp : {0, 1})
      b.Post(0.5, Word::ATM_DATA_REQUEST, "BTE1", "ATM", ATM_Data(nullptr, clp, 1, 1), Name(nci));
  }
  b.Post(0.5, Word::ATM_DATA_REQUEST, "BTE1", "ATM", ATM_Data(), Name("unlabelled"));
  b.L("BTE1", "ATM").PutParam("Trigger by cell status", Sstring("ON"));
  b.Start();
  b.Drain(0.5);
  const auto cells = b.Only(Word::PHY_DATA_REQUEST, "BTE1", "PHY");
  ASSERT_EQ(cells.size(), 12u);
  const short expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 7, 8, 7, 8};
  for (int i = 0; i < 12; ++i) {
    const Cell& c = cells[i]->Get<PHY_Data>()->cell;  // priority, labels, PTI, CLP, birth
    EXPECT_EQ(std::tuple(c.Priority(), c.VPI(), c.VCI(), c.PTI(), c.CLP(), c.BirthTime()),
              std::tuple(expected[i], 10 + i / 2, 40000, short(3), short(i % 2), 0.5));
  }

  // Reception: labels 7/77 -> VCC V9 -> data connection D9 -> its AAL layer.
  t.PutData("V9", "Input VPI", 7u);
  t.PutData("V9", "Input VCI", 77u);
  t.PutData("D9", "NCI", "V9");
  t.PutData("D9", "AAL Layer", "AAL5");
  for (auto [pti, vci] : {std::pair{4, 77}, {5, 77}, {0, 3}, {0, 4}, {0, 6}, {0, 1}, {3, 77}})
    b.Post(2.0, Word::PHY_DATA_INDICATION, "BTE1", "ATM", PHY_Data(UserCell(1, 7, vci, pti, 1.5)));
  b.Post(2.0, Word::PHY_DATA_INDICATION, "BTE1", "ATM", PHY_Data(UserCell(1, 7, 78, 0, 1.75)));
  b.Start();
  b.Drain(2.0);
  const auto up = b.Only(Word::ATM_DATA_INDICATION, "BTE1", "AAL5", "D9");
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0]->Get<ATM_Data>()->congestion + 2 * up[0]->Get<ATM_Data>()->uu, 3);
  EXPECT_FALSE(t.HasKey("unlabelled"));  // searches add no keys
  b.L("BTE1", "ATM").End();
  std::stringstream log;
  log << std::ifstream(b.dir / "B1_AM_Ce.dat").rdbuf();
  // Management cells are not measured; the unknown labels' cell is.
  EXPECT_EQ(
      log.str(),
      "Time CellDelay\n0                     0                    \n"
      "2                     0.5                  \n2                     0.25                 \n");
}

TEST(CBPHY, PhysicalLayerCells) {
  Bench b({{"T1", "T2"}});
  b.L("T1", "PHY").PutParam("OAM transmition status", Sstring("ON"));
  b.Start();
  b.Post(30 * T, Word::PHY_DATA_REQUEST, "T1", "PHY", PHY_Data(UserCell(1, 0, 0)));
  b.Drain((40 * 26 + 10) * T);
  const auto loops = b.Times(Word::PLCELL_LOOP);
  ASSERT_EQ(loops.size(), 40u);
  EXPECT_EQ(loops[2], (3 * 26) * T);
  std::vector<int> oam;
  const auto inserted = b.Only(Word::INSERT_PLCELL);
  for (size_t i = 0; i < inserted.size(); ++i)
    if (inserted[i]->Get<Cell>()->PTI() == 4) oam.push_back(static_cast<int>(i) + 1);
  EXPECT_EQ(oam, (std::vector<int>{20, 40}));
  // Every inserted cell is sent; the peer drops the idle (0/0/0/1) and OAM
  // (0/0/4/1) cells and passes the user cell (0/0/0/0) up.
  EXPECT_EQ(b.Only(Word::RECEIVE_CELL, "T2").size(), 41u);
  EXPECT_EQ(b.Only(Word::PHY_DATA_INDICATION, "T2").size(), 1u);
}

// A parameter that makes the cell time, the link delay or the packetization
// delay anything but a finite time (a subnormal bit rate makes an infinite
// cell time) is reported at the start and the layer stays silent: the event
// addressed to it is the only one.
TEST(CellPath, NonFiniteTimesSilenceTheLayer) {
  const struct {
    const char* layer;
    const char* parameter;
    double value;
    bool isFloat;
  } cases[] = {
      {"PHY", "Bit rate", 0, false},           {"PHY", "Bit rate", 1e-310, false},
      {"PHY", "Bit rate", INFINITY, false},    {"PHY", "Distance", INFINITY, true},
      {"PHY", "Propagation speed", 1e-45, true}, {"AAL5", "Cell packetization delay", -1, false},
      {"AAL5", "Cell packetization delay", -1e308, false},
      {"AAL5", "Cell packetization delay", NAN, false},
  };
  platform::CapturedOutput console;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.parameter) + " " + std::to_string(c.value));
    Bench bad({{"T1", "T2"}});
    if (c.isFloat) bad.L("T1", c.layer).PutParam(c.parameter, static_cast<float>(c.value));
    else bad.L("T1", c.layer).PutParam(c.parameter, c.value);
    bad.Start();
    EXPECT_NE(console.Take().find('"' + std::string(c.parameter) + "\" makes no sense"),
              std::string::npos);
    if (c.layer == std::string("PHY"))
      bad.Post(0, Word::PHY_DATA_REQUEST, "T1", "PHY", PHY_Data(UserCell(1, 5, 50)));
    else
      bad.Post(0, Word::CPCS_UNITDATA_INVOKE, "T1", "AAL5",
               CPCS_UnitData(std::make_shared<UserSDU>(0.0, Name("p"), 40.0), 0, 0, 0, 0, 0));
    bad.Drain();
    EXPECT_EQ(bad.seen.size(), 1u);
    EXPECT_EQ(bad.Q("T1", "PHY_QS").Arrived(), 0u);
  }
  // The AAL5 length field has 16 bits: a longer SDU is dropped.
  Bench b({}, "T1");
  b.Start();
  for (double length : {65535.0, 65536.0})
    b.Post(0, Word::CPCS_UNITDATA_INVOKE, "T1", "AAL5",
           CPCS_UnitData(std::make_shared<UserSDU>(0.0, Name("p"), length), 0, 0, 0, 0, 0));
  b.Drain();
  EXPECT_EQ(b.Only(Word::ATM_DATA_REQUEST).size(), 1366u);
}

TEST(SwitchATM, TranslationAndPerPortFabricPlan) {
  Bench b({{"T1", "S"}, {"S", "T2"}, {"S", "T3"}});
  Lay(b);
  b.Start();
  // Three cells for V1 (out on PHY_1), one for V2 (PHY_2), one more for V1.
  for (auto [priority, vci] : {std::pair{7, 100}, {1, 100}, {5, 100}, {4, 101}, {6, 100}})
    b.Post(0, Word::PHY_DATA_INDICATION, "S", "ATM", PHY_Data(UserCell(priority, 1, vci)));
  b.Drain(10 * S);
  EXPECT_EQ(b.Times(Word::ATM_SEND_CELL, "S", "ATM", "PHY_1"),
            (std::vector<double>{0, S, S + S, S + S + S, S + S + S + S}));  // one per slot
  std::vector<std::tuple<double, short, int, int>> out;  // time, priority, new labels
  for (Event* e : b.Only(Word::PHY_DATA_REQUEST, "S")) {
    const Cell& c = e->Get<PHY_Data>()->cell;
    out.emplace_back(e->time, c.Priority(), c.VPI(), c.VCI());
  }
  const double S2 = S + S, S3 = S2 + S, S4 = S3 + S;
  EXPECT_EQ(
      out, (std::vector<std::tuple<double, short, int, int>>{
               {S, 1, 2, 200}, {S, 4, 3, 300}, {S2, 5, 2, 200}, {S3, 6, 2, 200}, {S4, 7, 2, 200}}));
  EXPECT_EQ(b.Only(Word::PHY_DATA_INDICATION, "T3").size(), 1u);
  EXPECT_EQ(b.Q("S", "ATM_QS_1").Arrived(), 4u);

  // Management cells and unknown labels go no further.
  b.seen.clear();
  b.Post(1, Word::PHY_DATA_INDICATION, "S", "ATM", PHY_Data(UserCell(1, 1, 100, 5)));
  b.Post(1, Word::PHY_DATA_INDICATION, "S", "ATM", PHY_Data(UserCell(1, 9, 9)));
  b.Drain(1);
  EXPECT_EQ(b.seen.size(), 2u);
  EXPECT_EQ(b.Q("S", "ATM_QS_1").Arrived(), 4u);
}
