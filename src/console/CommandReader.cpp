// The argument reader shared by every command.
#include "console/CommandReader.h"

#include <istream>
#include <ostream>
#include <string>

#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"

int CommandContext::Fail(const char* text) const {
  out << command.prefix << "error: " << text << '\n';
  return 0;
}

namespace {
bool IsText(ArgKind kind) { return kind == ArgKind::ParamText || kind == ArgKind::DataText; }
}  // namespace

// "missing parameter 'x'" or "missing parameters 'x y z'" naming argument i
// and every word or number argument after it, unless the row words it
// otherwise.
int CommandContext::Missing(int i) const {
  const ArgRule* args = command.args;
  if (args[i].message) return Fail(args[i].message);
  std::string names;
  int count = 0;
  for (int k = i; k < kMaxArgs && args[k].kind != ArgKind::End; ++k) {
    if (IsText(args[k].kind)) continue;
    names += (count++ ? " " : "");
    names += args[k].name;
  }
  std::string text = std::string(count > 1 ? "missing parameters '" : "missing parameter '") +
                     names + "'";
  return Fail(text.c_str());
}

int CommandContext::LastArg() const {
  int i = 0;
  while (i + 1 < kMaxArgs && command.args[i + 1].kind != ArgKind::End) ++i;
  return i;
}

Param& CommandContext::TargetParam() const {
  if (qs) return *qs;
  if (layer) return *layer;
  if (block) return *block;
  return *network;
}

DataTable& CommandContext::TargetTable() const {
  if (layer) return *layer;
  if (block) return *block;
  return *network;
}

namespace {
int NotExist(const CommandContext& c, const char* what, const Sstring& name) {
  c.out << c.command.prefix << "error: " << what << ' ' << name << " not exist\n";
  return 0;
}

// Reads a number; false when the input ended or the text is not a number.
bool ReadNumber(std::istream& in, double& v) {
  if (in.eof()) return false;
  return static_cast<bool>(in >> v);
}
}  // namespace

int RunCommand(const Command& command, Kernel& kernel, std::istream& in) {
  CommandContext c(kernel, in, platform::Out(), command);
  int lateNetwork = -1, lateLayer = -1;
  for (int i = 0; i < kMaxArgs && command.args[i].kind != ArgKind::End; ++i) {
    const ArgRule& a = command.args[i];
    switch (a.kind) {
      case ArgKind::Number:
        if (!ReadNumber(in, c.numbers[i])) return c.Missing(i);
        continue;
      case ArgKind::Label: {
        double v;
        if (!ReadNumber(in, v) || v < 0 || v > 65535 || v != static_cast<long>(v))
          return c.Missing(i);
        c.numbers[i] = v;
        continue;
      }
      case ArgKind::ParamText:
      case ArgKind::DataText:
        continue;  // the action reads the rest of the input itself
      default:
        break;
    }
    if (in.eof()) return c.Missing(i);
    in >> c.words[i];
    if (c.words[i].empty() && a.kind != ArgKind::AnyWord) return c.Missing(i);
    const Sstring& w = c.words[i];
    switch (a.kind) {
      case ArgKind::Network:
        c.network = kernel.FindNetwork(w);
        if (!c.network) return NotExist(c, "network", w);
        break;
      case ArgKind::NewNetwork:
        if (kernel.ExistNetwork(w)) return c.Fail("network already exists");
        break;
      case ArgKind::LateNetwork:
        lateNetwork = i;
        break;
      case ArgKind::Block:
        c.block = c.network->FindBlock(w);
        if (!c.block) return NotExist(c, "block", w);
        break;
      case ArgKind::Layer:
        c.layer = c.block->FindLayer(w);
        if (!c.layer) return NotExist(c, "layer", w);
        break;
      case ArgKind::LateLayer:
        lateLayer = i;
        break;
      case ArgKind::QS:
        c.qs = c.block->FindQS(w);
        if (!c.qs) return NotExist(c, "QS", w);
        break;
      default:
        break;
    }
  }
  if (lateNetwork >= 0) {
    c.network = kernel.FindNetwork(c.words[lateNetwork]);
    if (!c.network) return NotExist(c, "network", c.words[lateNetwork]);
  }
  if (lateLayer >= 0) {
    c.layer = c.block->FindLayer(c.words[lateLayer]);
    if (!c.layer) return NotExist(c, "layer", c.words[lateLayer]);
  }
  return command.action(c);
}
