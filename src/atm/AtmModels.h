// AtmModels: registers the ATM block models - "ATM B-TE", "ATM Switch" and
// "ATM Generic Application" - and the parameter tables of their layers and
// queueing systems with the model folder's registries. Call it once before
// blocks are made (the program and the tests do); calling it again is harmless.
#pragma once

void RegisterAtmModels();
