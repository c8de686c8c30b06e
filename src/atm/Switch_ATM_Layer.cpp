// Switch_ATM_Layer: label translation, output queueing and the per-port
// fabric slot plan.
#include "atm/Switch_ATM_Layer.h"

#include <cmath>
#include <utility>

#include "atm/QueueingSystem.h"
#include "model/Block.h"
#include "model/DataKeys.h"

const ParamTable<Switch_ATM_Layer>& Switch_ATM_Layer::ParameterRows() {
  static const ParamTable<Switch_ATM_Layer> rows = {
      {"Slot time", 0.00000272633744856, "Switch fabric slot time", &Switch_ATM_Layer::slotTime_},
  };
  return rows;
}

std::vector<ParameterInfo> Switch_ATM_Layer::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

Switch_ATM_Layer::Switch_ATM_Layer(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block) {
  DeclareParameters(*this, ParameterRows());
}

int Switch_ATM_Layer::Start() {
  LoadParameters(*this, ParameterRows());
  routes_.Clear();
  inputs_.Clear();
  ports_.Restart([](Port& port) { port.resolved = false; });
  silent_ = !(slotTime_ > 0) || !std::isfinite(slotTime_);  // an infinite slot plans NaN
  if (silent_) {
    ReportBadParameter("Slot time");
    return 0;
  }
  // Names no output queue, so this first slot serves nothing.
  ScheduleSelf(slotTime_, Word::ATM_SEND_CELL);
  return 1;
}

int Switch_ATM_Layer::HandleEvent(Event& e) {
  if (silent_) return 0;
  if (e.type == Word::PHY_DATA_INDICATION) {
    if (PHY_Data* data = e.Get<PHY_Data>()) return Forward(e, data->cell);
  } else if (e.type == Word::ATM_SEND_CELL) {
    return ServePort(e);
  }
  return 0;
}

// Cells of unknown connections or ports go no further (0); a cell the output
// queue refuses is dropped with the event.
int Switch_ATM_Layer::Forward(const Event& e, Cell& cell) {
  if (atmcell::IsManagementCell(cell)) return 1;
  const Route& route = RouteOf(cell.VPI(), cell.VCI());
  if (!route.found) return 0;
  if (route.relabel) {
    cell.SetVPI(route.vpi);
    cell.SetVCI(route.vci);
  }
  if (!route.hasPort) return 0;
  Port& port = *route.out;
  const double t = e.time;
  if (!port.queue || !port.queue->InsertCell(cell, t)) return 1;
  port.plan.CellQueued(port.queue->InSystem() == 1, t, slotTime_,
                       [&](double at) { ScheduleSelf(at, Word::ATM_SEND_CELL, route.port); });
  return 1;
}

// The event names the output port; the cell leaving its queue's server goes
// to that port's physical layer.
int Switch_ATM_Layer::ServePort(const Event& e) {
  Port& port = PortOf(e.connection);
  Cell cell;
  if (!port.queue || !port.queue->ServeCell(cell, e.time)) return 0;
  ScheduleVia(port.layer, e.time, Word::PHY_DATA_REQUEST, GetBlockNameId(), e.connection,
              PHY_Data(std::move(cell)));
  return 1;
}

void Switch_ATM_Layer::ResolvePort(Name name, Port& port) {
  port.queue = TableQS(GetBlock(), name.str(), datakey::kAtmQueue);
  // The switch sends to each of its ports: too many for the last two
  // destinations a component remembers.
  port.layer = HandlerOf(GetBlockNameId(), name);
  port.resolved = true;
}

// The connection is the first key whose input labels match (the arrival
// port does not matter); its output labels apply only as a pair.
Switch_ATM_Layer::Route Switch_ATM_Layer::ResolveRoute(int vpi, int vci) {
  const Block& block = GetBlock();
  Route route;
  if (const Sstring* nci = inputs_.Find(block, vpi, vci)) {
    route.found = true;
    long long outVpi = 0, outVci = 0;
    if (atmcell::PeekInteger(block, *nci, datakey::kOutputVpi, outVpi) &&
        atmcell::PeekInteger(block, *nci, datakey::kOutputVci, outVci)) {
      route.relabel = true;
      route.vpi = static_cast<int>(outVpi);
      route.vci = static_cast<int>(outVci);
    }
    Sstring port;
    if (block.PeekData(*nci, datakey::kOutputPort, port)) {
      route.hasPort = true;
      route.port = Name(port);
      route.out = &PortOf(route.port);
    }
  }
  return route;
}
