// BlockModels: model word -> factory.
#include "model/BlockModels.h"

#include <unordered_map>

#include "model/Block.h"

namespace {
std::unordered_map<Sstring, BlockFactory>& Models() {
  static std::unordered_map<Sstring, BlockFactory> models;
  return models;
}
}  // namespace

void RegisterBlockModel(const char* model, BlockFactory make) { Models()[Sstring(model)] = make; }

std::unique_ptr<Block> MakeBlock(const Sstring& model, const Sstring& name, Network& network) {
  auto it = Models().find(model);
  return it == Models().end() ? nullptr : it->second(name, network);
}
