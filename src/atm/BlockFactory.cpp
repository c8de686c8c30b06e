// BlockFactory: the table of block models.
#include "atm/BlockFactory.h"

#include "atm/Application.h"
#include "atm/BTE.h"
#include "atm/Switch.h"

namespace {
template <class B>
std::unique_ptr<Block> Make(const Sstring& name, Network& network) {
  return std::make_unique<B>(name, network);
}

struct ModelRow {
  const char* model;
  std::unique_ptr<Block> (*make)(const Sstring&, Network&);
};

const ModelRow kModels[] = {
    {"ATM Generic Application", &Make<Application>},
    {"ATM B-TE", &Make<BTE>},
    {"ATM Switch", &Make<Switch>},
};
}  // namespace

std::unique_ptr<Block> MakeBlock(const Sstring& model, const Sstring& name, Network& network) {
  for (const ModelRow& row : kModels)
    if (model == row.model) return row.make(name, network);
  return nullptr;
}
