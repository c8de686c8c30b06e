// LayerTable: how a block model maps layer-type words to layer classes; each
// model keeps one small table and one routine reads it.
#pragma once
#include <memory>

#include "model/Layer.h"

class Block;

struct LayerRow {
  const char* type;
  std::unique_ptr<Layer> (*make)(const Sstring& name, const Sstring& type, Block& block);
};

template <class L>
std::unique_ptr<Layer> MakeLayer(const Sstring& name, const Sstring& type, Block& block) {
  return std::make_unique<L>(name, type, block);
}

// The layer of that type from the table, or null for a type it does not list.
template <size_t N>
std::unique_ptr<Layer> MakeFromTable(const LayerRow (&rows)[N], const Sstring& name,
                                     const Sstring& type, Block& block) {
  for (const LayerRow& row : rows)
    if (type == row.type) return row.make(name, type, block);
  return nullptr;
}
