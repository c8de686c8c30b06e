// The banner and the read-execute loop of the console.
#include "console/ConsoleLoop.h"

#include <ostream>
#include <string>

#include "console/Dispatcher.h"
#include "console/Variables.h"
#include "core/Version.h"
#include "platform/Console.h"

namespace {

const char kBanner[] =
    "Celvane " CELVANE_VERSION " - Simulador de Redes ATM\n"
    "\n"
    "Simulador de eventos discretos de redes ATM em modo texto\n"
    "Equipamentos: terminal B-TE, comutador ATM e aplicacao generica\n"
    "Trafego: fontes CBR, VBR em rajadas e dirigidas por arquivo\n"
    "Camadas: AAL5, ATM, fisica baseada em celulas e filas\n"
    "Digite os comandos apos o prompt; quit ou exit encerra\n"
    "\n"
    "\n";

}  // namespace

int ConsoleLoop(Kernel& kernel) {
  std::ostream& out = platform::Out();
  out << kBanner;
  std::string line;
  for (;;) {
    out << '>' << std::flush;
    // End of input ends the session exactly as "quit" would.
    if (!platform::ReadLine(platform::In(), line)) return 1;
    if (line == "quit" || line == "exit") return 1;
    if (ExpandVariables(line)) ExecuteLine(kernel, line.c_str());
  }
}
