// Switch_ATM_Layer: the ATM layer of a switch. Identifies the connection of
// every cell a port passes up by its VPI/VCI, relabels it and queues it in
// the output port's queue; a fabric clock then hands one cell per planned
// slot from each output queue to its port's physical layer.
#pragma once
#include <cstdint>

#include "atm/CellLabels.h"
#include "atm/SlotPlan.h"
#include "core/RunLookup.h"
#include "model/Layer.h"
#include "model/ParameterTable.h"

class QueueingSystem;

class Switch_ATM_Layer : public Layer {
 public:
  Switch_ATM_Layer(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the slot time and plans the first (empty) fabric slot. A
  // non-positive slot time is reported and silences the layer (result 0).
  int Start() override;
  // 1 when a cell was queued, discarded or handed to a port, or a management
  // cell was dropped; else 0.
  int HandleEvent(Event& e) override;
  int End() override { return 1; }

 private:
  static const ParamTable<Switch_ATM_Layer>& ParameterRows();
  // One output port (its physical layer's name): its queue, resolved once
  // per run, and its own fabric slot plan, kept across runs.
  struct Port {
    bool resolved = false;
    QueueingSystem* queue = nullptr;
    Component* layer = nullptr;  // the handler of the port's events in this run
    SlotPlan plan;
  };
  // How cells arriving with one (VPI, VCI) are switched, resolved once per run.
  struct Route {
    bool found = false;  // a connection has these input labels
    bool relabel = false;
    int vpi = 0, vci = 0;
    bool hasPort = false;
    Name port;
    Port* out = nullptr;  // the port's entry, when hasPort
  };

  int Forward(const Event& e, Cell& cell);
  int ServePort(const Event& e);
  // The lookups: the last key's entry at once, any other by the tables.
  Port& PortOf(Name name) {
    Port& port = ports_.Get(name, [] { return Port(); });
    if (!port.resolved) ResolvePort(name, port);
    return port;
  }
  const Route& RouteOf(int vpi, int vci) {
    return routes_.Get(atmcell::LabelKey(vpi, vci), [&] { return ResolveRoute(vpi, vci); });
  }
  void ResolvePort(Name name, Port& port);
  Route ResolveRoute(int vpi, int vci);

  double slotTime_ = 0.00000272633744856;
  bool silent_ = false;
  RunLookup<Name, Port> ports_;
  RunLookup<uint64_t, const Route> routes_;
  atmcell::InputLabelIndex inputs_;
};
