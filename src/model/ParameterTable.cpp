// ParameterTable: default values and the listing of every kind's parameters.
#include "model/ParameterTable.h"

#include <ostream>
#include <sstream>

#include "model/Network.h"

ParameterInfo DescribeRow(const char* name, const ParamDefault& value, const char* description,
                          const char* option) {
  Joker j;
  std::ostringstream text;
  std::visit(
      [&](auto v) {
        j.Put(v);
        if constexpr (std::is_same_v<decltype(v), const char*>)
          WriteElement(text, Sstring(v), NumberStyle::Exact);
        else
          WriteElement(text, v, NumberStyle::Exact);
      },
      value);
  return {name, j.Type().str(), text.str(), description, option};
}

namespace {
std::vector<ParameterKind>& Kinds() {
  static std::vector<ParameterKind> kinds{{"network", &Network::DescribeParameters}};
  return kinds;
}
}  // namespace

void RegisterParameterKind(const std::string& kind, std::vector<ParameterInfo> (*describe)()) {
  for (ParameterKind& k : Kinds())
    if (k.kind == kind) {
      k.describe = describe;
      return;
    }
  Kinds().push_back({kind, describe});
}

const std::vector<ParameterKind>& ParameterKinds() { return Kinds(); }

void WriteParameterKinds(std::ostream& out) {
  for (const ParameterKind& k : ParameterKinds())
    for (const ParameterInfo& p : k.describe())
      out << k.kind << '\t' << p.name << '\t' << p.type << '\t' << p.defaultValue << '\t'
          << p.description << '\t' << p.option << '\n';
}
