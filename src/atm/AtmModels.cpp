// AtmModels: the block models of this folder, their layers' and queues'
// parameter tables, registered by word.
#include "atm/AtmModels.h"

#include <string>

#include "atm/Application.h"
#include "atm/BTE.h"
#include "atm/QueueingSystem.h"
#include "atm/Switch.h"
#include "model/BlockModels.h"
#include "model/ParameterTable.h"

namespace {
template <class B>
std::unique_ptr<Block> Make(const Sstring& name, Network& network) {
  return std::make_unique<B>(name, network);
}

// The model, its block parameters and those of each layer type it makes.
template <class B>
void Register(const char* model) {
  RegisterBlockModel(model, &Make<B>);
  RegisterParameterKind(std::string("block ") + model, &B::DescribeParameters);
  for (const LayerRow& row : B::Layers())
    RegisterParameterKind(std::string("layer ") + model + " " + row.type, row.describe);
}
}  // namespace

void RegisterAtmModels() {
  Register<Application>("ATM Generic Application");
  Register<BTE>("ATM B-TE");
  Register<Switch>("ATM Switch");
  RegisterParameterKind("queueing system", &QueueingSystem::DescribeParameters);
}
