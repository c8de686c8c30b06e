// RunRecord: the run record as JSON, keys in the order of the record.
#include "model/RunRecord.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "platform/Files.h"

namespace {
using Json = nlohmann::ordered_json;

// Undefined figures (NaN) and infinities have no JSON number: null.
Json Number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }
}  // namespace

// The record is written piece by piece, each list element dumped on its
// own, in exactly the text one dump of the whole document with an indent of
// two would give: a network of thousands of queues would otherwise hold the
// document and its text in memory at once.
namespace {
// Names are the user's bytes: invalid UTF-8 is replaced, not refused.
std::string Dump(const Json& j) { return j.dump(2, ' ', false, Json::error_handler_t::replace); }

// Writes text with `indent` more blanks after every line break.
void Indented(std::ostream& out, const std::string& text, int indent) {
  const std::string blanks(static_cast<size_t>(indent), ' ');
  size_t from = 0;
  for (size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1)
    out.write(text.data() + from, static_cast<std::streamsize>(nl + 1 - from)) << blanks;
  out.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
}

// One member of the top object: its key, and a value already in text.
void Member(std::ostream& out, const char* key, const Json& value, bool last = false) {
  out << "  " << Dump(Json(key)) << ": ";
  Indented(out, Dump(value), 2);
  out << (last ? "\n" : ",\n");
}

// One list element: an object of scalar members, written member by member
// as its dump indented by four would read (a record holds thousands of
// queues: building a document object for each, or dumping each value on its
// own, cost more than the run). Numbers are written by the library's own
// shortest form for doubles, so the text stays exactly the dump's.
class Element {
 public:
  explicit Element(std::ostream& out) : out_(out) { text_.reserve(512); }
  ~Element() {
    text_ += "\n    }";
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  }
  Element& operator()(const char* key, const std::string& value) {
    Key(key);
    // Printable ASCII without quote or backslash is its own JSON text.
    for (unsigned char c : value)
      if (c < 0x20 || c > 0x7e || c == '"' || c == '\\') {
        text_ += Dump(Json(value));
        return *this;
      }
    text_ += '"';
    text_ += value;
    text_ += '"';
    return *this;
  }
  Element& operator()(const char* key, uint64_t value) {
    Key(key);
    char digits[24];
    text_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    return *this;
  }
  // Undefined figures (NaN) and infinities have no JSON number: null.
  Element& operator()(const char* key, double value) {
    Key(key);
    if (!std::isfinite(value)) {
      text_ += "null";
      return *this;
    }
    char digits[64];
    text_.append(digits, nlohmann::detail::to_chars(digits, digits + sizeof digits, value));
    return *this;
  }

 private:
  void Key(const char* key) {
    text_ += text_.empty() ? "{\n      \"" : ",\n      \"";
    text_ += key;
    text_ += "\": ";
  }
  std::ostream& out_;
  std::string text_;  // written at once: many small writes to a stream cost more
};

// A member whose value is a list of objects: those the feed gives, each
// written by element(out, item).
template <class T, class F>
void List(std::ostream& out, const char* key, const RunRecord::Feed<T>& feed, F&& element,
          bool last = false) {
  out << "  " << Dump(Json(key)) << ": ";
  bool first = true;
  auto one = [&](const T& item) {
    out << (first ? "[\n    " : ",\n    ");
    first = false;
    element(out, item);
  };
  if (feed) feed(one);
  out << (first ? "[]" : "\n  ]") << (last ? "\n" : ",\n");
}
}  // namespace

void WriteRunRecordJson(std::ostream& out, const RunRecord& r) {
  out << "{\n";
  Member(out, "version", RunRecord::kVersion);
  Member(out, "network", r.network);
  Member(out, "seed", r.seed);
  Member(out, "run", r.run);
  Member(out, "end_time", Number(r.endTime));
  Member(out, "time_reached", Number(r.timeReached));
  Member(out, "events", r.events);
  Member(out, "wall_seconds", Number(r.wallSeconds));
  Member(out, "interrupted", r.interrupted);
  Member(out, "files", r.files);
  // Member keys are plain ASCII, written as their dump would write them.
  List(out, "sources", r.sources, [](std::ostream& o, const RunRecord::Source& s) {
    Element{o}("block", s.block)("name", s.name)("packets", s.packets)("cells", s.cells)("bytes",
                                                                                      s.bytes);
  });
  List(out, "receivers", r.receivers, [](std::ostream& o, const RunRecord::Receiver& x) {
    Element{o}("block", x.block)("name", x.name)("packets", x.packets)("delay_mean", x.delayMean)(
        "delay_variance", x.delayVariance)("delay_min", x.delayMin)("delay_max", x.delayMax);
  });
  List(
      out, "queues", r.queues,
      [](std::ostream& o, const RunRecord::Queue& q) {
        Element{o}("block", q.block)("name", q.name)("arrived", q.arrived)("accepted", q.accepted)(
            "discarded", q.discarded)("loss_ratio", q.lossRatio)("buffer_mean", q.bufferMean)(
            "buffer_variance", q.bufferVariance)("buffer_max", q.bufferMax)(
            "buffer_delay_mean", q.bufferDelayMean)("server_mean", q.serverMean);
      },
      true);
  out << "}\n";
}

std::string RunRecordJson(const RunRecord& r) {
  std::ostringstream out;
  WriteRunRecordJson(out, r);
  return out.str();
}

bool WriteRunRecord(const RunRecord& record, const std::string& path) {
  return platform::WriteWholeFile(path, [&](std::ostream& out) {
    WriteRunRecordJson(out, record);
    return static_cast<bool>(out);
  });
}
