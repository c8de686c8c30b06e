// TrafficSource: what every traffic source of an application block shares -
// the parameters that name, time and log its packets, the route to the
// terminal's adaptation layer, and the hand-over of one packet on every
// outgoing data connection.
#pragma once
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/Layer.h"
#include "model/ParameterTable.h"
#include "model/RunFiles.h"

class TrafficSource : public Layer {
 public:
  TrafficSource(const Sstring& name, const Sstring& type, Block& block);
  // Closes the packet log. 1.
  int End() override;

  // The network's "Path" when the source was made (its packet log's prefix).
  const std::string& MadeWithPath() const { return path_.str().str(); }

  // What the source handed to its adaptation layer in the run under way,
  // counted once per connection: packets, their AAL5 cells and their bytes.
  struct RunCounts {
    int64_t packets = 0, cells = 0;
    double bytes = 0;
  };
  void BeginRunFigures() { runCounts_ = RunCounts(); }
  const RunCounts& RunFigures() const { return runCounts_; }

 protected:
  // Reads, for this run, the block the packets go to (the block's
  // ("DBN", own name) entry) and the outgoing data connections (the keys
  // whose "Direction" is "Output", in table order). Searches create no keys.
  void ResolveRoute();
  bool HasOutputs() const { return !outputs_.empty(); }
  // Hands one packet of the given length, born at t, to layer `aal` of the
  // destination block on every outgoing connection, all at time t; the
  // connections share the one SDU. Returns the number of connections served,
  // 0 when the destination or the connections are missing.
  size_t Emit(double t, Name aal, double length);
  // Opens the packet log: path + block + "_" + layer + ".dat".
  bool OpenPacketLog(std::ofstream& f);
  // Reports the parameter on the console unless ok; returns ok.
  bool Require(bool ok, const char* parameter) const;

  // After the parameters are loaded: interns the packet name and the AAL,
  // and opens the packet log with these column names when the log is on.
  void UseCommonParameters(std::initializer_list<const char*> logColumns);
  // Reports a negative or non-finite byte count or start time (both, when
  // both are bad); true when they are usable.
  bool CommonParametersSane() const;
  static bool NonNegative(double x);

  Name path_;  // the network's "Path" when the source was made, interned
  // Filled from the parameters at every Start (each source's table).
  double bytesToSend_ = 0;       // "Number of bytes to be sent"
  double startTime_ = 0;         // "Start time"
  Sstring packetNameText_;       // "Packet name"
  Sstring aalText_;              // "ATM adaptation layer"
  Sstring logStatus_;            // "Log packet time status"
  Name packetName_;              // interned at every Start
  Name aal_;
  bool logOn_ = false;
  LogFile log_;

 private:
  Name destination_;
  std::vector<Name> outputs_;
  RunCounts runCounts_;
};
