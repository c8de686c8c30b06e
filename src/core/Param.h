// Parameter and Param: named, typed parameters with a description and an
// option, kept in ascending byte order of their names. Every network, block,
// layer and queueing system is a Param.
#pragma once
#include <iosfwd>
#include <memory>
#include <utility>
#include <vector>

#include "core/Joker.h"
#include "core/Name.h"

// A parameter's description or option. The texts are interned: objects of
// one kind share them, and a parameter set copied to change one value copies
// no text.
class ParameterText {
 public:
  ParameterText() = default;
  ParameterText(const Sstring& text) : name_(text) {}

  const std::string& str() const { return name_.str().str(); }
  bool empty() const { return name_.empty(); }
  friend bool operator==(const ParameterText& a, const char* b) { return a.str() == b; }
  friend bool operator!=(const ParameterText& a, const char* b) { return a.str() != b; }
  // Quoted, as Sstring writes.
  friend std::ostream& operator<<(std::ostream& out, const ParameterText& t) {
    return out << t.name_;
  }

 private:
  Name name_;
};

struct Parameter {
  Joker value;
  ParameterText description;
  ParameterText option;
};

// Parameters by name, in byte-wise order of the names: a sorted array, as
// a set holds a handful and a large network thousands of sets.
class SimDictionary {
 public:
  using value_type = std::pair<Sstring, Parameter>;
  using iterator = std::vector<value_type>::iterator;
  using const_iterator = std::vector<value_type>::const_iterator;

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  const_iterator find(const Sstring& name) const {
    auto it = LowerBound(name);
    return it != items_.end() && it->first == name ? it : items_.end();
  }
  iterator find(const Sstring& name) {
    return items_.begin() + (static_cast<const SimDictionary&>(*this).find(name) - items_.cbegin());
  }
  size_t count(const Sstring& name) const { return find(name) != items_.end() ? 1 : 0; }
  // The parameter under name, added empty if absent.
  Parameter& operator[](const Sstring& name);
  void erase(const Sstring& name) {
    auto it = find(name);
    if (it != items_.end()) items_.erase(it);
  }

 private:
  const_iterator LowerBound(const Sstring& name) const;

  std::vector<value_type> items_;
};

class Param {
 public:
  Param() = default;
  virtual ~Param() = default;

  // Stores a value under name. An existing parameter's description and option
  // are kept unless a non-empty new one is given.
  template <class T>
  void PutParam(const Sstring& name, const T& value, const Sstring& description = Sstring(),
                const Sstring& option = Sstring()) {
    Joker j;
    j.Put(value);
    Install(name, std::move(j), description, option);
  }
  void PutParam(const Sstring& name, const char* value, const Sstring& description = Sstring(),
                const Sstring& option = Sstring()) {
    PutParam(name, Sstring(value), description, option);
  }
  template <class T>
  void PutParam(const Sstring& name, const T* values, long n, const Sstring& description,
                const Sstring& option) {
    Install(name, Joker(values, n), description, option);
  }
  template <class T>
  void PutParam(const Sstring& name, T* const* values, long lines, long cols,
                const Sstring& description, const Sstring& option) {
    Install(name, Joker(values, lines, cols), description, option);
  }

  // 1 and the value (converted as Joker::Get allows), or 0. Only the nine
  // element types qualify, so that GetParam(name, stream) prints.
  template <class T, class = std::enable_if_t<kIsElement<T>>>
  int GetParam(const Sstring& name, T& out) const {
    const Parameter* p = GetParameter(name);
    return p ? p->value.Get(out) : 0;
  }
  template <class T, class = std::enable_if_t<kIsElement<T>>>
  int GetParam(const Sstring& name, T* out) const {
    const Parameter* p = GetParameter(name);
    return p ? p->value.Get(out) : 0;
  }
  template <class T, class = std::enable_if_t<kIsElement<T>>>
  int GetParam(const Sstring& name, T** out) const {
    const Parameter* p = GetParameter(name);
    return p ? p->value.Get(out) : 0;
  }

  void ClearParam() { params_.reset(); }
  void SetParamBlockName(const Sstring& name) { blockName_ = Name(name); }
  const Sstring& GetParamBlockName() const { return blockName_.str(); }

  const Parameter* GetParameter(const Sstring& name) const;
  void PutParameter(const Sstring& name, Parameter p) { Own()[name] = std::move(p); }
  int GetSizeParam(const Sstring& name, long& lines, long& cols) const;
  Sstring GetTypeParam(const Sstring& name) const;
  void DelParam(const Sstring& name) {
    if (Dict().count(name)) Own().erase(name);
  }
  void PutParam(const Param& other);
  void GetAllParamName(std::vector<Sstring>& names) const;
  const SimDictionary& Parameters() const { return Dict(); }
  // Installs the parameters of `defaults` as PutParam would, one by one. An
  // object without parameters shares the defaults' storage until it changes
  // a parameter (objects of one kind mostly keep their defaults).
  void PutDefaults(const Param& defaults);

  // Listing form of every parameter (block name first on each).
  void GetParam(std::ostream& out) const;
  // Single-parameter form; 0 (nothing written) when the name is absent.
  int GetParam(const Sstring& name, std::ostream& out,
               NumberStyle style = NumberStyle::Screen) const;

  // Reads one parameter record (name, value, description, option) and stores
  // it, replacing any parameter of that name. Returns 0 and stores nothing
  // when the name is empty or the type, sizes or elements cannot be read; a
  // missing description or option is accepted as empty.
  int LoadParamIs(std::istream& in);

  // Text-only access for an external front end.
  int GetParam_VB(Sstring& names) const;
  Sstring GetParam_VB(const Sstring& name, long line, long col) const;
  int PutParam_VB(const Sstring& name, const Sstring& type, long lines, long cols,
                  const Sstring& text);
  int PutParam_VB(const Sstring& name, long line, long col, const Sstring& text);

  friend std::ostream& operator<<(std::ostream& out, const Param& p);
  friend std::istream& operator>>(std::istream& in, Param& p);

 private:
  void Install(const Sstring& name, Joker value, const Sstring& description,
               const Sstring& option);

  const SimDictionary& Dict() const;
  // The parameters for writing: a shared set is copied first.
  SimDictionary& Own();

  std::shared_ptr<SimDictionary> params_;  // null while there is none
  Name blockName_;  // the owner's name, interned (blocks and components have theirs interned)
};
