// The list of command units whose handlers the console installs.
#include "console/CommandTable.h"

// Each command unit (topology, show, parameter, run/file/load, save) defines
// one `void RegisterXxxCommands()` that calls RegisterHandler for its rows;
// declare it here and call it below. Nothing else changes to add a unit.

#include "console/CommandReader.h"

void InstallCommandHandlers() { RegisterArgumentCommands(); }
