// Completion: what Tab offers at the prompt - command words, then the names
// the command's arguments take (networks, blocks, layers, QSs, VCCs, DCs,
// parameters, block models) and file names after load and file.
#pragma once
#include <string>

#include "platform/LineEditor.h"

class Kernel;

platform::LineEditor::Completion CompleteCommandLine(const Kernel& kernel,
                                                     const std::string& beforeCursor);
