// Files: opening text files for writing or reading, reading them without
// letting a read error escape as an exception, and creating the missing
// directories of an output path. A failed open is a stream that tests false.
#pragma once
#include <cstddef>
#include <fstream>
#include <functional>
#include <string>

namespace platform {

// Makes a write past the process's file-size limit (ulimit -f) fail like
// any other write error instead of killing the program, so that the other
// files of a run and its record are still completed and the failure said.
void TreatFileSizeLimitAsWriteError();
// Creates or truncates the file; check the result with `if (!file)`.
std::ofstream OpenForWriting(const std::string& path);
// Opens an existing file for reading; `if (!file)` on failure. A directory
// does not open.
std::ifstream OpenForReading(const std::string& path);
// Creates the directories above the file named by path that do not exist yet.
// Returns true when they exist afterwards (also when the path has none).
bool EnsureParentDirectory(const std::string& path);
// Writes text as the whole content of path: into a temporary file beside it,
// then renamed over it, so that the file is either the old or the complete
// new one. Creates missing directories. False when any step failed.
bool WriteWholeFile(const std::string& path, const std::string& text);
// The same with the content written by write(stream), which returns false
// when it could not make the content.
bool WriteWholeFile(const std::string& path, const std::function<bool(std::ostream&)>& write);

enum class ReadResult { kDone, kEnd, kTooLong, kFailed };

// Reads one line of at most maxLength characters into line, the line break
// consumed and not stored. kDone for a line (also the last one without a
// break), kEnd at the end of the file, kTooLong when maxLength characters
// came without a break, kFailed on a read error (the device or file system
// refused; line is then unusable).
ReadResult ReadLimitedLine(std::istream& in, std::string& line, std::size_t maxLength);
// Reads what is left of in into text: kDone, kTooLong when more than
// maxLength characters are left (an endless device), kFailed on a read error.
ReadResult ReadRest(std::istream& in, std::string& text, std::size_t maxLength);

}  // namespace platform
