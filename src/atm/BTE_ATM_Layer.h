// BTE_ATM_Layer: the ATM layer of a terminal. Downwards it labels the AAL's
// payloads as user cells with the connection's VPI/VCI, payload type, loss
// and queueing priority; upwards it drops management cells, measures the
// cell delay and hands payloads to the connection's AAL.
#pragma once
#include <string>
#include <vector>

#include "atm/CellLabels.h"
#include "atm/DelayLog.h"
#include "core/RunLookup.h"
#include "model/Layer.h"

class BTE_ATM_Layer : public Layer {
 public:
  BTE_ATM_Layer(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();
  // The service categories that have a priority of their own.
  static std::vector<std::string> Categories();

  // Reads the parameters, opens the logs that are on and plans the sample
  // statistics. Returns 1.
  int Start() override;
  // 1 when a cell or payload was passed on (or a management cell dropped).
  int HandleEvent(Event& e) override;
  // Closes the logs. Returns 1.
  int End() override;

 private:
  // What a connection's outgoing cells carry, resolved once per run.
  struct Outgoing {
    bool labelled = false;  // both output labels exist
    int vpi = 0, vci = 0;
    short priority[2] = {7, 8};  // by CLP 0 / CLP 1
  };
  // Where the payloads of cells with one (VPI, VCI) go, resolved once per run.
  struct Upward {
    bool found = false;
    Name dci;
    Name aal;
  };

  int SendDown(const Event& e, ATM_Data& data);
  int PassUp(const Event& e, Cell& cell);
  // The lookups: the last key's entry at once, any other by the tables.
  const Outgoing& OutgoingOf(Name nci) {
    return outgoing_.Get(nci, [&] { return ResolveOutgoing(nci); });
  }
  const Upward& UpwardOf(int vpi, int vci) {
    return upward_.Get(atmcell::LabelKey(vpi, vci), [&] { return ResolveUpward(vpi, vci); });
  }
  Outgoing ResolveOutgoing(Name nci) const;
  Upward ResolveUpward(int vpi, int vci);

  DelayLog delays_;  // cell delays, over every run of the layer

  RunLookup<Name, const Outgoing> outgoing_;
  RunLookup<uint64_t, const Upward> upward_;
  atmcell::InputLabelIndex inputs_;
};
