// BTE_ATM_Layer: cell labelling downwards, delay measurement and connection
// lookup upwards.
#include "atm/BTE_ATM_Layer.h"

#include <utility>

#include "model/Block.h"
#include "model/DataKeys.h"


namespace {
// Queueing priority by service category, for CLP 0 and CLP 1. Any other or
// missing category is served last, as "UBR".
struct PriorityRow {
  const char* category;
  short clp0, clp1;
};
constexpr PriorityRow kRows[] = {{"CBR", 1, 2}, {"rt-VBR", 3, 4}, {"nrt-VBR", 5, 6}, {"UBR", 7, 8}};

void PrioritiesOf(const Sstring& category, short (&priority)[2]) {
  priority[0] = 7;
  priority[1] = 8;
  for (const PriorityRow& r : kRows)
    if (category == r.category) {
      priority[0] = r.clp0;
      priority[1] = r.clp1;
    }
}
}  // namespace

std::vector<std::string> BTE_ATM_Layer::Categories() {
  std::vector<std::string> names;
  for (const PriorityRow& r : kRows) names.push_back(r.category);
  return names;
}

BTE_ATM_Layer::BTE_ATM_Layer(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block) {
  DeclareParameters(*this, DelayLog::ParameterRows());
}

std::vector<ParameterInfo> BTE_ATM_Layer::DescribeParameters() {
  return ::DescribeParameters(DelayLog::ParameterRows());
}

int BTE_ATM_Layer::Start() {
  outgoing_.Clear();
  upward_.Clear();
  inputs_.Clear();
  delays_.Start(*this, "CellDelay", "SMCD", "SVCD");
  return 1;
}

int BTE_ATM_Layer::HandleEvent(Event& e) {
  if (delays_.Handle(*this, e)) return 0;
  if (e.type == Word::ATM_DATA_REQUEST) {
    if (ATM_Data* data = e.Get<ATM_Data>()) return SendDown(e, *data);
  } else if (e.type == Word::INSERT_ATMCELL) {
    if (Cell* cell = e.Get<Cell>()) {
      ScheduleSibling(e.time, Word::PHY_DATA_REQUEST, Word::PHY, PHY_Data(std::move(*cell)));
      return 1;
    }
  } else if (e.type == Word::PHY_DATA_INDICATION) {
    if (PHY_Data* phy = e.Get<PHY_Data>()) return PassUp(e, phy->cell);
  }
  return 0;
}

int BTE_ATM_Layer::End() {
  delays_.End();
  return 1;
}

// A user cell with the connection's output labels; none without them.
int BTE_ATM_Layer::SendDown(const Event& e, ATM_Data& data) {
  const Outgoing& out = OutgoingOf(e.connection);
  if (!out.labelled) return 0;
  const short clp = data.lossPriority;
  const int pti = 2 * data.congestion + data.uu;
  Cell cell(e.time, out.priority[clp != 0 ? 1 : 0], 0, out.vpi, out.vci, pti, clp, 0,
            std::move(data.data));
  ScheduleSibling(e.time, Word::PHY_DATA_REQUEST, Word::PHY, PHY_Data(std::move(cell)));
  return 1;
}

// Management cells are dropped unmeasured; user cells are timed and their
// payload goes to the AAL of the connection their labels name.
int BTE_ATM_Layer::PassUp(const Event& e, Cell& cell) {
  if (atmcell::IsManagementCell(cell)) return 1;
  delays_.Add(e.time, e.time - cell.BirthTime());
  const Upward& up = UpwardOf(cell.VPI(), cell.VCI());
  if (!up.found) return 0;
  const short pti = cell.PTI();
  ATM_Data data(cell.Payload(), cell.CLP(), pti == 2 || pti == 3 ? 1 : 0,
                pti == 1 || pti == 3 ? 1 : 0);
  ScheduleSibling(e.time, Word::ATM_DATA_INDICATION, up.aal, std::move(data), up.dci);
  return 1;
}

BTE_ATM_Layer::Outgoing BTE_ATM_Layer::ResolveOutgoing(Name nci) const {
  const Block& block = GetBlock();
  const Sstring& key = nci.str();
  Outgoing out;
  long long vpi = 0, vci = 0;
  if (atmcell::PeekInteger(block, key, datakey::kOutputVpi, vpi) &&
      atmcell::PeekInteger(block, key, datakey::kOutputVci, vci)) {
    out.labelled = true;
    out.vpi = static_cast<int>(vpi);
    out.vci = static_cast<int>(vci);
  }
  Sstring category;
  block.PeekData(key, datakey::kCategory, category);
  PrioritiesOf(category, out.priority);
  return out;
}

// Cell labels -> connection (input labels) -> data connection holding that
// "NCI" -> its "AAL Layer".
BTE_ATM_Layer::Upward BTE_ATM_Layer::ResolveUpward(int vpi, int vci) {
  const Block& block = GetBlock();
  Upward up;
  Sstring dci, aal;
  if (const Sstring* vcc = inputs_.Find(block, vpi, vci))
    if (block.FindKey(datakey::kNCI, *vcc, dci) && block.PeekData(dci, datakey::kAalLayer, aal)) {
      up.found = true;
      up.dci = Name(dci);
      up.aal = Name(aal);
    }
  return up;
}
