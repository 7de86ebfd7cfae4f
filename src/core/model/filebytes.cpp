#include "model/filebytes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/messages.h"

namespace korvel {

namespace {

std::string Quoted(const std::string& path) { return "« " + path + " »"; }

std::string Reason(int error) { return SystemErrorText(error); }

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw FileError(what + " " + Quoted(path) + " : " + Reason(error) + ".");
}

const char* KindOfSpecialFile(mode_t mode) {
  if (S_ISFIFO(mode)) return "un tube nommé";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "un périphérique";
  if (S_ISSOCK(mode)) return "une socket";
  return "un fichier spécial";
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

bool IsKorvelTemporary(std::string_view name) {
  // ".<name>.korvel-XXXXXX", or ".korvel-XXXXXX" when the name was too long for a folder entry.
  constexpr std::string_view kMark = "korvel-";
  constexpr std::size_t kUnique = 6;
  if (name.size() < 1 + kMark.size() + kUnique || name.front() != '.') return false;
  const std::size_t mark = name.size() - kUnique - kMark.size();
  if (name.substr(mark, kMark.size()) != kMark) return false;
  if (mark != 1 && (mark < 3 || name[mark - 1] != '.')) return false;
  for (const char c : name.substr(name.size() - kUnique))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// Reads a regular file in pieces; `sized` hears its size before the first.
void ReadPieces(const std::string& path, std::size_t maxBytes, const std::function<void(std::size_t)>& sized,
                const std::function<void(std::string_view)>& piece) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer. Nothing but a
  // regular file is read past fstat, so no read can block either.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) Fail("Impossible d'ouvrir le fichier", path, errno);
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) Fail("Impossible de lire le fichier", path, errno);
  if (S_ISDIR(info.st_mode)) Fail("Impossible de lire le fichier", path, EISDIR);
  if (!S_ISREG(info.st_mode))
    throw FileError(Quoted(path) + " n'est pas un fichier ordinaire mais " + KindOfSpecialFile(info.st_mode) +
                    " : il n'a pas été lu.");
  const auto tooLarge = [&] {
    throw FileError("Le fichier " + Quoted(path) + " est trop grand pour être ouvert : Korvel lit des fichiers de " +
                    std::to_string(maxBytes >> 20) + " Mo au plus.");
  };
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) tooLarge();

  sized(static_cast<std::size_t>(info.st_size));
  std::vector<char> buffer(1 << 16);
  std::size_t read = 0;
  for (;;) {
    const ssize_t count = ::read(file.Get(), buffer.data(), buffer.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      Fail("Impossible de lire le fichier", path, errno);
    }
    if (count == 0) break;
    // A file that grows while it is read is held to the same limit.
    read += static_cast<std::size_t>(count);
    if (read > maxBytes) tooLarge();
    piece(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
  }
}

}  // namespace

void ReadFileInPieces(const std::string& path, const std::function<void(std::string_view)>& piece,
                      std::size_t maxBytes) {
  ReadPieces(path, maxBytes, [](std::size_t) {}, piece);
}

std::string ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  std::string bytes;
  ReadPieces(
      path, maxBytes, [&](std::size_t size) { bytes.reserve(size); },
      [&](std::string_view piece) { bytes.append(piece); });
  return bytes;
}

void RefuseWideText(std::string_view bytes, const std::string& path) {
  const auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  using namespace std::string_view_literals;
  if (startsWith("\xFF\xFE\0\0"sv) || startsWith("\0\0\xFE\xFF"sv))
    throw FileError(Quoted(path) + " : encodage UTF-32 non pris en charge.");
  if (startsWith("\xFF\xFE"sv) || startsWith("\xFE\xFF"sv))
    throw FileError(Quoted(path) + " : encodage UTF-16 non pris en charge.");
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return ::access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0;
}

void RemoveStaleTemporaries(const std::string& folder) {
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return;
  const int folderFd = ::dirfd(listing);
  while (const dirent* entry = ::readdir(listing)) {
    if (!IsKorvelTemporary(entry->d_name)) continue;
    // A save in progress holds a lock on its temporary; only one whose lock is free was left behind.
    FileDescriptor file(::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) continue;
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) continue;
    ::unlinkat(folderFd, entry->d_name, 0);
  }
  ::closedir(listing);
}

