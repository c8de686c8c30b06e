// Parameter sets: storage, listing forms and the parameter record reader.
#include "core/Param.h"

#include <algorithm>
#include <istream>
#include <ostream>

SimDictionary::const_iterator SimDictionary::LowerBound(const Sstring& name) const {
  return std::lower_bound(items_.begin(), items_.end(), name,
                          [](const value_type& item, const Sstring& n) { return item.first < n; });
}

Parameter& SimDictionary::operator[](const Sstring& name) {
  auto at = items_.begin() + (LowerBound(name) - items_.cbegin());
  if (at == items_.end() || at->first != name) at = items_.insert(at, {name, Parameter()});
  return at->second;
}

const SimDictionary& Param::Dict() const {
  static const SimDictionary kNone;
  return params_ ? *params_ : kNone;
}

SimDictionary& Param::Own() {
  if (!params_) params_ = std::make_shared<SimDictionary>();
  else if (params_.use_count() > 1) params_ = std::make_shared<SimDictionary>(*params_);
  return *params_;
}

void Param::PutDefaults(const Param& defaults) {
  if (Dict().empty()) {
    params_ = defaults.params_;
    return;
  }
  for (const auto& [name, p] : defaults.Dict())
    Install(name, p.value, p.description.str(), p.option.str());
}

void Param::Install(const Sstring& name, Joker value, const Sstring& description,
                    const Sstring& option) {
  Parameter& p = Own()[name];  // an existing record keeps its texts
  p.value = std::move(value);
  if (!description.empty()) p.description = description;
  if (!option.empty()) p.option = option;
}

const Parameter* Param::GetParameter(const Sstring& name) const {
  const SimDictionary& d = Dict();
  auto it = d.find(name);
  return it == d.end() ? nullptr : &it->second;
}

int Param::GetSizeParam(const Sstring& name, long& lines, long& cols) const {
  const Parameter* p = GetParameter(name);
  if (!p) return 0;
  lines = p->value.Rows();
  cols = p->value.Cols();
  return 1;
}

Sstring Param::GetTypeParam(const Sstring& name) const {
  const Parameter* p = GetParameter(name);
  return p ? p->value.Type() : Sstring();
}

void Param::PutParam(const Param& other) {
  if (&other == this) return;
  for (const auto& [name, p] : other.Dict()) Own()[name] = p;
}

void Param::GetAllParamName(std::vector<Sstring>& names) const {
  names.clear();
  names.reserve(Dict().size());
  for (const auto& kv : Dict()) names.push_back(kv.first);
}

namespace {
// The exact style is read back by scripts: texts are written as script
// words, and one that would begin a line with "#" (which load skips) stays
// on the line before.
void WriteSingle(std::ostream& out, const Sstring& name, const Parameter& p, NumberStyle style) {
  const bool exact = style == NumberStyle::Exact;
  auto line = [&](const Sstring& t) {
    const std::string text = exact ? ScriptWord(t) : Quoted(t);
    return (exact && text[0] == '#' ? " " : "\n") + text;
  };
  out << (exact ? ScriptWord(name) : Quoted(name)) << ' ';
  p.value.Write(out, style);
  out << line(p.description.str()) << line(p.option.str()) << "\n\n";
}
}  // namespace

void Param::GetParam(std::ostream& out) const {
  for (const auto& [name, p] : Dict()) {
    out << blockName_ << ' ';
    WriteSingle(out, name, p, NumberStyle::Screen);
  }
}

int Param::GetParam(const Sstring& name, std::ostream& out, NumberStyle style) const {
  const Parameter* p = GetParameter(name);
  if (!p) return 0;
  WriteSingle(out, name, *p, style);
  return 1;
}

int Param::LoadParamIs(std::istream& in) {
  Sstring name;
  in >> name;
  if (name.empty()) return 0;
  Parameter p;
  if (!p.value.Read(in)) return 0;
  Sstring description, option;
  in >> description >> option;
  p.description = description;
  p.option = option;
  Own()[name] = std::move(p);
  return 1;
}

int Param::GetParam_VB(Sstring& names) const {
  std::string s;
  for (const auto& [name, p] : Dict())
    if (p.option != "HIDE") s += name.str() + ';';
  names = Sstring(std::move(s));
  return 1;
}

Sstring Param::GetParam_VB(const Sstring& name, long line, long col) const {
  const Parameter* p = GetParameter(name);
  return p ? p->value.Get(line, col) : Sstring();
}

int Param::PutParam_VB(const Sstring& name, const Sstring& type, long lines, long cols,
                       const Sstring& text) {
  if (!Dict().count(name)) return 0;
  auto it = Own().find(name);
  it->second.value.Put(type, lines, cols, text);
  return 1;
}

int Param::PutParam_VB(const Sstring& name, long line, long col, const Sstring& text) {
  if (!Dict().count(name)) return 0;
  return Own().find(name)->second.value.Put(line, col, text);
}

std::ostream& operator<<(std::ostream& out, const Param& p) {
  for (const auto& [name, prm] : p.Dict()) {
    out << "param " << p.blockName_ << ' ';
    WriteSingle(out, name, prm, NumberStyle::Screen);
  }
  return out;
}

std::istream& operator>>(std::istream& in, Param& p) {
  p.LoadParamIs(in);
  return in;
}
