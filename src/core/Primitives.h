// Primitives: the service primitive records one layer hands to the next
// inside an event (PHY-DATA, ATM-DATA, SAR-UNITDATA, CPCS-UNITDATA).
// They are small values; the data units they carry are shared, not copied.
#pragma once
#include <iosfwd>
#include <memory>

#include "core/Cell.h"

// Between the ATM layer and the physical layer.
struct PHY_Data {
  Cell cell;

  PHY_Data() = default;
  explicit PHY_Data(Cell cell_) : cell(std::move(cell_)) {}
};

// Between the AAL and the ATM layer; one per cell.
struct ATM_Data {
  std::shared_ptr<CPCS_PDU> data;
  short lossPriority = 0;  // submitted loss priority
  short congestion = 0;    // congestion indication
  short uu = 0;            // ATM-user-to-ATM-user indication (last cell of a packet)

  ATM_Data() = default;
  ATM_Data(std::shared_ptr<CPCS_PDU> data_, short lossPriority_, short congestion_, short uu_)
      : data(std::move(data_)), lossPriority(lossPriority_), congestion(congestion_), uu(uu_) {}
};

// Inside the AAL5 layer, between its convergence and SAR sublayers.
struct SAR_UnitData {
  std::shared_ptr<CPCS_PDU> data;
  short more = 0;
  short lossPriority = 0;
  short congestion = 0;

  SAR_UnitData() = default;
  SAR_UnitData(std::shared_ptr<CPCS_PDU> data_, short more_, short lossPriority_,
               short congestion_)
      : data(std::move(data_)), more(more_), lossPriority(lossPriority_), congestion(congestion_) {}
};

// Between the AAL5 layer and its user (traffic source or receiver).
struct CPCS_UnitData {
  std::shared_ptr<UserSDU> data;
  short more = 0;
  short lossPriority = 0;
  short congestion = 0;
  short uu = 0;  // CPCS user-to-user indication
  short receptionStatus = 0;

  CPCS_UnitData() = default;
  CPCS_UnitData(std::shared_ptr<UserSDU> data_, short more_, short lossPriority_,
                short congestion_, short uu_, short receptionStatus_)
      : data(std::move(data_)),
        more(more_),
        lossPriority(lossPriority_),
        congestion(congestion_),
        uu(uu_),
        receptionStatus(receptionStatus_) {}
};

// Title line to standard output, field lines to the given stream.
std::ostream& operator<<(std::ostream& out, const PHY_Data& p);
std::ostream& operator<<(std::ostream& out, const ATM_Data& p);
std::ostream& operator<<(std::ostream& out, const SAR_UnitData& p);
std::ostream& operator<<(std::ostream& out, const CPCS_UnitData& p);
