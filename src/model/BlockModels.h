// BlockModels: the registry of block models. The kernel and the network know
// a block model only by its word ("ATM Switch", ...) and the factory that the
// folder defining the model registers (atm/AtmModels.cpp).
#pragma once
#include <memory>

#include "core/Sstring.h"

class Block;
class Network;

using BlockFactory = std::unique_ptr<Block> (*)(const Sstring& name, Network& network);

// Adds a model under its word; registering a word again replaces its factory.
void RegisterBlockModel(const char* model, BlockFactory make);
// A new block of that model, or null for a word no folder registered.
std::unique_ptr<Block> MakeBlock(const Sstring& model, const Sstring& name, Network& network);
