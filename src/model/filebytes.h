#pragma once

// Reading a file's bytes, and writing a whole file so that a failure never
// leaves it half-written.

#include <stdexcept>
#include <string>
#include <string_view>

namespace korvel {

/// A file that could not be read or written. The message names the file and
/// says why, in French, ready to be shown.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The whole content of a file. Raises FileError when it is missing, is a
/// folder or cannot be read.
std::string ReadFileBytes(const std::string& path);

/// Replaces the file's content with these bytes: they go to a new file in the
/// same folder, which is flushed to disk and then renamed over the old one.
/// An existing file keeps its permissions. On failure the old file is left
/// whole, the new one removed, and FileError is raised.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korvel
