// Cell: constructors, re-initialisers and the prints of the cell and of the
// data units it carries.
#include "core/Cell.h"

#include <cstdio>
#include <ostream>

#include "platform/Console.h"

const std::shared_ptr<CPCS_PDU> Cell::kNoPayload;

namespace {

// A double as a default-state stream writes it (6 significant digits),
// whatever formatting the target stream was left in.
void WriteDouble(std::ostream& out, double v) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%g", v);
  out.write(buf, n);
}

}  // namespace

Cell::Cell(double birthTime, short priority, int gfc, int vpi, int vci, int pti, int clp,
           int hec) {
  SetUNIEmptyCell(birthTime, priority, gfc, vpi, vci, pti, clp, hec);
}

Cell::Cell(double birthTime, short priority, int vpi, int vci, int pti, int clp, int hec) {
  SetNNIEmptyCell(birthTime, priority, vpi, vci, pti, clp, hec);
}

Cell::Cell(double birthTime, short priority, int gfc, int vpi, int vci, int pti, int clp, int hec,
           std::shared_ptr<CPCS_PDU> payload) {
  SetUNIUserCell(birthTime, priority, gfc, vpi, vci, pti, clp, hec, std::move(payload));
}

Cell::Cell(double birthTime, short priority, int vpi, int vci, int pti, int clp, int hec,
           std::shared_ptr<CPCS_PDU> payload) {
  SetNNIUserCell(birthTime, priority, vpi, vci, pti, clp, hec, std::move(payload));
}

void Cell::SetHeader(Name interfaceType, double birthTime, short priority, int gfc, int vpi,
                     int vci, int pti, int clp, int hec) {
  interfaceType_ = interfaceType;
  birthTime_ = birthTime;
  priority_ = priority;
  gfc_ = static_cast<short>(gfc);
  vpi_ = vpi;
  vci_ = vci;
  pti_ = static_cast<short>(pti);
  clp_ = static_cast<short>(clp);
  hec_ = static_cast<short>(hec);
}

void Cell::SetUNIEmptyCell(double birthTime, short priority, int gfc, int vpi, int vci, int pti,
                           int clp, int hec) {
  SetHeader(Word::UNI, birthTime, priority, gfc, vpi, vci, pti, clp, hec);
  cellType_ = Word::EMPTY_CELL;
  payload_.reset();
}

void Cell::SetNNIEmptyCell(double birthTime, short priority, int vpi, int vci, int pti, int clp,
                           int hec) {
  SetHeader(Word::NNI, birthTime, priority, -1, vpi, vci, pti, clp, hec);
  cellType_ = Word::EMPTY_CELL;
  payload_.reset();
}

void Cell::SetUNIUserCell(double birthTime, short priority, int gfc, int vpi, int vci, int pti,
                          int clp, int hec, std::shared_ptr<CPCS_PDU> payload) {
  SetHeader(Word::UNI, birthTime, priority, gfc, vpi, vci, pti, clp, hec);
  cellType_ = Word::USER_CELL;
  payload_ = std::move(payload);
}

void Cell::SetNNIUserCell(double birthTime, short priority, int vpi, int vci, int pti, int clp,
                          int hec, std::shared_ptr<CPCS_PDU> payload) {
  SetHeader(Word::NNI, birthTime, priority, -1, vpi, vci, pti, clp, hec);
  cellType_ = Word::USER_CELL;
  payload_ = std::move(payload);
}

std::ostream& operator<<(std::ostream& out, const Cell& c) {
  platform::Out() << "ATM Cell\n";
  if (c.InterfaceType() == Word::UNI) {
    out << "Birth time:";
    WriteDouble(out, c.BirthTime());
    out << "\nPriority:" << c.Priority() << "\nType:" << c.InterfaceType() << "\nGFC:" << c.GFC();
  } else {
    // The NNI header has no GFC; this layout also leaves out the birth time.
    out << "Prioridade:" << c.Priority() << "\nTipo:" << c.InterfaceType();
  }
  out << "\nVPI:" << c.VPI() << "\nVCI:" << c.VCI() << "\nPTI:" << c.PTI() << "\nCLP:" << c.CLP()
      << "\nHEC:" << c.HEC() << "\nPayload Type:" << c.CellType() << '\n';
  return out;
}

std::ostream& operator<<(std::ostream& out, const UserSDU& s) {
  platform::Out() << "User CPCS_SDU\n";
  out << "Birth Time:";
  WriteDouble(out, s.birthTime);
  out << "\nName:" << s.name << "\nLength:";
  WriteDouble(out, s.length);
  out << '\n';
  return out;
}

std::ostream& operator<<(std::ostream& out, const CPCS_PDU& p) {
  platform::Out() << "CPCS PDU\n";
  out << "CPCS_SDU:" << static_cast<const void*>(p.sdu.get()) << "\nPAD:" << p.pad
      << "\nCPCS_UU:" << p.uu << "\nCPI:" << p.cpi << "\nLength:" << p.length << "\nCRC:" << p.crc
      << "\n\n";
  return out;
}
