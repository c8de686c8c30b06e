// AtmModels: registers the ATM block models - "ATM B-TE", "ATM Switch" and
// "ATM Generic Application" - and the parameter tables of their layers and
// queueing systems with the model folder's registries. Call it once before
// blocks are made (the program and the tests do); calling it again is harmless.
#pragma once

void RegisterAtmModels();

#include <string>
#include <vector>

// The service categories a VCC may carry: those the ATM layers give a
// priority of their own, then those the traffic sources ask for by default.
const std::vector<std::string>& ServiceCategories();
