// Files: opening text files for writing or reading, and creating the missing
// directories of an output path. A failed open is a stream that tests false.
#pragma once
#include <fstream>
#include <string>

namespace platform {

// Creates or truncates the file; check the result with `if (!file)`.
std::ofstream OpenForWriting(const std::string& path);
// Opens an existing file for reading line by line; `if (!file)` on failure.
std::ifstream OpenForReading(const std::string& path);
// Creates the directories above the file named by path that do not exist yet.
// Returns true when they exist afterwards (also when the path has none).
bool EnsureParentDirectory(const std::string& path);
// Writes text as the whole content of path: into a temporary file beside it,
// then renamed over it, so that the file is either the old or the complete
// new one. Creates missing directories. False when any step failed.
bool WriteWholeFile(const std::string& path, const std::string& text);

}  // namespace platform
