// CBRSource: the constant-bit-rate traffic source of an application block;
// and TrafficSource, what every traffic source shares - its parameter table,
// the route to the terminal's adaptation layer, and the hand-over of one
// packet on every outgoing data connection.
#pragma once
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "model/Layer.h"

// One parameter a source declares: a number or a text, always shown.
struct SourceParam {
  const char* name;
  std::variant<double, const char*> value;
  const char* description;
};

class TrafficSource : public Layer {
 public:
  TrafficSource(const Sstring& name, const Sstring& type, Block& block);
  // Closes the packet log. 1.
  int End() override;

  // What the source handed to its adaptation layer in the run under way,
  // counted once per connection: packets, their AAL5 cells and their bytes.
  struct RunCounts {
    int64_t packets = 0, cells = 0;
    double bytes = 0;
  };
  void BeginRunFigures() { runCounts_ = RunCounts(); }
  const RunCounts& RunFigures() const { return runCounts_; }

 protected:
  template <size_t N>
  void DeclareParams(const SourceParam (&rows)[N]) {
    for (const SourceParam& row : rows) {
      if (const double* d = std::get_if<double>(&row.value))
        PutParam(row.name, *d, row.description, "SHOW");
      else
        PutParam(row.name, Sstring(std::get<const char*>(row.value)), row.description, "SHOW");
    }
  }

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

  // Reads the parameters every batch or CBR source has ("Number of bytes to
  // be sent", "Start time", "Packet name", "ATM adaptation layer", "Log
  // packet time status") and opens the packet log with these column names
  // when the log is on.
  void ReadCommonParameters(std::initializer_list<const char*> logColumns);
  // Reports a negative or non-finite byte count or start time (both, when
  // both are bad); true when they are usable.
  bool CommonParametersSane() const;
  static bool NonNegative(double x);

  std::string path_;  // the network's "Path" when the source was made
  Name packetName_;   // interned at every Start
  double bytesToSend_ = 0;
  double startTime_ = 0;
  Name aal_;
  bool logOn_ = false;
  std::ofstream log_;

 private:
  Name destination_;
  std::vector<Name> outputs_;
  RunCounts runCounts_;
};

class CBRSource : public TrafficSource {
 public:
  CBRSource(const Sstring& name, const Sstring& type, Block& block);

  // Reads the parameters, opens the log, plans the first packet one interval
  // after the start time. 1 when it planned it; 0 when there is nothing to
  // send or a parameter makes no sense (reported).
  int Start() override;
  // "SEND_PACKET": sends one packet on every outgoing connection and plans
  // the next. 1 when a packet left; 0 once all are sent, without a route, or
  // for any other event.
  int HandleEvent(Event& e) override;

  uint64_t PacketsSent() const { return packetsSent_; }
  uint64_t NumberOfPackets() const { return numberOfPackets_; }
  double Interval() const { return interval_; }

 private:
  double bitRate_ = 0;
  double packetLength_ = 0;
  double interval_ = 0;
  uint64_t numberOfPackets_ = 0;
  uint64_t packetsSent_ = 0;  // carries over into later runs
};
