// CBPHY_Layer: the cell-based physical layer of an equipment interface. Sends
// the cells its ATM layer hands down through the interface's queueing system,
// one per cell time in slots aligned to multiples of the cell time, delivers
// them to the peer block after the propagation delay, passes received cells
// up without idle and physical-layer OAM cells, and can insert those itself.
#pragma once
#include <cstdint>

#include "atm/SlotPlan.h"
#include "model/Layer.h"
#include "model/ParameterTable.h"

class QueueingSystem;

// The interface word that makes this layer the physical layer of a port.
inline constexpr const char* kCellPhysicalInterface = "CB_PHYSICAL_LAYER";

class CBPHY_Layer : public Layer {
 public:
  CBPHY_Layer(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the link parameters and plans the physical-layer cell loop. A bit
  // rate whose cell time is not a finite positive time, a speed or distance
  // whose link delay is not a finite time, is reported and leaves the layer
  // silent for the run (result 0).
  int Start() override;
  // 1 after a "PHY_DATA_REQUEST" carrying its record, else 0.
  int HandleEvent(Event& e) override;
  int End() override { return 1; }

  double CellTime() const { return cellTime_; }

 private:
  static const ParamTable<CBPHY_Layer>& ParameterRows();
  // Offers a cell to the queue and plans its transmission slot.
  void Enqueue(Cell& cell, double t);
  void SendCell(double t);
  void Receive(double t, Cell& cell);
  void LoopPhysicalCell(double t);
  // The interface's queueing system and the peer block, resolved once per run.
  void Resolve() {
    if (!resolved_) ResolveOnce();
  }
  void ResolveOnce();

  double bitRate_ = 155520000.0;
  float distance_ = 10.0f;
  float speed_ = 300000000.0f;
  Sstring oamStatus_ = "OFF";
  SlotPlan plan_;  // kept across runs
  double cellTime_;
  float propagationDelay_;
  uint64_t physicalCells_ = 0;  // counts the physical-layer cells made (32 bits wrap in a long run)
  bool silent_ = false;

  bool resolved_ = false;
  QueueingSystem* queue_ = nullptr;
  bool hasPeer_ = false;
  Name peer_;
};
