// Parameter, data and key commands and their diagnostics.
#include "console/ParameterCommands.h"

#include <istream>
#include <sstream>
#include <string>
#include <vector>

#include "console/CommandReader.h"
#include "core/DataTable.h"
#include "core/ElementTypes.h"
#include "core/Joker.h"
#include "core/NameHint.h"
#include "core/Param.h"

namespace {

// The text from the stream's position to the end, leaving the stream as it
// was.
std::string Rest(std::istream& in) {
  in.clear();
  const std::streampos at = in.tellg();
  std::string rest;
  if (at >= 0) {
    std::ostringstream copy;
    copy << in.rdbuf();
    rest = copy.str();
    in.clear();
    in.seekg(at);
  }
  return rest;
}

std::vector<std::string> ParameterNames(const Param& p) {
  std::vector<std::string> names;
  for (const auto& [name, parameter] : p.Parameters()) names.push_back(name.str());
  return names;
}

std::string ElementTypeNames() {
  std::string list = ElementKeywordList().str(), s;
  for (size_t start = 0, end; (end = list.find(';', start)) != std::string::npos; start = end + 1)
    s += (s.empty() ? "" : ", ") + Quoted(list.substr(start, end - start));
  return s;
}

// Why a parameter record cannot be read, found by reading it again.
std::string RecordFault(const std::string& record) {
  std::istringstream in(record);
  Sstring name, type;
  if (!(in >> name) || name.empty()) return "the record has no parameter name";
  if (!(in >> type) || type.empty()) return "parameter " + Quoted(name) + " has no type";
  if (!IsElementKeyword(type))
    return "unknown type " + Quoted(type) + " (the types are " + ElementTypeNames() + ")";
  long long lines = -1, cols = -1;
  if (!(in >> lines >> cols) || !Joker::SizeAllowed(lines, cols))
    return "the lines and columns of " + Quoted(name) + " are not two whole numbers of a size "
           "a value may have";
  bool ok = true;
  long long read = 0;
  WithElementType(type, [&](auto proto) {
    using T = decltype(proto);
    for (; read < lines * cols; ++read) {
      T v{};
      if (!ReadElement(in, v)) {
        ok = false;
        return;
      }
    }
  });
  if (ok) return std::string();
  in.clear();
  std::string word;
  in >> word;
  const long long n = lines * cols;
  return Quoted(name) + " needs " + std::to_string(n) + (n == 1 ? " value" : " values") +
         " of type " + Quoted(type) + "; value " + std::to_string(read + 1) +
         (word.empty() ? " is missing" : " " + Quoted(word) + " is not one");
}

}  // namespace

int PutParameter(CommandContext& c) {
  Param& target = c.TargetParam();
  const std::string record = Rest(c.in);
  std::istringstream first(record);
  Sstring name;
  first >> name;
  const bool added = !name.empty() && !target.GetParameter(name);
  std::vector<std::string> names;
  if (added) names = ParameterNames(target);
  if (c.in.eof() || !target.LoadParamIs(c.in)) {
    if (!record.empty()) {
      const std::string fault = RecordFault(record);
      if (!fault.empty()) c.Error(fault);
    }
    return c.Missing(c.LastArg());
  }
  if (added) {
    const std::string close = ClosestName(name.str(), names);
    c.Warn("adds parameter " + Quoted(name) + ", which " + c.TargetText() +
           " did not have and does not read" +
           (close.empty() ? std::string() : "; did you mean " + Quoted(close) + "?"));
  }
  return 1;
}

int DelParameter(CommandContext& c) {
  Param& target = c.TargetParam();
  const Sstring& name = c.LastWord();
  if (!target.GetParameter(name)) {
    c.Warn(c.TargetText() + " has no parameter " + Quoted(name) + "; nothing was deleted" +
           NameHint(name.str(), ParameterNames(target), "parameters"));
  }
  target.DelParam(name);
  return 1;
}

int PutData(CommandContext& c) {
  std::istringstream words(Rest(c.in));
  Sstring key, name, type;
  words >> key >> name >> type;
  if (!type.empty() && !IsElementKeyword(type))
    return c.Error("unknown type " + Quoted(type) + " (the types are " + ElementTypeNames() +
                   "); nothing was stored");
  return c.TargetTable().LoadData(c.in, c.out);
}

int DelKey(CommandContext& c) {
  if (c.TargetTable().DelKey(c.LastWord())) return 1;
  return c.Error("the table of " + c.TargetText() + " has no key " + Quoted(c.LastWord()));
}

int DelData(CommandContext& c) {
  const Sstring& key = c.words[c.LastArg() - 1];
  DataTable& table = c.TargetTable();
  if (table.DelData(key, c.LastWord())) return 1;
  if (!table.HasKey(key))
    return c.Error("the table of " + c.TargetText() + " has no key " + Quoted(key));
  return c.Error("the table of " + c.TargetText() + " has no entry " + Quoted(c.LastWord()) +
                 " under key " + Quoted(key));
}
