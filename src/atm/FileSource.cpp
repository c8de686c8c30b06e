// FileSource: reads its packet file in one event at time 0.
#include "atm/FileSource.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "atm/AAL5_Layer.h"
#include "platform/Files.h"

namespace {
// Every packet of the file waits on the event queue from time 0; a file
// longer than this (or a device that never ends) is refused.
constexpr size_t kMaxSourceFile = size_t(256) << 20;
}  // namespace

// The file source always hands its packets to "AAL5"; its "ATM adaptation
// layer", like its category and bit rate, only describes the connection.
const ParamTable<FileSource>& FileSource::ParameterRows() {
  static const ParamTable<FileSource> rows = {
      {"Packet name", "Packet read from file", "Name of the packets to be sent",
       &FileSource::packetNameText_},
      {"ATM adaptation layer", "AAL5", "AAL to be used"},
      {"Service categorie", "VBR", "Service categorie"},
      {"Bit rate", 10000000.0, "Peak Bit Rate"},
      {"Number of cells to be sent", 1000000.0, "Number of cells to be sent",
       &FileSource::maxCells_},
      {"Stop to send at", "END", "Stop to send at", &FileSource::stop_},
      {"Source file name", "", "Source file name", &FileSource::fileName_},
  };
  return rows;
}

std::vector<ParameterInfo> FileSource::DescribeParameters() {
  return ::DescribeParameters(ParameterRows());
}

namespace {
// Walks the blank-separated entries of a text, keeping entry and line numbers
// for messages.
class EntryReader {
 public:
  enum Result { kNumber, kEnd, kBad };
  explicit EntryReader(const std::string& text) : p_(text.c_str()) {}

  // The next entry as a finite number; kBad when it is anything else.
  Result Next(double& value) {
    while (std::isspace(static_cast<unsigned char>(*p_))) {
      if (*p_ == '\n') ++line_;
      ++p_;
    }
    if (*p_ == '\0') return kEnd;
    ++entry_;
    const char* end = p_;
    while (*end != '\0' && !std::isspace(static_cast<unsigned char>(*end))) ++end;
    char* parsed = nullptr;
    value = std::strtod(p_, &parsed);
    const bool whole = parsed == end;
    p_ = end;
    return whole && std::isfinite(value) ? kNumber : kBad;
  }
  unsigned long Entry() const { return entry_; }
  unsigned long Line() const { return line_; }

 private:
  const char* p_;
  unsigned long entry_ = 0;
  unsigned long line_ = 1;
};
}  // namespace

FileSource::FileSource(const Sstring& name, const Sstring& type, Block& block)
    : TrafficSource(name, type, block) {
  DeclareParameters(*this, ParameterRows());
}

int FileSource::Start() {
  LoadParameters(*this, ParameterRows());
  packetName_ = Name(packetNameText_);
  // "MAX_BYTES" has no byte limit here: it sends the whole file, as "END".
  mode_ = (stop_ == "END" || stop_ == "MAX_BYTES") ? StopMode::AtEnd
          : stop_ == "MAX_CELLS"                   ? StopMode::MaxCells
                                                   : StopMode::Never;
  ResolveRoute();
  if (file_.is_open()) file_.close();
  file_ = platform::OpenForReading(fileName_.str());
  if (!file_) {
    Warning() << "cannot open the source file " << fileName_
              << "; the layer stays silent in this run\n";
    return 1;
  }
  ScheduleSelf(0.0, Word::SEND_PACKET);
  return 1;
}

bool FileSource::Offer(double time, double length) {
  switch (mode_) {
    case StopMode::AtEnd:
      Emit(time, Word::AAL5, length);
      return true;
    case StopMode::MaxCells:
      if (!(cellsSent_ < maxCells_)) return false;
      Emit(time, Word::AAL5, length);
      // The cells of its AAL5 PDU, once per packet whatever the connections.
      cellsSent_ += std::ceil((length + 8) / 48);
      return cellsSent_ < maxCells_;
    case StopMode::Never:
      break;
  }
  return false;
}

int FileSource::HandleEvent(Event& e) {
  if (e.type != Word::SEND_PACKET) return 0;
  if (!file_.is_open()) return 0;
  std::string text;
  const platform::ReadResult read = platform::ReadRest(file_, text, kMaxSourceFile);
  file_.close();
  if (read == platform::ReadResult::kTooLong) {
    Warning() << "the source file " << fileName_ << " is longer than " << (kMaxSourceFile >> 20)
              << " MiB; the layer stays silent in this run\n";
    return 0;
  }
  if (read != platform::ReadResult::kDone) {
    Warning() << "cannot read the source file " << fileName_
              << "; the layer stays silent in this run\n";
    return 0;
  }

  EntryReader reader(text);
  bool more = mode_ == StopMode::AtEnd || (mode_ == StopMode::MaxCells && cellsSent_ < maxCells_);
  double time = 0, length = 0;
  while (more) {
    EntryReader::Result r = reader.Next(time);
    if (r == EntryReader::kEnd) break;
    const unsigned long timeEntry = reader.Entry(), timeLine = reader.Line();
    if (r == EntryReader::kNumber) r = reader.Next(length);
    if (r == EntryReader::kBad) {
      Warning() << "entry " << reader.Entry() << " (line " << reader.Line()
                << ") of the source file " << fileName_
                << " is not a number; the rest of the file is skipped\n";
      break;
    }
    if (r == EntryReader::kEnd) {
      Warning() << "entry " << timeEntry << " (line " << timeLine << ") of the source file "
                << fileName_ << " is a time without a length; it is skipped\n";
      break;
    }
    // Nothing is planned before the run begins.
    if (time < 0) {
      Warning() << "entry " << timeEntry << " (line " << timeLine << ") of the source file "
                << fileName_ << " is the negative time " << time
                << "; the packet is skipped\n";
      continue;
    }
    if (length > kMaxAal5Length) {
      Warning() << "entry " << reader.Entry() << " (line " << reader.Line()
                << ") of the source file " << fileName_ << " is the length " << length
                << ", longer than an AAL5 packet (" << kMaxAal5Length
                << " bytes); the packet is skipped\n";
      continue;
    }
    if (length > 0) more = Offer(time, length);
  }
  return 1;
}

int FileSource::End() {
  if (file_.is_open()) file_.close();
  return 1;
}
