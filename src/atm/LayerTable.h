// LayerTable: how a block model maps layer-type words to layer classes; each
// model keeps one small table and one routine reads it. A row also gives the
// class's parameter rows for listings.
#pragma once
#include <memory>
#include <vector>

#include "model/Layer.h"
#include "model/ParameterTable.h"

class Block;

struct LayerRow {
  const char* type;
  std::unique_ptr<Layer> (*make)(const Sstring& name, const Sstring& type, Block& block);
  std::vector<ParameterInfo> (*describe)();
};
using LayerTable = std::vector<LayerRow>;

template <class L>
std::unique_ptr<Layer> MakeLayer(const Sstring& name, const Sstring& type, Block& block) {
  return std::make_unique<L>(name, type, block);
}

// The row of layer class L under a type word.
template <class L>
LayerRow LayerOf(const char* type) {
  return {type, &MakeLayer<L>, &L::DescribeParameters};
}

// The layer of that type from the table, or null for a type it does not list.
inline std::unique_ptr<Layer> MakeFromTable(const LayerTable& rows, const Sstring& name,
                                            const Sstring& type, Block& block) {
  for (const LayerRow& row : rows)
    if (type == row.type) return row.make(name, type, block);
  return nullptr;
}
