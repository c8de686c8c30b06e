// The three parameters of the layers that log delays per cell or packet and
// their sample statistics (the terminal ATM layer and the traffic receiver).
#pragma once
#include "core/Param.h"

inline void DeclareDelayLogParameters(Param& p) {
  p.PutParam("Trigger by cell status", Sstring("OFF"), "Trigger by cell status", "SHOW");
  p.PutParam("Sample statistics status", Sstring("OFF"), "Sample statistics status", "SHOW");
  p.PutParam("Logging every x secs", 0.001, "Logging every x secs", "SHOW");
}
