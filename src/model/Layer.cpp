// Layer services: names, scheduling and the run's statistics files.
#include "model/Layer.h"

#include <cmath>
#include <ostream>

#include "model/Block.h"
#include "model/EventPriorityQueue.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"
#include "platform/Files.h"

Layer::Layer(const Sstring& name, const Sstring& type, Block& block)
    : name_(name), nameId_(name), type_(type), block_(block), madeWithPath_(NetworkPath()) {
  SetTableName(name + "_Table");
  SetParamBlockName(name);
}

const Sstring& Layer::GetBlockName() const { return block_.GetName(); }
Name Layer::GetBlockNameId() const { return block_.GetNameId(); }
const Sstring& Layer::GetBlockKind() const { return block_.GetKind(); }
Sstring Layer::GetBlockModel() const { return block_.GetModel(); }
Network& Layer::GetNetwork() const { return block_.GetNetwork(); }
EventPriorityQueue& Layer::Queue() const { return block_.GetNetwork().Queue(); }

Sstring Layer::NetworkPath() const {
  Sstring path;
  GetNetwork().GetParam("Path", path);
  return path;
}

void Layer::Fill(Event& e, double t, Name type, Name block, Name layer, Name connection) const {
  e.time = t;
  e.type = type;
  e.sourceBlock = GetBlockNameId();
  e.destinationBlock = block;
  e.sourceLayer = nameId_;
  e.destinationLayer = layer;
  e.connection = connection;
}

void Layer::SchedulePlain(double t, Name type, Name connection, Name messageType) {
  EventPriorityQueue& q = Queue();
  uint32_t slot = q.Slot();
  Event& e = q.At(slot);
  Fill(e, t, type, GetBlockNameId(), nameId_, connection);
  e.messageType = messageType;
  e.message = std::monostate{};
  q.Push(slot);
}

void Layer::ScheduleSelf(double t, Name type) {
  SchedulePlain(t, type, Word::UNNECESSARY, Word::NONE_MESSAGE);
}

void Layer::ScheduleSelf(double t, Name type, Name connection) {
  SchedulePlain(t, type, connection, Word::UNNECESSARY);
}

std::string FirstLast(const Sstring& name) {
  if (name.empty()) return std::string();
  return std::string(1, name[0]) + name[name.length() - 1];
}

bool UsablePeriod(const Network& net, double period) {
  constexpr double kMaxRepetitions = 1e9;
  if (!std::isfinite(period) || !(period > 0)) return false;
  double end = net.GetKernel().RunEndTime();
  return !(end > 0) || end / period <= kMaxRepetitions;
}

bool OpenRunFileOf(Network& net, std::ofstream& f, const std::string& shortName,
                   const std::string& longName) {
  std::ostream& out = platform::Out();
  std::string path = shortName;
  if (!net.ClaimRunFile(path)) {
    path = longName;
    if (!net.ClaimRunFile(path)) return false;
    out << "run warning: " << Sstring(shortName) << " is taken by another log of this run; writing "
        << Sstring(longName) << '\n';
  }
  platform::EnsureParentDirectory(path);
  f = platform::OpenForWriting(path);
  if (!f) {
    out << "run warning: cannot create the file " << Sstring(path) << '\n';
    return false;
  }
  net.AddRunStream(&f);
  return true;
}

bool Layer::OpenRunFile(std::ofstream& f, const std::string& shortName,
                        const std::string& longName) {
  return OpenRunFileOf(GetNetwork(), f, shortName, longName);
}

bool OpenShortNamedLogOf(Network& net, std::ofstream& f, const std::string& path,
                         const Sstring& block, const Sstring& owner, const char* prefix) {
  const std::string tail = std::string("_") + prefix + ".dat";
  return OpenRunFileOf(net, f, path + FirstLast(block) + "_" + FirstLast(owner) + tail,
                       path + block.str() + "_" + owner.str() + tail);
}

bool Layer::OpenShortNamedLog(std::ofstream& f, const char* prefix) {
  return OpenShortNamedLogOf(GetNetwork(), f, NetworkPath().str(), GetBlockName(), name_, prefix);
}

std::ostream& RunWarning(const Sstring& block, const char* kind, const Sstring& owner) {
  return platform::Out() << "run warning: block " << block << ' ' << kind << ' ' << owner << ": ";
}

void ReportNonsense(const Sstring& block, const char* kind, const Sstring& owner,
                    const char* parameter, const char* consequence) {
  RunWarning(block, kind, owner) << "parameter " << Sstring(parameter) << " makes no sense; "
                                 << consequence << '\n';
}

void Layer::ReportBadParameter(const char* parameter) const {
  ReportNonsense(GetBlockName(), "layer", name_, parameter, "the layer stays silent in this run");
}
