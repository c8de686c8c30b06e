// Kernel: the single top-level object. Owns every network by name, the table
// of destination files, and the one event queue all networks share.
#pragma once

class Kernel {
 public:
  Kernel() = default;
};
