// BlockFactory: makes a block of one of the three block models by its word.
#pragma once
#include <memory>

#include "model/Block.h"

// "ATM B-TE", "ATM Switch" or "ATM Generic Application"; null for any other.
std::unique_ptr<Block> MakeBlock(const Sstring& model, const Sstring& name, Network& network);
