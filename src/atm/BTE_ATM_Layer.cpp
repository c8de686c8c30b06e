// BTE_ATM_Layer: cell labelling downwards, delay measurement and connection
// lookup upwards, the cell-delay logs; the shared input-label search.
#include "atm/BTE_ATM_Layer.h"
#include "atm/DelayLogParameters.h"

#include <climits>
#include <ostream>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/DatFormat.h"
#include "model/Block.h"

namespace atmcell {

int PeekInteger(const DataTable& table, const Sstring& key, const Sstring& name, long long& out) {
  const Scalar* s = table.Peek(key, name);
  if (!s) return 0;
  return std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_integral_v<T>) {
          out = static_cast<long long>(v);
          return 1;
        } else {
          return 0;
        }
      },
      *s);
}

const Sstring* InputLabelIndex::Find(const DataTable& table, int vpi, int vci) {
  if (!built_) {
    static const Sstring kVpi("Input VPI"), kVci("Input VCI");
    // Newest key first; emplace keeps the first key seen for a label pair.
    // Labels outside the int range can never equal a cell's.
    for (const Sstring& key : table.AllKeys()) {
      long long inVpi = 0, inVci = 0;
      if (PeekInteger(table, key, kVpi, inVpi) && PeekInteger(table, key, kVci, inVci) &&
          inVpi >= INT_MIN && inVpi <= INT_MAX && inVci >= INT_MIN && inVci <= INT_MAX)
        keys_.emplace(LabelKey(static_cast<int>(inVpi), static_cast<int>(inVci)), key);
    }
    built_ = true;
  }
  auto it = keys_.find(LabelKey(vpi, vci));
  return it == keys_.end() ? nullptr : &it->second;
}

}  // namespace atmcell

namespace {
// Queueing priority by service category, for CLP 0 and CLP 1. Any other or
// missing category is served last, as "UBR".
void PrioritiesOf(const Sstring& category, short (&priority)[2]) {
  struct Row {
    const char* category;
    short clp0, clp1;
  };
  static const Row kRows[] = {{"CBR", 1, 2}, {"rt-VBR", 3, 4}, {"nrt-VBR", 5, 6}, {"UBR", 7, 8}};
  priority[0] = 7;
  priority[1] = 8;
  for (const Row& r : kRows)
    if (category == r.category) {
      priority[0] = r.clp0;
      priority[1] = r.clp1;
    }
}
}  // namespace

BTE_ATM_Layer::BTE_ATM_Layer(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block) {
  DeclareDelayLogParameters(*this);
}

int BTE_ATM_Layer::Start() {
  GetParam("Trigger by cell status", cellTrigger_);
  GetParam("Sample statistics status", sampleStatistics_);
  GetParam("Logging every x secs", loggingInterval_);
  cellOn_ = cellTrigger_ == "ON";
  statsOn_ = sampleStatistics_ == "ON";
  outgoing_.clear();
  upward_.clear();
  inputs_.Clear();
  if (!timer_.Start(loggingInterval_) && statsOn_)
    ReportNonsense(GetBlockName(), "layer", GetName(), "Logging every x secs",
                   "its log keeps only its first line in this run");

  if (cellOn_ && OpenShortNamedLog(cellLog_, "Ce")) WriteDatHeader(cellLog_, {"Time", "CellDelay"});
  if (statsOn_ && OpenShortNamedLog(statsLog_, "SS"))
    WriteDatHeader(statsLog_, {"Time", "SMCD", "SVCD"});
  if (cellOn_) WriteDatLine(cellLog_, {0.0, cellDelay_});
  if (statsOn_) ScheduleSelf(0.0, Word::LOG_SAMPLE_STATISTICS);
  return 1;
}

int BTE_ATM_Layer::HandleEvent(Event& e) {
  current_ = &e;
  if (e.type == Word::LOG_SAMPLE_STATISTICS) {
    WriteDatLine(statsLog_, {e.time, smcd_, svcd_});
    double next = 0;
    if (timer_.Next(e.time, next, GetBlockName(), "layer", GetName(), "SS"))
      ScheduleSelf(next, Word::LOG_SAMPLE_STATISTICS);
  } else if (e.type == Word::ATM_DATA_REQUEST) {
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
  if (cellLog_.is_open()) cellLog_.close();
  if (statsLog_.is_open()) statsLog_.close();
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
  cellDelay_ = e.time - cell.BirthTime();
  if (cellOn_) WriteDatLine(cellLog_, {e.time, cellDelay_});
  if (statsOn_) {
    delays_.AddSample(cellDelay_);
    delays_.GetMeanVariance(smcd_, svcd_);
  }
  const Upward& up = UpwardOf(cell.VPI(), cell.VCI());
  if (!up.found) return 0;
  const short pti = cell.PTI();
  ATM_Data data(cell.Payload(), cell.CLP(), pti == 2 || pti == 3 ? 1 : 0,
                pti == 1 || pti == 3 ? 1 : 0);
  ScheduleSibling(e.time, Word::ATM_DATA_INDICATION, up.aal, std::move(data), up.dci);
  return 1;
}

const BTE_ATM_Layer::Outgoing& BTE_ATM_Layer::OutgoingOf(Name nci) {
  auto it = outgoing_.find(nci);
  if (it != outgoing_.end()) return it->second;
  const Block& block = GetBlock();
  const Sstring& key = nci.str();
  Outgoing out;
  long long vpi = 0, vci = 0;
  if (atmcell::PeekInteger(block, key, "Output VPI", vpi) &&
      atmcell::PeekInteger(block, key, "Output VCI", vci)) {
    out.labelled = true;
    out.vpi = static_cast<int>(vpi);
    out.vci = static_cast<int>(vci);
  }
  Sstring category;
  block.PeekData(key, "Service categorie", category);
  PrioritiesOf(category, out.priority);
  return outgoing_.emplace(nci, out).first->second;
}

// Cell labels -> connection (input labels) -> data connection holding that
// "NCI" -> its "AAL Layer".
const BTE_ATM_Layer::Upward& BTE_ATM_Layer::UpwardOf(int vpi, int vci) {
  const uint64_t label = atmcell::LabelKey(vpi, vci);
  auto it = upward_.find(label);
  if (it != upward_.end()) return it->second;
  const Block& block = GetBlock();
  Upward up;
  Sstring dci, aal;
  if (const Sstring* vcc = inputs_.Find(block, vpi, vci))
    if (block.FindKey(Sstring("NCI"), *vcc, dci) && block.PeekData(dci, "AAL Layer", aal)) {
      up.found = true;
      up.dci = Name(dci);
      up.aal = Name(aal);
    }
  return upward_.emplace(label, up).first->second;
}
