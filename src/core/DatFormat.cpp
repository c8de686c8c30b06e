// DatFormat: formats a whole ".dat" line into one buffer and writes it at once.
#include "core/DatFormat.h"

#include <cstdio>
#include <cstring>
#include <ostream>

int DatValue::Format(char* buf, int size) const {
  switch (kind_) {
    case Kind::Double:
      return std::snprintf(buf, size, "%-21.16g", d_);
    case Kind::Signed:
      return std::snprintf(buf, size, "%-21lld", s_);
    case Kind::Unsigned:
      return std::snprintf(buf, size, "%-21llu", u_);
  }
  return 0;
}

void WriteDatLine(std::ostream& out, std::initializer_list<DatValue> values) {
  // The longest field is 24 characters ("-1.234567890123457e-308"); with the
  // separator each takes well under 40 bytes.
  constexpr int kFieldRoom = 40;
  char buf[1024];
  int pos = 0;
  bool first = true;
  for (const DatValue& v : values) {
    if (pos + kFieldRoom > static_cast<int>(sizeof buf)) {
      out.write(buf, pos);
      pos = 0;
    }
    if (!first) buf[pos++] = ' ';
    first = false;
    pos += v.Format(buf + pos, kFieldRoom);
  }
  buf[pos++] = '\n';
  out.write(buf, pos);
}

void WriteDatHeader(std::ostream& out, std::initializer_list<const char*> names) {
  bool first = true;
  for (const char* n : names) {
    if (!first) out.put(' ');
    first = false;
    out.write(n, static_cast<std::streamsize>(std::strlen(n)));
  }
  out.put('\n');
}
