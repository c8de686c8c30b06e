// Program option parsing and the usage text.
#include "console/CommandLine.h"

#include <cstring>
#include <ostream>

#include "atm/AtmModels.h"
#include "console/CommandListing.h"
#include "console/Variables.h"
#include "core/Version.h"
#include "model/ParameterTable.h"

namespace {

const char kUsage[] =
    "Celvane " CELVANE_VERSION " - discrete-event simulator of ATM networks\n"
    "\n"
    "Usage: celvane [OPTIONS] [SCRIPT...]\n"
    "\n"
    "Builds networks of ATM terminals, switches and applications from commands\n"
    "typed at the \">\" prompt and simulates the cells they exchange. Each SCRIPT\n"
    "is a file of such commands, loaded in order before the prompt appears.\n"
    "\n"
    "Options:\n"
    "  -h, --help      print this help and exit\n"
    "      --version   print the version and exit\n"
    "  -b, --batch     run the SCRIPTs and exit without reading the console\n"
    "      --seed N    seed the random traffic sources with N (without it the seed\n"
    "                  comes from the system's entropy, and each run names it)\n"
    "      --run K     run replication K: each source's stream derives from the\n"
    "                  seed, K and the source (--seed N alone is --run 0)\n"
    "  -D NAME=VALUE   define a script variable: ${NAME} in a command line, typed\n"
    "                  or loaded, is replaced by VALUE before the line runs\n"
    "      --strict    count every warning as a failure of its command\n"
    "\n"
    "At the prompt, type help to list the commands, quit or exit to leave.\n";

// Reads a whole unsigned decimal number; false if text is anything else.
bool ParseSeed(const char* text, unsigned long long& value) {
  if (!*text) return false;
  unsigned long long v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    const unsigned digit = static_cast<unsigned>(*p - '0');
    if (v > (~0ULL - digit) / 10) return false;
    v = v * 10 + digit;
  }
  value = v;
  return true;
}

ParsedCommandLine UsageError(std::ostream& err, const std::string& what) {
  err << "celvane: " << what << " (try celvane --help)\n";
  ParsedCommandLine r;
  r.exit = true;
  r.exitStatus = 2;
  return r;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const argv[], std::ostream& out,
                                   std::ostream& err) {
  ParsedCommandLine r;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (optionsEnded || arg[0] != '-' || std::strcmp(arg, "-") == 0) {
      r.options.scripts.push_back(arg);
    } else if (std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      out << kUsage;
      r.exit = true;
      return r;
    } else if (std::strcmp(arg, "--version") == 0) {
      out << "Celvane " CELVANE_VERSION "\n";
      r.exit = true;
      return r;
    } else if (std::strcmp(arg, "--list-parameters") == 0) {
      // Every parameter of every kind of object, one tab-separated row each.
      RegisterAtmModels();
      WriteParameterKinds(out);
      r.exit = true;
      return r;
    } else if (std::strcmp(arg, "--list-commands") == 0) {
      // Every console command with its arguments and messages, one row each.
      WriteCommandRows(out);
      r.exit = true;
      return r;
    } else if (std::strcmp(arg, "-b") == 0 || std::strcmp(arg, "--batch") == 0) {
      r.options.batch = true;
    } else if (std::strcmp(arg, "--strict") == 0) {
      r.options.strict = true;
    } else if (std::strcmp(arg, "--seed") == 0 || std::strncmp(arg, "--seed=", 7) == 0) {
      const char* value = arg[6] == '=' ? arg + 7 : (i + 1 < argc ? argv[++i] : nullptr);
      if (!value) return UsageError(err, "option --seed needs a number");
      if (!ParseSeed(value, r.options.seed))
        return UsageError(err, std::string("invalid seed '") + value + "'");
      r.options.seedGiven = true;
    } else if (std::strcmp(arg, "--run") == 0 || std::strncmp(arg, "--run=", 6) == 0) {
      const char* value = arg[5] == '=' ? arg + 6 : (i + 1 < argc ? argv[++i] : nullptr);
      if (!value) return UsageError(err, "option --run needs a number");
      if (!ParseSeed(value, r.options.run))
        return UsageError(err, std::string("invalid replication '") + value + "'");
    } else if (std::strncmp(arg, "-D", 2) == 0) {
      const char* value = arg[2] ? arg + 2 : (i + 1 < argc ? argv[++i] : nullptr);
      if (!value) return UsageError(err, "option -D needs NAME=VALUE");
      const char* eq = std::strchr(value, '=');
      std::string name(value, eq ? static_cast<size_t>(eq - value) : std::strlen(value));
      if (!eq || !ValidVariableName(name))
        return UsageError(err, std::string("invalid definition '") + value +
                                   "' (expected NAME=VALUE, NAME of letters, digits and _)");
      r.options.defines.emplace_back(std::move(name), eq + 1);
    } else {
      return UsageError(err, std::string("unknown option '") + arg + "'");
    }
  }
  return r;
}
