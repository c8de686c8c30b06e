// One of two translation units that include every core and model header and
// are linked into one program: a header that defines a non-inline variable
// makes the link fail with a multiple definition.
#include "core/Cell.h"
#include "core/CellPriorityQueue.h"
#include "core/DataTable.h"
#include "core/DatFormat.h"
#include "core/ElementTypes.h"
#include "core/Joker.h"
#include "core/Name.h"
#include "core/NewestFirstMap.h"
#include "core/NumberFormat.h"
#include "core/Param.h"
#include "core/Primitives.h"
#include "core/Random.h"
#include "core/Sstring.h"
#include "core/Statistics.h"
#include "model/Block.h"
#include "model/Event.h"
#include "model/EventPriorityQueue.h"
#include "model/Kernel.h"
#include "model/Layer.h"
#include "model/Network.h"

int UnitTwo();

int main() { return UnitTwo(); }
