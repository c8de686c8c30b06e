// CBPHY_Layer: the transmission slot plan, link delivery, reception filter
// and the physical-layer cell loop.
#include "atm/CBPHY_Layer.h"

#include <cmath>
#include <utility>

#include "atm/QueueingSystem.h"
#include "model/Block.h"
#include "model/DataKeys.h"
#include "model/RunFiles.h"

namespace {
constexpr double kCellBits = 424.0;       // 53 bytes
constexpr unsigned kLoopCells = 26;       // cell times between physical-layer cells
constexpr unsigned kOamEvery = 20;        // every 20th of them is an OAM cell
constexpr int kOamPti = 4, kIdlePti = 0;  // both with VPI 0, VCI 0, CLP 1

bool IsPhysicalLayerCell(const Cell& c) {
  return c.VPI() == 0 && c.VCI() == 0 && c.CLP() == 1 &&
         (c.PTI() == kOamPti || c.PTI() == kIdlePti);
}
}  // namespace

const ParamTable<CBPHY_Layer>& CBPHY_Layer::ParameterRows() {
  static const ParamTable<CBPHY_Layer> rows = {
      {"Bit rate", 155520000.0, "Bit rate (bps)", &CBPHY_Layer::bitRate_},
      {"Signal type", "155.52 Mbps OC-3", "Signal type"},
      {"Distance", 10.0f, "Distance (m)", &CBPHY_Layer::distance_},
      {"Propagation speed", 300000000.0f, "Propagation speed (m/s)", &CBPHY_Layer::speed_},
      {"OAM transmition status", "OFF", "OAM transmition status", &CBPHY_Layer::oamStatus_},
  };
  return rows;
}

std::vector<ParameterInfo> CBPHY_Layer::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

CBPHY_Layer::CBPHY_Layer(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block),
      cellTime_(kCellBits / bitRate_),
      propagationDelay_(distance_ / speed_) {
  DeclareParameters(*this, ParameterRows());
}

int CBPHY_Layer::Start() {
  LoadParameters(*this, ParameterRows());
  resolved_ = false;
  silent_ = true;
  // The cell time and the link delay must be finite positive (the delay
  // also zero) times: a subnormal bit rate makes an infinite cell time, an
  // infinite one a zero cell time, and slot planning then yields NaN. With
  // physical-layer cells on, the layer repeats its cell loop every 26 cell
  // times for the whole run.
  const double cellTime = kCellBits / bitRate_;
  const float delay = distance_ / speed_;
  if (!(bitRate_ > 0) || !std::isfinite(cellTime) || !(cellTime > 0) ||
      (oamStatus_ == "ON" && !UsablePeriod(0.0, kLoopCells * cellTime))) {
    ReportBadParameter("Bit rate");
  } else if (!(distance_ >= 0) || !std::isfinite(distance_)) {
    ReportBadParameter("Distance");
  } else if (!(speed_ > 0) || !std::isfinite(speed_) || !std::isfinite(delay)) {
    ReportBadParameter("Propagation speed");
  } else {
    silent_ = false;
  }
  if (silent_) return 0;
  propagationDelay_ = delay;
  cellTime_ = cellTime;
  if (oamStatus_ == "ON") {
    physicalCells_ = 1;
    ScheduleSelf(kLoopCells * cellTime_, Word::PLCELL_LOOP);
  }
  return 1;
}

int CBPHY_Layer::HandleEvent(Event& e) {
  if (silent_) return 0;
  if (e.type == Word::PHY_DATA_REQUEST) {
    if (PHY_Data* data = e.Get<PHY_Data>()) {
      Enqueue(data->cell, e.time);
      return 1;
    }
  } else if (e.type == Word::PHY_SEND_CELL) {
    SendCell(e.time);
  } else if (e.type == Word::RECEIVE_CELL) {
    if (Cell* cell = e.Get<Cell>()) Receive(e.time, *cell);
  } else if (e.type == Word::INSERT_PLCELL) {
    if (Cell* cell = e.Get<Cell>()) Enqueue(*cell, e.time);
  } else if (e.type == Word::PLCELL_LOOP) {
    LoopPhysicalCell(e.time);
  }
  return 0;
}

// Cells leave at consecutive cell-time slots; a discarded cell is dropped
// with the event.
void CBPHY_Layer::Enqueue(Cell& cell, double t) {
  Resolve();
  if (!queue_ || !queue_->InsertCell(cell, t)) return;
  plan_.CellQueued(queue_->InSystem() == 1, t, cellTime_,
                   [&](double at) { ScheduleSelf(at, Word::PHY_SEND_CELL); });
}

// The cell leaving the server reaches the peer after the propagation delay;
// without a peer it is dropped.
void CBPHY_Layer::SendCell(double t) {
  Resolve();
  Cell cell;
  if (!queue_ || !queue_->ServeCell(cell, t) || !hasPeer_) return;
  ScheduleTo(t + static_cast<double>(propagationDelay_), Word::RECEIVE_CELL, peer_, Word::UNKNOW,
             std::move(cell));
}

void CBPHY_Layer::Receive(double t, Cell& cell) {
  if (IsPhysicalLayerCell(cell)) return;
  ScheduleSibling(t, Word::PHY_DATA_INDICATION, Word::ATM, PHY_Data(std::move(cell)));
}

// Every 20th physical-layer cell is an OAM cell, the others idle cells; they
// queue ahead of user cells (priority 0).
void CBPHY_Layer::LoopPhysicalCell(double t) {
  const int pti = physicalCells_ % kOamEvery == 0 ? kOamPti : kIdlePti;
  Cell cell(t, 0, 0, 0, 0, pti, 1, 0);
  ++physicalCells_;
  ScheduleSelf(static_cast<double>(physicalCells_ * kLoopCells) * cellTime_, Word::PLCELL_LOOP);
  ScheduleSibling(t, Word::INSERT_PLCELL, GetNameId(), std::move(cell));
}

void CBPHY_Layer::ResolveOnce() {
  Block& block = GetBlock();
  queue_ = TableQS(block, GetName(), datakey::kPhyQueue);
  Sstring peer;
  hasPeer_ = block.PeekData(datakey::kDBN, GetName(), peer) != 0;
  peer_ = Name(peer);
  resolved_ = true;
}
