// Primitives: the prints of the service primitive records.
#include "core/Primitives.h"

#include <ostream>

#include "platform/Console.h"

std::ostream& operator<<(std::ostream& out, const PHY_Data& p) {
  platform::Out() << "PHY Data Primitive\n";
  out << "PHY_Data_Interface_Data:\n" << p.cell << '\n';
  return out;
}

std::ostream& operator<<(std::ostream& out, const ATM_Data& p) {
  platform::Out() << "ATM-Data Primitive\n";
  out << "Interface Data:" << static_cast<const void*>(p.data.get())
      << "\nSubmited Loss Priority:" << p.lossPriority
      << "\nCongestion Indication:" << p.congestion
      << "\nATM user-to-ATM user Indication:" << p.uu << "\n\n";
  return out;
}

std::ostream& operator<<(std::ostream& out, const SAR_UnitData& p) {
  platform::Out() << "SAR-UnitData Primitive\n";
  out << "Interface Data:" << static_cast<const void*>(p.data.get()) << "\nMore:" << p.more
      << "\nSAR Loss Priority:" << p.lossPriority
      << "\nSAR Congestion Indication:" << p.congestion << "\n\n";
  return out;
}

std::ostream& operator<<(std::ostream& out, const CPCS_UnitData& p) {
  // The interface data (the user's SDU) is not part of this printout.
  platform::Out() << "CPCS-UnitData Primitive\n";
  out << "More:" << p.more << "\nCPCS Loss Priority:" << p.lossPriority
      << "\nCPCS Congestion Indication:" << p.congestion
      << "\nCPCS User-to-user Indication:" << p.uu << "\nReception Status:" << p.receptionStatus
      << "\n\n";
  return out;
}
