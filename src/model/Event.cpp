// Event printout.
#include "model/Event.h"

#include <ostream>

#include "platform/Console.h"

std::ostream& operator<<(std::ostream& out, const Event& e) {
  platform::Out() << "ATM Event\n\n";
  out << "Time ..........................." << e.time << '\n'
      << "Type ..........................." << e.type << '\n'
      << "Source Block ..................." << e.sourceBlock << '\n'
      << "Destination Block .............." << e.destinationBlock << '\n'
      << "Source Layer ..................." << e.sourceLayer << '\n'
      << "Destination Layer .............." << e.destinationLayer << '\n'
      << "Message Type ..................." << e.messageType << '\n'
      << "Connection Identifier .........." << e.connection << '\n'
      << "Message:\n\n";
  bool printed = std::visit(
      [&](const auto& m) {
        using M = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<M, std::monostate>) return false;
        else {
          if (e.messageType != kMessageWord<M>) return false;
          out << m;
          return true;
        }
      },
      e.message);
  if (printed) out << '\n';
  return out;
}
