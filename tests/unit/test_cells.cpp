// Tests of the cell and primitive records, their prints and the cell priority
// queue (the ".dat" line format is pinned by the end-to-end cases' run files).
#include <gtest/gtest.h>

#include <iomanip>
#include <iostream>
#include <sstream>

#include "core/Cell.h"
#include "core/CellPriorityQueue.h"
#include "core/Primitives.h"

namespace {

// Prints a record to a string stream while capturing standard output.
template <class T>
std::pair<std::string, std::string> Print(const T& record, std::ostringstream& out) {
  std::ostringstream console;
  std::streambuf* saved = std::cout.rdbuf(console.rdbuf());
  out << record;
  std::cout.rdbuf(saved);
  return {console.str(), out.str()};
}

std::string Address(const void* p) {
  std::ostringstream s;
  s << p;
  return s.str();
}

}  // namespace

TEST(Cell, PrintLayouts) {
  std::ostringstream uniOut;
  uniOut << std::setprecision(16) << std::left;  // a ".dat"-like stream state
  const auto uni = Print(Cell(1.0 / 3, 5, 2, 65535, 40000, 1, 0, 7), uniOut);
  EXPECT_EQ(uni.first, "ATM Cell\n");
  EXPECT_EQ(uni.second,
            "Birth time:0.333333\nPriority:5\nType:\"UNI\"\nGFC:2\nVPI:65535\nVCI:40000\n"
            "PTI:1\nCLP:0\nHEC:7\nPayload Type:\"EMPTY_CELL\"\n");

  auto pdu = std::make_shared<CPCS_PDU>(nullptr, 0, 0, 0, 40, 0);
  const Cell nni(2.5, 3, 12, 34, 2, 1, 0, pdu);
  EXPECT_EQ(nni.GFC(), -1);
  std::ostringstream nniOut;
  const auto n = Print(nni, nniOut);
  EXPECT_EQ(n.first, "ATM Cell\n");
  EXPECT_EQ(n.second,
            "Prioridade:3\nTipo:\"NNI\"\nVPI:12\nVCI:34\nPTI:2\nCLP:1\nHEC:0\n"
            "Payload Type:\"USER_CELL\"\n");

  std::ostringstream phyOut;
  const auto phy = Print(PHY_Data(nni), phyOut);
  EXPECT_EQ(phy.first, "PHY Data Primitive\nATM Cell\n");
  EXPECT_EQ(phy.second, "PHY_Data_Interface_Data:\n" + n.second + "\n");

  std::ostringstream atmOut;
  const auto atm = Print(ATM_Data(pdu, 1, 0, 1), atmOut);
  EXPECT_EQ(atm.first, "ATM-Data Primitive\n");
  EXPECT_EQ(atm.second, "Interface Data:" + Address(pdu.get()) +
                            "\nSubmited Loss Priority:1\nCongestion Indication:0\n"
                            "ATM user-to-ATM user Indication:1\n\n");

  std::ostringstream cpcsOut;
  auto sdu = std::make_shared<UserSDU>(0.25, Name("pkt"), 40.0);
  const auto cpcs = Print(CPCS_UnitData(sdu, 0, 1, 0, 2, 0), cpcsOut);
  EXPECT_EQ(cpcs.second,
            "More:0\nCPCS Loss Priority:1\nCPCS Congestion Indication:0\n"
            "CPCS User-to-user Indication:2\nReception Status:0\n\n");

  std::ostringstream sduOut;
  EXPECT_EQ(Print(*sdu, sduOut).second, "Birth Time:0.25\nName:\"pkt\"\nLength:40\n");
}

TEST(Cell, PayloadAndReinitialisation) {
  auto pdu = std::make_shared<CPCS_PDU>();
  Cell c(0.0, 1, 0, 1, 2, 0, 0, 0);
  c.SetPayload(pdu);
  EXPECT_EQ(c.Payload(), nullptr);  // an EMPTY_CELL carries nothing

  c.SetUNIUserCell(1.0, 2, 0, 7, 8, 0, 0, 0, pdu);
  EXPECT_EQ(c.Payload(), pdu);
  EXPECT_EQ(c.InterfaceType(), Word::UNI);

  c.SetNNIEmptyCell(2.0, 3, 9, 10, 0, 1, 0);
  EXPECT_EQ(c.InterfaceType(), Word::NNI);
  EXPECT_EQ(c.GFC(), -1);
  EXPECT_EQ(c.Payload(), nullptr);
  EXPECT_EQ(pdu.use_count(), 1);  // the re-initialised cell let go of it
}

// 100000 fully tied cells must neither overflow the stack nor lose a cell,
// and the cells left in the queue release their payloads with it.
TEST(CellPriorityQueue, LongRuns) {
  Cell c;
  auto pdu = std::make_shared<CPCS_PDU>();
  {
    CellPriorityQueue big;
    for (int i = 0; i < 100000; ++i) big.Insert(Cell(0.0, 1, 0, 0, 0, 0, 0, 0, pdu));
    EXPECT_EQ(big.Size(), 100000u);
    int popped = 0;
    while (popped < 60000 && big.Pop(c)) ++popped;
    EXPECT_EQ(popped, 60000);
    EXPECT_EQ(big.Size(), 40000u);
  }
  c = Cell();
  EXPECT_EQ(pdu.use_count(), 1);
}
