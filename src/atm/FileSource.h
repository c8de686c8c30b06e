// FileSource: a traffic source offering the packets listed in a text file -
// pairs of (time in seconds, length in bytes) - each at its own time,
// optionally stopping after a number of cells.
#pragma once
#include <fstream>

#include "atm/TrafficSource.h"

class FileSource : public TrafficSource {
 public:
  FileSource(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the parameters and opens the source file; plans the reading of the
  // file at time 0 if it opened (a file that does not open is reported).
  // Always 1.
  int Start() override;
  // "SEND_PACKET": reads the whole file and places every packet on the event
  // queue at its own time. 1, or 0 for any other event.
  int HandleEvent(Event& e) override;
  // Closes the source file. 1.
  int End() override;

  double CellsSent() const { return cellsSent_; }

 private:
  enum class StopMode { AtEnd, MaxCells, Never };
  static const ParamTable<FileSource>& ParameterRows();

  // Sends one packet as the stop mode allows; false once nothing more may go.
  bool Offer(double time, double length);
  Sstring fileName_;
  Sstring stop_;
  StopMode mode_ = StopMode::AtEnd;
  double maxCells_ = 0;
  double cellsSent_ = 0;  // carries over into later runs
  std::ifstream file_;
};