namespace {

// The file a save really writes: the target of a symbolic link, refused when there is none.
std::string ResolveTarget(const std::string& requested) {
  struct stat link {};
  if (::lstat(requested.c_str(), &link) != 0) {
    if (errno == ENOENT) return requested;
    Fail("Impossible d'écrire le fichier", requested, errno);
  }
  if (!S_ISLNK(link.st_mode)) return requested;
  char* target = ::realpath(requested.c_str(), nullptr);
  if (target == nullptr) {
    const int error = errno;
    if (error == ELOOP)
      throw FileError("Le lien symbolique " + Quoted(requested) + " forme une boucle : il n'a pas été remplacé.");
    if (error == ENOENT)
      throw FileError("Le lien symbolique " + Quoted(requested) +
                      " mène à un fichier qui n'existe pas : il n'a pas été remplacé.");
    Fail("Impossible de suivre le lien symbolique", requested, error);
  }
  std::string path = target;
  std::free(target);
  return path;
}


// Refuses, before anything is written, a file that a rename over it would harm.
void CheckReplaceable(const std::string& requested, const std::string& path, const struct stat& old,
                      WriteOptions options) {
  if (S_ISDIR(old.st_mode)) Fail("Impossible d'écrire le fichier", path, EISDIR);
  const std::string named = requested == path ? Quoted(path) : Quoted(requested) + " (lien vers " + Quoted(path) + ")";
  if (!S_ISREG(old.st_mode))
    throw FileError(named + " n'est pas un fichier ordinaire mais " + KindOfSpecialFile(old.st_mode) +
                    " : il n'a pas été remplacé.");
  // Renaming a new file over one of several names would split it from the others, which would keep
  // the old text; writing in place cannot be made safe against an interruption, so the save stops.
  if (old.st_nlink > 1)
    throw FileError("Le fichier " + named + " a " + std::to_string(old.st_nlink) +
                    " noms (liens physiques) : l'enregistrer le séparerait de ses autres noms, qui garderaient "
                    "l'ancien texte. Il n'a pas été remplacé.");
  struct statvfs mount {};
  if (::statvfs(FolderOf(path).c_str(), &mount) == 0 && (mount.f_flag & ST_RDONLY))
    throw FileError("Le fichier " + named + " est sur un disque en lecture seule : il n'a pas été remplacé.");
  if (!options.replaceReadOnly && IsReadOnlyFile(path))
    throw ReadOnlyFileError("Le fichier " + named + " est en lecture seule : il n'a pas été remplacé.");
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden file beside the target, locked for as long as the save runs (see RemoveStaleTemporaries).
int CreateTemporary(const std::string& path, std::string& temporary) {
  temporary = FolderOf(path) + "/." + NameOf(path) + ".korvel-XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0 && errno == ENAMETOOLONG) {
    temporary = FolderOf(path) + "/.korvel-XXXXXX";
    fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  }
  if (fd >= 0) ::flock(fd, LOCK_EX);
  return fd;
}

}  // namespace

void WriteFileAtomically(const std::string& requested, std::string_view bytes, WriteOptions options) {
  if (requested.empty() || requested.back() == '/') Fail("Impossible d'écrire le fichier", requested, EISDIR);

  const std::string path = ResolveTarget(requested);
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists) CheckReplaceable(requested, path, old, options);

  RemoveStaleTemporaries(FolderOf(path));
  std::string temporary;
  FileDescriptor file(CreateTemporary(path, temporary));
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

  // A new file gets the permissions any other new file would get. The owner is set before the mode,
  // since changing the owner may clear set-id bits; only the owner's own user may give it away.
  mode_t mode = 0;
  if (exists) {
    if (::fchown(file.Get(), old.st_uid, old.st_gid) != 0 && errno != EPERM)
      abandon("Impossible de garder le propriétaire du fichier", errno);
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(file.Get(), mode) != 0) abandon("Impossible de donner ses droits au fichier", errno);
  if (::fsync(file.Get()) != 0) abandon("Impossible d'écrire sur le disque le fichier", errno);
  if (::rename(temporary.c_str(), path.c_str()) != 0) abandon("Impossible de remplacer le fichier", errno);
  if (::close(file.Release()) != 0) Fail("Impossible d'écrire le fichier", path, errno);

  // Make the rename itself durable.
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) ::fsync(folder.Get());
}

}  // namespace korvel
