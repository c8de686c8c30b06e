// DataKeys: the names of the entries that the network, its blocks and their
// components keep in their data tables - one spelling for every reader and
// writer (the legacy spellings, "categorie" included, are part of saved files).
#pragma once
#include "core/Sstring.h"

namespace datakey {
// A VCC's record in the network's table (see VccRecord.h for its path and links).
inline const Sstring kStatus{"Status"};              // "EMPTY" or "BUSY"
inline const Sstring kCategory{"Service categorie"};  // also per block and per DC
inline const Sstring kBandwidth{"Bandwidth"};
inline const Sstring kNumberOfBlocks{"Number of blocks"};
inline const Sstring kNumberOfLinks{"Number of links"};
// A VCC's entries in the blocks it crosses, under the VCC's identifier.
inline const Sstring kOutputPort{"Output port"};
inline const Sstring kInputPort{"Input port"};
inline const Sstring kOutputVpi{"Output VPI"};
inline const Sstring kOutputVci{"Output VCI"};
inline const Sstring kInputVpi{"Input VPI"};
inline const Sstring kInputVci{"Input VCI"};
// A data connection's record, in the network and its blocks.
inline const Sstring kNCI{"NCI"};  // the VCC the data connection travels on
inline const Sstring kDirection{"Direction"};  // "Output" or "Input", in an application
inline const Sstring kOutput{"Output"};
inline const Sstring kInput{"Input"};
inline const Sstring kAalLayer{"AAL Layer"};
inline const Sstring kBeginApplication{"Begin application name"};
inline const Sstring kEndApplication{"End application name"};
inline const Sstring kBeginBlock{"Begin block name"};
inline const Sstring kEndBlock{"End block name"};
// Wiring of a block: ("DBN", own layer) -> the block beyond it, ("DLN", peer
// block) -> the own layer facing it.
inline const Sstring kDBN{"DBN"};
inline const Sstring kDLN{"DLN"};
// A physical layer's queues, under the layer's name.
inline const Sstring kPhyQueue{"PHY_QS"};
inline const Sstring kAtmQueue{"ATM_QS"};
// The network's interface words: ("Interfaces", "Interface_A_B").
inline const Sstring kInterfaces{"Interfaces"};
}  // namespace datakey
