// VccRecord: a VCC's path and links as its record in the network's table
// holds them - "Block_1" .. "Block_n" with n under "Number of blocks", and
// "Link_j_Begin", "Link_j_End", "Link_j_VPI", "Link_j_VCI" with the count
// under "Number of links". The one place that knows these entry names.
#pragma once
#include "core/DataTable.h"
#include "model/DataKeys.h"

enum class LinkPart { Begin, End, Vpi, Vci };
constexpr LinkPart kLinkParts[] = {LinkPart::Begin, LinkPart::End, LinkPart::Vpi, LinkPart::Vci};

// The entry names.
Sstring VccBlockEntry(int i);
Sstring VccLinkEntry(int j, LinkPart part);

struct VccLink {
  Sstring begin, end;
  unsigned vpi = 0, vci = 0;
};

// Reads one VCC record; reads never add a key. Missing entries read as
// empty names and zero labels.
class VccRecord {
 public:
  VccRecord(const DataTable& table, const Sstring& nci) : table_(table), nci_(nci) {}

  // The number of blocks on the path; false when the record holds none.
  bool BlockCount(short& n) const { return table_.PeekData(nci_, datakey::kNumberOfBlocks, n) != 0; }
  short BlockCount() const {
    short n = 0;
    BlockCount(n);
    return n;
  }
  // Block i of the path (1 is the first).
  Sstring Block(int i) const;
  // Whether the block lies on the path.
  bool OnPath(const Sstring& block) const;

  // The number of links; false when the record holds none.
  bool LinkCount(short& m) const { return table_.PeekData(nci_, datakey::kNumberOfLinks, m) != 0; }
  short LinkCount() const {
    short m = 0;
    LinkCount(m);
    return m;
  }
  // Link j (1 is the first).
  VccLink Link(int j) const;
  // Begin and end of link j; false unless both are there.
  bool LinkEnds(int j, Sstring& begin, Sstring& end) const;

 private:
  const DataTable& table_;
  const Sstring& nci_;
};
