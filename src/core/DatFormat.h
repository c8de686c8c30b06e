// DatFormat: the line writer of the ".dat" statistics files. Every value is
// written left-aligned in a 21-character field (doubles with 16 significant
// digits, counters as plain integers), fields separated by one blank.
#pragma once
#include <initializer_list>
#include <iosfwd>

// One column value of a data line: a double or an integer counter.
class DatValue {
 public:
  DatValue(double v) : kind_(Kind::Double) { d_ = v; }
  DatValue(float v) : DatValue(static_cast<double>(v)) {}
  DatValue(short v) : DatValue(static_cast<long long>(v)) {}
  DatValue(int v) : DatValue(static_cast<long long>(v)) {}
  DatValue(long v) : DatValue(static_cast<long long>(v)) {}
  DatValue(long long v) : kind_(Kind::Signed) { s_ = v; }
  DatValue(unsigned short v) : DatValue(static_cast<unsigned long long>(v)) {}
  DatValue(unsigned v) : DatValue(static_cast<unsigned long long>(v)) {}
  DatValue(unsigned long v) : DatValue(static_cast<unsigned long long>(v)) {}
  DatValue(unsigned long long v) : kind_(Kind::Unsigned) { u_ = v; }

  // Writes the padded field into buf (at least 32 bytes); returns its length.
  int Format(char* buf, int size) const;

 private:
  enum class Kind { Double, Signed, Unsigned };
  Kind kind_;
  union {
    double d_;
    long long s_;
    unsigned long long u_;
  };
};

// One data line: the values in 21-character fields, one blank apart, then a
// line end (the last field is padded too).
void WriteDatLine(std::ostream& out, std::initializer_list<DatValue> values);
// The header line: the column names separated by single blanks, then a line end.
void WriteDatHeader(std::ostream& out, std::initializer_list<const char*> names);
