// RunFiles: the statistics files and console warnings of a run, shared by
// every component that logs - how a log is named, opened once per run and
// flushed with the run, and how a warning about it is worded.
#pragma once
#include <fstream>
#include <iosfwd>
#include <string>

#include "core/Sstring.h"

class Network;

// The short statistics-file name part of a name: its first and last
// characters (a one-character name supplies both).
std::string FirstLast(const Sstring& name);

// Whether a component can repeat something every `period` seconds in the run
// being started: the period must be positive and finite, and the run must not
// need more than a billion repetitions of it (a period that small would make
// the run last practically forever, or stop the clock from advancing).
bool UsablePeriod(const Network& net, double period);

// Opens a statistics file of the current run of net for writing (created or
// truncated). The short name is used unless another file of this run already
// took it; then the long name is used and the console says so. A file that
// cannot be created is reported once. Returns true when the file is open.
bool OpenRunFileOf(Network& net, std::ofstream& f, const std::string& shortName,
                   const std::string& longName);
// Opens the log `prefix` of `owner`, a layer or queueing system of `block`:
// path + first and last characters of the block name + "_" + those of the
// owner's name + "_" + prefix + ".dat", or the full names when that is taken.
bool OpenShortNamedLogOf(Network& net, std::ofstream& f, const std::string& path,
                         const Sstring& block, const Sstring& owner, const char* prefix);
// Starts a console warning about `owner`, a "layer" or "queueing system"
// (the kind) of `block`: "run warning: block B kind O: "; the caller ends the line.
std::ostream& RunWarning(const Sstring& block, const char* kind, const Sstring& owner);
// One console line: a parameter of `owner` makes no sense; `consequence`
// says what the owner does instead.
void ReportNonsense(const Sstring& block, const char* kind, const Sstring& owner,
                    const char* parameter, const char* consequence);
