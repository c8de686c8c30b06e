// BTE_ATM_Layer: the ATM layer of a terminal. Downwards it labels the AAL's
// payloads as user cells with the connection's VPI/VCI, payload type, loss
// and queueing priority; upwards it drops management cells, measures the
// cell delay and hands payloads to the connection's AAL. Also holds the cell
// tests and table searches that the switch's ATM layer shares.
#pragma once
#include <cstdint>
#include <fstream>
#include <unordered_map>

#include "core/Statistics.h"
#include "model/Layer.h"

namespace atmcell {

// Cells an ATM layer drops before routing: OAM F5 (PTI 4, 5), OAM F4
// (VCI 3, 4), resource management (VCI 6) and meta-signalling (VCI 1).
inline bool IsManagementCell(const Cell& c) {
  const short pti = c.PTI();
  const int vci = c.VCI();
  return pti == 4 || pti == 5 || vci == 3 || vci == 4 || vci == 6 || vci == 1;
}

// The (VPI, VCI) pair as one hash key.
inline uint64_t LabelKey(int vpi, int vci) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(vpi)) << 32) | static_cast<uint32_t>(vci);
}

// 1 and the value when (key, name) holds an integer of any integer type;
// reads only, never adds a key.
int PeekInteger(const DataTable& table, const Sstring& key, const Sstring& name, long long& out);

// Which connection incoming cells belong to: the first key of a block's
// table (newest first) whose "Input VPI" and "Input VCI" equal the cell's
// labels. The table is indexed on first use; Clear() before every run.
class InputLabelIndex {
 public:
  void Clear() {
    keys_.clear();
    built_ = false;
  }
  // The connection key, or null when no key carries these input labels.
  const Sstring* Find(const DataTable& table, int vpi, int vci);

 private:
  std::unordered_map<uint64_t, Sstring> keys_;
  bool built_ = false;
};

}  // namespace atmcell

class BTE_ATM_Layer : public Layer {
 public:
  BTE_ATM_Layer(const Sstring& name, const Sstring& type, Block& block);

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
  const Outgoing& OutgoingOf(Name nci);
  const Upward& UpwardOf(int vpi, int vci);

  Sstring cellTrigger_ = "OFF", sampleStatistics_ = "OFF";
  double loggingInterval_ = 0.001;
  LogTimer timer_;  // the "SS" log's lines in this run
  bool cellOn_ = false, statsOn_ = false;
  double cellDelay_ = 0, smcd_ = 0, svcd_ = 0;
  std::ofstream cellLog_, statsLog_;
  Statistics delays_;  // over every run of the layer

  std::unordered_map<Name, Outgoing> outgoing_;
  std::unordered_map<uint64_t, Upward> upward_;
  atmcell::InputLabelIndex inputs_;
};
