// Application: its source and receiver layers and their wiring to a terminal.
#include "atm/Application.h"

#include "atm/CBRSource.h"
#include "atm/FileSource.h"
#include "atm/TrafficReceiver.h"
#include "atm/VBRBatchSource.h"
#include "model/DataKeys.h"
#include "model/Kernel.h"
#include "model/Network.h"

const LayerTable& Application::Layers() {
  static const LayerTable rows = {
      LayerOf<CBRSource>("CBR_TS"),
      LayerOf<VBRBatchSource>("VBR_BATCH_TS"),
      LayerOf<FileSource>("GENERIC_TS"),
      LayerOf<TrafficReceiver>("TR"),
  };
  return rows;
}

const ParamTable<Application>& Application::ParameterRows() {
  static const ParamTable<Application> rows = {
      {"Traffic source", "CBR", "Traffic source", &Application::trafficSource_},
  };
  return rows;
}

std::vector<ParameterInfo> Application::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

Application::Application(const Sstring& name, Network& network) : ATMApplication(name, network) {
  DeclareParameters(*this, ParameterRows());
}

int Application::CreateLayers() {
  LoadParameters(*this, ParameterRows());
  return 1;
}

int Application::CreateLayer(const Sstring& name, const Sstring& type) {
  return AddMadeLayer(MakeFromTable(Layers(), name, type, *this));
}

int Application::ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                                  const Sstring&) {
  LoadParameters(*this, ParameterRows());
  if (peerKind != kEquipmentKind || number != 0) return 0;
  Sstring source = trafficSource_ + "_TS";
  const Kernel& kernel = GetNetwork().GetKernel();
  const uint32_t streams = kernel.SourcesSeeded();
  CreateLayer(source, source);
  sourceStream_ = kernel.SourcesSeeded() != streams ? kernel.SourcesSeeded() : 0;
  CreateLayer("TR", "TR");
  PutData(datakey::kDBN, source, peer);
  PutData(datakey::kDLN, peer, Sstring("TR"));
  return 1;
}

// Detaching removes every layer the attachment made - also a source made
// under an earlier "Traffic source" value. The DBN and DLN entries stay.
int Application::DisconnectInterface(const Sstring&, const Sstring& peerKind, int) {
  LoadParameters(*this, ParameterRows());
  if (peerKind != kEquipmentKind) return 0;
  std::vector<Sstring> names;
  if (ListLayers(names))
    for (const Sstring& n : names) RemoveLayer(n);
  return 1;
}
