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

/// The file exists and may not be written: the user lacks write access, or its mode has no write
/// permission for anyone (even root, who could write it anyway). Raised before anything is written.
class ReadOnlyFileError : public FileError { public: using FileError::FileError; };
struct WriteOptions { bool replaceReadOnly = false; };  ///< true: the user said to replace it anyway

/// Replaces the file's content with these bytes: they go to a new hidden file
/// in the same folder (".<name>.korvel-XXXXXX"), which is flushed to disk and
/// then renamed over the old one, so an interrupted save leaves the old file
/// whole. An existing file keeps its permissions, and its owner and group where
/// the system allows it. A symbolic link is followed to the file it names.
/// Raises FileError, before anything is written, for a dangling link or a loop,
/// a folder, a FIFO, device or socket, and a file with several hard links (a
/// rename would split it from its other names); ReadOnlyFileError for a
/// read-only file unless `options` says to replace it. On any other failure the
/// old file is left whole, the new one removed, and FileError is raised.
void WriteFileAtomically(const std::string& path, std::string_view bytes, WriteOptions options = {});
/// Whether WriteFileAtomically would refuse this path as read-only.
bool IsReadOnlyFile(const std::string& path);

/// Removes the temporary files that interrupted saves left in this folder. A
/// temporary still locked by a save in progress is kept. Failures are ignored.
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace korvel
