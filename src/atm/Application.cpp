// Application: its source and receiver layers and their wiring to a terminal.
#include "atm/Application.h"

#include "atm/CBRSource.h"
#include "atm/FileSource.h"
#include "atm/LayerTable.h"
#include "atm/TrafficReceiver.h"
#include "atm/VBRBatchSource.h"
#include "model/Kernel.h"
#include "model/Network.h"

namespace {
const LayerRow kLayers[] = {
    {"CBR_TS", &MakeLayer<CBRSource>},
    {"VBR_BATCH_TS", &MakeLayer<VBRBatchSource>},
    {"GENERIC_TS", &MakeLayer<FileSource>},
    {"TR", &MakeLayer<TrafficReceiver>},
};
}  // namespace

Application::Application(const Sstring& name, Network& network) : ATMApplication(name, network) {
  PutParam("Traffic source", Sstring("CBR"), "Traffic source", "SHOW");
}

int Application::CreateLayers() {
  GetParam("Traffic source", trafficSource_);
  return 1;
}

int Application::CreateLayer(const Sstring& name, const Sstring& type) {
  return AddMadeLayer(MakeFromTable(kLayers, name, type, *this));
}

int Application::ConnectInterface(const Sstring& peer, const Sstring& peerKind, short number,
                                  const Sstring&) {
  GetParam("Traffic source", trafficSource_);
  if (peerKind != kEquipmentKind || number != 0) return 0;
  Sstring source = trafficSource_ + "_TS";
  const Kernel& kernel = GetNetwork().GetKernel();
  const uint32_t streams = kernel.SourcesSeeded();
  CreateLayer(source, source);
  sourceStream_ = kernel.SourcesSeeded() != streams ? kernel.SourcesSeeded() : 0;
  CreateLayer("TR", "TR");
  PutData("DBN", source, peer);
  PutData("DLN", peer, Sstring("TR"));
  return 1;
}

// Detaching removes every layer the attachment made - also a source made
// under an earlier "Traffic source" value. The DBN and DLN entries stay.
int Application::DisconnectInterface(const Sstring&, const Sstring& peerKind, int) {
  GetParam("Traffic source", trafficSource_);
  if (peerKind != kEquipmentKind) return 0;
  std::vector<Sstring> names;
  if (ListLayers(names))
    for (const Sstring& n : names) RemoveLayer(n);
  return 1;
}
