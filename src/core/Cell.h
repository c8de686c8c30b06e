// Cell: the ATM cell with its header fields and time stamps, and the data
// units a user cell carries (the user's CPCS SDU and the AAL5 CPCS PDU).
// Cells travel inside events by value; the carried PDU is shared by every
// cell of its packet.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <memory>

#include "core/Name.h"

// The packet a user hands to the AAL: only its length is modelled.
struct UserSDU {
  double birthTime = 0.0;  // seconds
  Name name;
  double length = 0.0;  // bytes

  UserSDU() = default;
  UserSDU(double birthTime_, Name name_, double length_)
      : birthTime(birthTime_), name(name_), length(length_) {}
};

// The AAL5 CPCS PDU: the SDU and the trailer fields, held as numbers.
struct CPCS_PDU {
  std::shared_ptr<UserSDU> sdu;
  short pad = 0;
  short uu = 0;
  short cpi = 0;
  uint32_t length = 0;
  uint32_t crc = 0;

  CPCS_PDU() = default;
  CPCS_PDU(std::shared_ptr<UserSDU> sdu_, short pad_, short uu_, short cpi_, uint32_t length_,
           uint32_t crc_)
      : sdu(std::move(sdu_)), pad(pad_), uu(uu_), cpi(cpi_), length(length_), crc(crc_) {}
};

class Cell {
 public:
  // An empty UNI cell with every number 0.
  Cell() = default;
  // Header values are taken as int so that an all-numeric argument list can
  // only mean an EMPTY_CELL form; GFC, PTI, CLP and HEC are stored in 16 bits.
  // UNI, EMPTY_CELL.
  Cell(double birthTime, short priority, int gfc, int vpi, int vci, int pti, int clp, int hec);
  // NNI, EMPTY_CELL (GFC -1).
  Cell(double birthTime, short priority, int vpi, int vci, int pti, int clp, int hec);
  // UNI, USER_CELL.
  Cell(double birthTime, short priority, int gfc, int vpi, int vci, int pti, int clp, int hec,
       std::shared_ptr<CPCS_PDU> payload);
  // NNI, USER_CELL (GFC -1).
  Cell(double birthTime, short priority, int vpi, int vci, int pti, int clp, int hec,
       std::shared_ptr<CPCS_PDU> payload);

  // Re-initialisers: overwrite every field the matching constructor takes,
  // plus the interface and cell types. Queue time is kept.
  void SetUNIEmptyCell(double birthTime, short priority, int gfc, int vpi, int vci, int pti,
                       int clp, int hec);
  void SetNNIEmptyCell(double birthTime, short priority, int vpi, int vci, int pti, int clp,
                       int hec);
  void SetUNIUserCell(double birthTime, short priority, int gfc, int vpi, int vci, int pti,
                      int clp, int hec, std::shared_ptr<CPCS_PDU> payload);
  void SetNNIUserCell(double birthTime, short priority, int vpi, int vci, int pti, int clp,
                      int hec, std::shared_ptr<CPCS_PDU> payload);

  double BirthTime() const { return birthTime_; }
  double QueueTime() const { return queueTime_; }
  short Priority() const { return priority_; }
  Name InterfaceType() const { return interfaceType_; }
  short GFC() const { return gfc_; }
  int VPI() const { return vpi_; }
  int VCI() const { return vci_; }
  short PTI() const { return pti_; }
  short CLP() const { return clp_; }
  short HEC() const { return hec_; }
  Name CellType() const { return cellType_; }
  // The carried PDU of a USER_CELL; an empty pointer for any other cell type.
  const std::shared_ptr<CPCS_PDU>& Payload() const {
    return cellType_ == Word::USER_CELL ? payload_ : kNoPayload;
  }

  void SetBirthTime(double t) { birthTime_ = t; }
  void SetQueueTime(double t) { queueTime_ = t; }
  void SetPriority(short p) { priority_ = p; }
  void SetInterfaceType(Name n) { interfaceType_ = n; }
  void SetGFC(short v) { gfc_ = v; }
  void SetVPI(int v) { vpi_ = v; }
  void SetVCI(int v) { vci_ = v; }
  void SetPTI(short v) { pti_ = v; }
  void SetCLP(short v) { clp_ = v; }
  void SetHEC(short v) { hec_ = v; }
  void SetCellType(Name n) { cellType_ = n; }
  void SetPayload(std::shared_ptr<CPCS_PDU> p) { payload_ = std::move(p); }

 private:
  static const std::shared_ptr<CPCS_PDU> kNoPayload;

  void SetHeader(Name interfaceType, double birthTime, short priority, int gfc, int vpi, int vci,
                 int pti, int clp, int hec);

  // Ordered for packing rather than in header order.
  double birthTime_ = 0.0;
  double queueTime_ = 0.0;
  std::shared_ptr<CPCS_PDU> payload_;
  int vpi_ = 0;
  int vci_ = 0;
  Name interfaceType_ = Word::UNI;
  Name cellType_ = Word::EMPTY_CELL;
  short priority_ = 0;
  short gfc_ = 0;
  short pti_ = 0;
  short clp_ = 0;
  short hec_ = 0;
};

// Queue order: lower priority first, then strictly earlier queue time.
inline bool SortsBefore(const Cell& a, const Cell& b) {
  return a.Priority() < b.Priority() ||
         (a.Priority() == b.Priority() && a.QueueTime() < b.QueueTime());
}

// Each print writes its title line to standard output, whatever the stream,
// then one "Label:value" line per field to the given stream.
std::ostream& operator<<(std::ostream& out, const Cell& c);
std::ostream& operator<<(std::ostream& out, const UserSDU& s);
std::ostream& operator<<(std::ostream& out, const CPCS_PDU& p);

