// Data tables: the data record reader, deletion and the listing.
#include "core/DataTable.h"

#include <istream>
#include <ostream>

int DataTable::LoadData(std::istream& in, std::ostream& out) {
  Sstring key, name, type;
  if (in.eof() || !(in >> key, !key.empty())) {
    out << "table error: missing parameters 'key name type value'\n";
    return 0;
  }
  if (in.eof() || !(in >> name, !name.empty())) {
    out << "table error: missing parameters 'name type value'\n";
    return 0;
  }
  if (in.eof() || !(in >> type, !type.empty())) {
    out << "table error: missing parameters 'type value'\n";
    return 0;
  }
  if (in.eof()) {
    out << "table error: missing parameter 'value'\n";
    return 0;
  }
  bool ok = true;
  WithElementType(type, [&](auto proto) {
    using T = decltype(proto);
    T v{};
    if (ReadElement(in, v)) PutData(key, name, v);
    else ok = false;
  });
  if (!ok) {
    out << "table error: missing parameter 'value'\n";
    return 0;
  }
  return 1;
}

// A key that is not there is not made by looking.
int DataTable::DelData(const Sstring& key, const Sstring& name) {
  Row* row = MutableRow(key);
  if (!row || !row->Erase(name)) return 0;
  Changed(key);
  return 1;
}

int DataTable::DelKey(const Sstring& key) {
  Row* row = MutableRow(key);
  if (!row) return 0;
  row->Clear();
  Changed(key);
  return 1;
}

std::vector<Sstring> DataTable::AllKeys() const {
  std::vector<Sstring> keys;
  keys.reserve(data_.Size());
  data_.ForEach([&](Name k, const Row&) { keys.push_back(k.str()); });
  return keys;
}

void DataTable::ShowTable(std::ostream& out) const {
  data_.ForEach([&](Name key, const Row& row) {
    row.ForEach([&](const Sstring& name, const Scalar& value) {
      out << key << ' ' << name << ' ';
      WriteScalar(out, value, NumberStyle::Screen);
      out << '\n';
    });
  });
  out << '\n';
}
