// VccRecord: entry names and reads of a VCC's path and links.
#include "model/VccRecord.h"

#include <string>

Sstring VccBlockEntry(int i) { return Sstring("Block_" + std::to_string(i)); }

Sstring VccLinkEntry(int j, LinkPart part) {
  static const char* const kSuffix[] = {"_Begin", "_End", "_VPI", "_VCI"};
  return Sstring("Link_" + std::to_string(j) + kSuffix[static_cast<int>(part)]);
}

Sstring VccRecord::Block(int i) const {
  Sstring b;
  table_.PeekData(nci_, VccBlockEntry(i), b);
  return b;
}

bool VccRecord::OnPath(const Sstring& block) const {
  const short n = BlockCount();
  for (int i = 1; i <= n; ++i)
    if (Block(i) == block) return true;
  return false;
}

VccLink VccRecord::Link(int j) const {
  VccLink l;
  table_.PeekData(nci_, VccLinkEntry(j, LinkPart::Begin), l.begin);
  table_.PeekData(nci_, VccLinkEntry(j, LinkPart::End), l.end);
  table_.PeekData(nci_, VccLinkEntry(j, LinkPart::Vpi), l.vpi);
  table_.PeekData(nci_, VccLinkEntry(j, LinkPart::Vci), l.vci);
  return l;
}

bool VccRecord::LinkEnds(int j, Sstring& begin, Sstring& end) const {
  return table_.PeekData(nci_, VccLinkEntry(j, LinkPart::Begin), begin) &&
         table_.PeekData(nci_, VccLinkEntry(j, LinkPart::End), end);
}
