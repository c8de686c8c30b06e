// AtmModels: the block models of this folder, their layers' and queues'
// parameter tables, registered by word.
#include "atm/AtmModels.h"

#include <algorithm>
#include <string>

#include "atm/Application.h"
#include "atm/BTE.h"
#include "atm/BTE_ATM_Layer.h"
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

// Categories of the ATM layers, then the sources' default ones.
std::vector<std::string> CollectServiceCategories() {
  std::vector<std::string> names = BTE_ATM_Layer::Categories();
  for (const LayerRow& row : Application::Layers())
    for (const ParameterInfo& p : row.describe()) {
      if (p.name != "Service categorie") continue;
      std::string value = p.defaultValue;
      if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
      if (std::find(names.begin(), names.end(), value) == names.end()) names.push_back(value);
    }
  return names;
}
}  // namespace

void RegisterAtmModels() {
  Register<Application>("ATM Generic Application");
  Register<BTE>("ATM B-TE");
  Register<Switch>("ATM Switch");
  RegisterParameterKind("queueing system", &QueueingSystem::DescribeParameters);
}

const std::vector<std::string>& ServiceCategories() {
  // Built from fixed tables, so once: create vcc asks for every VCC.
  static const std::vector<std::string> names = CollectServiceCategories();
  return names;
}
