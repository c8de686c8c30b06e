// AAL5_Layer: segmentation of packets into cell payloads and reassembly of
// the payloads into packets, per data connection.
#include "atm/AAL5_Layer.h"

#include <cmath>
#include <memory>
#include <utility>

#include "core/FreeListAllocator.h"
#include "model/Block.h"
#include "model/DataKeys.h"

const ParamTable<AAL5_Layer>& AAL5_Layer::ParameterRows() {
  static const ParamTable<AAL5_Layer> rows = {
      {"Cell packetization delay", 0.000000001, "Delay to fill a cell", &AAL5_Layer::delay_},
  };
  return rows;
}

std::vector<ParameterInfo> AAL5_Layer::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

AAL5_Layer::AAL5_Layer(const Sstring& name, const Sstring& type, Block& block)
    : Layer(name, type, block) {
  DeclareParameters(*this, ParameterRows());
}

int AAL5_Layer::Start() {
  LoadParameters(*this, ParameterRows());
  cellConnection_.Clear();
  receiver_.Clear();
  silent_ = !(std::isfinite(delay_) && delay_ >= 0);
  if (silent_) ReportBadParameter("Cell packetization delay");
  return silent_ ? 0 : 1;
}

int AAL5_Layer::HandleEvent(Event& e) {
  if (silent_) return 0;
  if (e.type == Word::CPCS_UNITDATA_INVOKE) {
    if (CPCS_UnitData* unit = e.Get<CPCS_UnitData>()) return Segment(e, *unit);
  } else if (e.type == Word::ATM_DATA_INDICATION) {
    if (ATM_Data* data = e.Get<ATM_Data>()) return Reassemble(e, *data);
  }
  return 0;
}

// One CPCS PDU per packet, shared by its cells; the cells go to the ATM layer
// one delay apart, the last one marked by the user-to-user indication.
int AAL5_Layer::Segment(const Event& e, CPCS_UnitData& unit) {
  const double sduLength = unit.data ? unit.data->length : 0.0;
  if (sduLength > kMaxAal5Length) return 0;
  // Whole bytes; a length that is not positive counts as an empty SDU.
  const uint32_t length = sduLength > 0 ? static_cast<uint32_t>(sduLength) : 0u;
  const uint32_t pad = Aal5Pad(length);
  const uint64_t cells = (uint64_t{length} + pad + 8) / 48;
  auto pdu = std::allocate_shared<CPCS_PDU>(FreeListAllocator<CPCS_PDU>(), std::move(unit.data),
                                           static_cast<short>(pad), unit.uu, short(0), length, 0u);
  const Name cellConnection = CellConnectionOf(e.connection);
  double t = e.time;
  for (uint64_t i = 1; i <= cells; ++i) {
    t = t + delay_;
    ScheduleSibling(t, Word::ATM_DATA_REQUEST, Word::ATM,
                    ATM_Data(pdu, 0, 0, static_cast<short>(i == cells ? 1 : 0)), cellConnection);
  }
  return 1;
}

// The loss-priority flag collects the cells of a packet; the last cell
// delivers the packet. A packet whose last cell is lost never completes, and
// its flag carries over to the next packet of the connection.
int AAL5_Layer::Reassemble(const Event& e, ATM_Data& data) {
  const Name dci = e.connection;
  auto it = lossFlag_.find(dci);
  const unsigned char flag =
      (it != lossFlag_.end() && it->second == 1) || data.lossPriority != 0 ? 1 : 0;
  if (data.uu == 0) {
    if (it != lossFlag_.end())
      it->second = flag;
    else if (flag)
      lossFlag_.emplace(dci, flag);
    return 1;
  }
  if (it != lossFlag_.end()) it->second = 0;

  const std::shared_ptr<CPCS_PDU>& pdu = data.data;
  if (!pdu || pdu->cpi != 0 || pdu->length == 0) return 1;
  Name application;
  if (!EndApplicationOf(dci, application)) return 1;
  ScheduleTo(e.time, Word::CPCS_UNITDATA_SIGNAL, application, Word::TR,
             CPCS_UnitData(pdu->sdu, 0, flag, data.congestion, pdu->uu, 0), dci);
  return 1;
}

Name AAL5_Layer::ResolveCellConnection(Name dci) const {
  Sstring vcc;
  GetBlock().PeekData(dci.str(), datakey::kNCI, vcc);
  return Name(vcc);
}

AAL5_Layer::Receiver AAL5_Layer::ResolveReceiver(Name dci) const {
  Receiver r;
  Sstring name;
  if (GetBlock().PeekData(dci.str(), datakey::kEndApplication, name)) {
    r.found = true;
    r.application = Name(name);
  }
  return r;
}
