// AAL5_Layer: the ATM adaptation layer of a terminal. Segments each packet
// of a traffic source into 48-byte cell payloads for the ATM layer, and
// reassembles the payloads indicated per connection into packets for the
// receiving application's traffic receiver.
#pragma once
#include <cstdint>
#include <unordered_map>

#include "core/RunLookup.h"
#include "model/Layer.h"
#include "model/ParameterTable.h"

// The longest SDU an AAL5 CPCS PDU carries: its length field has 16 bits.
constexpr double kMaxAal5Length = 65535;
// The cells of the longest PDU whose payload, plus the 8-byte trailer, fills
// them exactly: (1365 x 48 - 8) bytes fit, 1366 cells would not.
constexpr double kMaxAal5Cells = 1365;

// The CPCS PDU padding for an SDU of `length` bytes: 0 to 47, so that
// length + PAD + 8 (the trailer) is a multiple of 48.
inline uint32_t Aal5Pad(uint64_t length) { return 47 - static_cast<uint32_t>((length + 7) % 48); }

class AAL5_Layer : public Layer {
 public:
  AAL5_Layer(const Sstring& name, const Sstring& type, Block& block);

  static std::vector<ParameterInfo> DescribeParameters();

  // Reads the packetization delay and forgets the lookups of the last run.
  // A negative or non-finite delay is reported and leaves the layer silent
  // for the run (result 0); else 1.
  int Start() override;
  // 1 for an invoke or an indication carrying its record, else 0. An SDU
  // longer than kMaxAal5Length is dropped.
  int HandleEvent(Event& e) override;
  int End() override { return 1; }

 private:
  struct Receiver {
    bool found = false;
    Name application;
  };

  static const ParamTable<AAL5_Layer>& ParameterRows();
  int Segment(const Event& e, CPCS_UnitData& unit);
  int Reassemble(const Event& e, ATM_Data& data);
  // The VCC a data connection's cells travel on (empty when not set): the
  // last one asked at once, any other by the table.
  Name CellConnectionOf(Name dci) {
    return cellConnection_.Get(dci, [&] { return ResolveCellConnection(dci); });
  }
  Name ResolveCellConnection(Name dci) const;
  // The application receiving a data connection's packets; false when the
  // connection names none.
  bool EndApplicationOf(Name dci, Name& application) {
    const Receiver& r = receiver_.Get(dci, [&] { return ResolveReceiver(dci); });
    application = r.application;
    return r.found;
  }
  Receiver ResolveReceiver(Name dci) const;

  double delay_ = 0.000000001;  // between consecutive cells of a packet
  bool silent_ = false;
  // Loss-priority flag of the packet in reassembly, per data connection (a
  // missing entry is 0).
  std::unordered_map<Name, unsigned char> lossFlag_;
  // Table lookups resolved once per run.
  RunLookup<Name, const Name> cellConnection_;
  RunLookup<Name, const Receiver> receiver_;
};
