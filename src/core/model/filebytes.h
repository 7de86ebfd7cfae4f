#pragma once

// Reading a file's bytes, and writing a whole file so that a failure never
// leaves it half-written.

#include <cstddef>
#include <functional>
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

/// Most bytes ReadFileBytes reads. Korvel holds a stylesheet as its text
/// plus a document of its rules, some ten times the text's size: 256 MiB of
/// text already asks for a few GiB, and the largest stylesheets met on the
/// web are a few MiB. The limit is checked before reading, not once memory
/// has run out.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

/// The whole content of a file. Raises FileError (in French, naming the
/// file) when it is missing or cannot be read, when it is anything but a
/// regular file (a folder, a FIFO, a device, a socket: none is read, so
/// none can hang the caller), and when it holds more than `maxBytes`.
std::string ReadFileBytes(const std::string& path, std::size_t maxBytes = kMaxFileBytes);

/// Reads the file as ReadFileBytes does, with the same checks and errors,
/// handing its bytes to `piece` as they come, in pieces of any size, without
/// holding the whole file.
void ReadFileInPieces(const std::string& path, const std::function<void(std::string_view)>& piece,
                      std::size_t maxBytes = kMaxFileBytes);

/// Raises FileError naming the file when the bytes start with a UTF-16 or
/// UTF-32 byte-order mark: Korvel reads 8-bit text only.
void RefuseWideText(std::string_view bytes, const std::string& path);

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
/// A file on a read-only mount is refused with a plain FileError, not
/// ReadOnlyFileError: no consent could make the save work there.
/// Whether WriteFileAtomically would refuse this path as read-only.
bool IsReadOnlyFile(const std::string& path);

/// Removes the temporary files that interrupted saves left in this folder. A
/// temporary still locked by a save in progress is kept. Failures are ignored.
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace korvel
