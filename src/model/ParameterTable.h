// ParameterTable: the parameters of a class declared once, as rows of name,
// default, description, option and the member the value fills. One routine
// installs the rows on a new object (construction), one copies the current
// values into the members (every Start), one describes them for listings.
#pragma once
#include <map>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/Param.h"

// A default value, of one of the element types parameters use.
using ParamDefault = std::variant<short, unsigned, float, double, const char*>;

// The member of C a parameter fills; monostate for a parameter read where it
// is used rather than at Start.
template <class C>
using ParamMember =
    std::variant<std::monostate, short C::*, unsigned C::*, float C::*, double C::*, Sstring C::*>;

template <class C>
struct ParamRow {
  ParamRow(const char* name_, ParamDefault value_, const char* description_,
           ParamMember<C> member_ = std::monostate{}, const char* option_ = "SHOW")
      : name(name_),
        key(name_),
        value(value_),
        description(description_),
        member(member_),
        option(option_) {}
  const char* name;
  Sstring key;  // the name as parameter sets look it up, made once with the table
  ParamDefault value;
  const char* description;
  ParamMember<C> member;
  const char* option;
};

template <class C>
using ParamTable = std::vector<ParamRow<C>>;

// Installs every row on p: default value, description and option. The rows
// are made into parameters once per table (tables are static), and objects
// share them until they change one.
template <class C>
void DeclareParameters(Param& p, const ParamTable<C>& rows) {
  static std::map<const ParamTable<C>*, Param> made;
  const bool fresh = made.count(&rows) == 0;
  Param& defaults = made[&rows];
  if (fresh)
    for (const ParamRow<C>& row : rows)
      std::visit([&](auto v) { defaults.PutParam(row.name, v, row.description, row.option); },
                 row.value);
  p.PutDefaults(defaults);
}

// Copies every parameter of `from` that has a member into that member of
// `into`. A parameter deleted, or holding a value the member's type cannot
// take, leaves the member as it was.
template <class C>
void LoadParameters(const Param& from, const ParamTable<C>& rows, C& into) {
  for (const ParamRow<C>& row : rows)
    std::visit(
        [&](auto member) {
          if constexpr (!std::is_same_v<decltype(member), std::monostate>)
            from.GetParam(row.key, into.*member);
        },
        row.member);
}
// The same for an object that is its own parameter set.
template <class C>
void LoadParameters(C& obj, const ParamTable<C>& rows) {
  LoadParameters(obj, rows, obj);
}

// One parameter as listings show it.
struct ParameterInfo {
  std::string name;
  std::string type;          // the element type keyword, e.g. "double"
  std::string defaultValue;  // as a parameter record writes it
  std::string description;
  std::string option;
};

// One row as listings show it (the default written exactly).
ParameterInfo DescribeRow(const char* name, const ParamDefault& value, const char* description,
                          const char* option);

template <class C>
std::vector<ParameterInfo> DescribeParameters(const ParamTable<C>& rows) {
  std::vector<ParameterInfo> infos;
  for (const ParamRow<C>& row : rows)
    infos.push_back(DescribeRow(row.name, row.value, row.description, row.option));
  return infos;
}

// The parameters of one kind of object: the network, a block model, a layer
// type of a block model, the queueing system.
struct ParameterKind {
  std::string kind;  // e.g. "network", "block ATM Switch", "layer ATM B-TE ATM_LAYER"
  std::vector<ParameterInfo> (*describe)();
};

// Adds a kind to the listing (the folders above register theirs); a kind
// registered again replaces the earlier entry.
void RegisterParameterKind(const std::string& kind, std::vector<ParameterInfo> (*describe)());
// Every kind registered, the network first, in the order of registration.
const std::vector<ParameterKind>& ParameterKinds();
// Writes every kind's rows, one per line: kind, name, type, default,
// description and option, separated by tabs.
void WriteParameterKinds(std::ostream& out);
