// The banner and the read-execute loop of the console.
#include "console/ConsoleLoop.h"

#include <csignal>
#include <ostream>
#include <string>

#include "console/Completion.h"
#include "console/Dispatcher.h"
#include "console/Variables.h"
#include "core/Version.h"
#include "platform/Console.h"
#include "platform/Interrupt.h"
#include "platform/LineEditor.h"

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

// At a terminal: libedit reads the line (editing, history, completion).
// Ctrl-C clears the line being typed, or stops the command under way (a run
// at its next event) and brings the prompt back; SIGTERM ends the session.
int EditedLoop(Kernel& kernel) {
  platform::InterruptScope interrupts;
  platform::LineEditor editor(
      "celvane", platform::HistoryFileInHome(".celvane_history"),
      [&kernel](const std::string& before) { return CompleteCommandLine(kernel, before); });
  std::string line;
  for (;;) {
    platform::ClearInterrupt();
    switch (editor.Read(">", line)) {
      case platform::LineEditor::Status::Cancelled:
        continue;
      case platform::LineEditor::Status::End:
        platform::Out() << '\n';
        return 1;
      case platform::LineEditor::Status::Terminated:
        return platform::kInterruptedStatus;
      case platform::LineEditor::Status::Line:
        break;
    }
    if (line == "quit" || line == "exit") return 1;
    if (ExpandVariables(line)) ExecuteLine(kernel, line.c_str());
    if (platform::InterruptSignal() == SIGTERM) return platform::kInterruptedStatus;
  }
}

// Input from a file or a pipe: read exactly as it always was. While it waits
// for a line, a signal ends the program as it always did; during a command
// it stops that command (a run at its next event, its files written) and the
// program then ends with 130.
int PlainLoop(Kernel& kernel) {
  std::ostream& out = platform::Out();
  std::string line;
  for (;;) {
    out << '>' << std::flush;
    // End of input ends the session exactly as "quit" would.
    if (!platform::ReadLine(platform::In(), line)) return 1;
    if (line == "quit" || line == "exit") return 1;
    platform::InterruptScope interrupts;
    if (ExpandVariables(line)) ExecuteLine(kernel, line.c_str());
    if (platform::InterruptRequested()) return platform::kInterruptedStatus;
  }
}

}  // namespace

int ConsoleLoop(Kernel& kernel) {
  platform::Out() << kBanner;
  if (platform::InputIsTerminal() && platform::OutputIsTerminal()) return EditedLoop(kernel);
  return PlainLoop(kernel);
}
