// Layer: a protocol layer of a block - a component with a layer-type word
// (e.g. "ATM_LAYER") that block models map to classes.
#pragma once
#include "model/Component.h"

class Layer : public Component {
 public:
  Layer(const Sstring& name, const Sstring& type, Block& block)
      : Component(name, ComponentKind::Layer, block), type_(type) {}

  const Sstring& GetType() const { return type_.str(); }

 protected:
  // One console line saying that a parameter makes no sense, so the layer
  // stays silent in this run.
  void ReportBadParameter(const char* parameter) const {
    ReportNonsense(parameter, "the layer stays silent in this run");
  }

 private:
  Name type_;  // a handful of type words, shared by all layers
};
