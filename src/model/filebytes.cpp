#include "model/filebytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace korvel {

namespace {

std::string Quoted(const std::string& path) { return "« " + path + " »"; }

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw FileError(what + " " + Quoted(path) + " : " + std::strerror(error));
}

class FileDescriptor final {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) Fail("Impossible d'ouvrir le fichier", path, errno);
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) Fail("Impossible de lire le fichier", path, errno);
  if (S_ISDIR(info.st_mode)) Fail("Impossible de lire le fichier", path, EISDIR);

  std::string bytes;
  if (info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t count = ::read(file.Get(), buffer.data(), buffer.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      Fail("Impossible de lire le fichier", path, errno);
    }
    if (count == 0) break;
    bytes.append(buffer.data(), static_cast<std::size_t>(count));
  }
  return bytes;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return ::access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0;
}

void WriteFileAtomically(const std::string& requested, std::string_view bytes, WriteOptions options) {
  if (requested.empty() || requested.back() == '/') Fail("Impossible d'écrire le fichier", requested, EISDIR);

  // Saving through a symbolic link replaces the file it points to, not the link.
  std::string path = requested;
  struct stat link {};
  if (::lstat(requested.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* target = ::realpath(requested.c_str(), nullptr)) {
      path = target;
      std::free(target);
    }
  }

  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) Fail("Impossible d'écrire le fichier", path, EISDIR);
  if (exists && !options.replaceReadOnly && IsReadOnlyFile(path))
    throw ReadOnlyFileError("Le fichier " + Quoted(path) + " est en lecture seule : il n'a pas été remplacé.");

  std::string temporary = FolderOf(path) + "/.korvel-XXXXXX";
  FileDescriptor file(::mkstemp(temporary.data()));
  if (file.Get() < 0) Fail("Impossible de créer un fichier temporaire pour", path, errno);

  auto abandon = [&](const char* what, int error) {
    ::unlink(temporary.c_str());
    Fail(what, path, error);
  };

  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      abandon("Impossible d'écrire le fichier", errno);
    }
    written += static_cast<std::size_t>(count);
  }

  // A new file gets the permissions any other new file would get.
  mode_t mode = 0;
  if (exists) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(file.Get(), mode) != 0) abandon("Impossible de donner ses droits au fichier", errno);
  if (::fsync(file.Get()) != 0) abandon("Impossible d'écrire sur le disque le fichier", errno);
  if (::close(file.Release()) != 0) abandon("Impossible d'écrire le fichier", errno);
  if (::rename(temporary.c_str(), path.c_str()) != 0) abandon("Impossible de remplacer le fichier", errno);

  // Make the rename itself durable.
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) ::fsync(folder.Get());
}

}  // namespace korvel
