// Component services: names, scheduling, run files and warnings.
#include "model/Component.h"

#include "model/Block.h"
#include "model/Network.h"
#include "model/RunFiles.h"

// The per-event fields and the virtual table pointer share one cache line.
static_assert(sizeof(ComponentCore) <= 64 && alignof(Component) == 64);

Component::Component(const Sstring& name, ComponentKind kind, Block& block)
    : ComponentCore(block.GetNetwork().Queue(), Name(name), block.GetNameId(), kind),
      block_(block) {
  SetParamBlockName(name);
}

const char* Component::KindWord() const {
  return kind_ == ComponentKind::Layer ? "layer" : "queueing system";
}

const Sstring& Component::GetBlockName() const { return block_.GetName(); }
Network& Component::GetNetwork() const { return block_.GetNetwork(); }

Sstring Component::NetworkPath() const { return GetNetwork().Path(); }

Component* Component::ResolveHandler(Name block, Name target) {
  HandlerMemo& m = handlers_[nextMemo_];
  m.block = block;
  m.target = target;
  m.handler = HandlerOf(block, target);
  memoValid_ |= uint8_t(1u << nextMemo_);
  nextMemo_ ^= 1u;
  return m.handler;
}

Component* Component::HandlerOf(Name block, Name target) const {
  return GetNetwork().SoleHandler(block, target, GetBlockNameId());
}

int Component::HandleEvent(Event&) { return 0; }

void Component::SchedulePlain(double t, Name type, Name connection, Name messageType) {
  EventPriorityQueue& q = Queue();
  uint32_t slot = q.Slot();
  Event& e = q.At(slot);
  Fill(e, t, type, GetBlockNameId(), nameId_, connection, HandlerFor(GetBlockNameId(), nameId_));
  e.messageType = messageType;
  e.message = std::monostate{};
  q.Push(slot, e);
}

void Component::ScheduleSelf(double t, Name type) {
  SchedulePlain(t, type, Word::UNNECESSARY, Word::NONE_MESSAGE);
}

void Component::ScheduleSelf(double t, Name type, Name connection) {
  SchedulePlain(t, type, connection, Word::UNNECESSARY);
}

bool Component::OpenRunFile(std::ofstream& f, const std::string& shortName,
                            const std::string& longName) {
  return OpenRunFileOf(GetNetwork(), f, shortName, longName);
}

bool Component::OpenShortNamedLog(std::ofstream& f, const char* prefix) {
  return OpenShortNamedLog(f, prefix, NetworkPath().str());
}

bool Component::OpenShortNamedLog(std::ofstream& f, const char* prefix, const std::string& path) {
  return OpenShortNamedLogOf(GetNetwork(), f, path, GetBlockName(), GetName(), prefix);
}

std::ostream& Component::Warning() const { return RunWarning(GetBlockName(), KindWord(), GetName()); }

void Component::ReportNonsense(const char* parameter, const char* consequence) const {
  ::ReportNonsense(GetBlockName(), KindWord(), GetName(), parameter, consequence);
}

void Component::ReportStalledPeriod(const char* parameter, double t) const {
  ::ReportStalledPeriod(GetBlockName(), KindWord(), GetName(), parameter, t);
}
