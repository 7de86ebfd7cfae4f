#pragma once

// Path comparison: turns two absolute paths into their common folder and
// what lies below it on each side, gives the last folder name of a path, and
// empties a folder of its files.
//
// Paths are native: "/" separates, and the root "/" stands where a drive
// would, so two absolute paths always share at least "/". Runs of "/" count
// as one, and "." and ".." are resolved by the names alone (no link is
// followed) before anything is split or compared. A path that names a folder must end with "/" for its last folder to
// count as a directory; without it the last name is taken as a file name.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// One split path.
struct SMyFileArray {
  /// "/" for an absolute path; "" for a relative one, which has no drive.
  std::string Drive;
  /// The directory names between the root and the file name, in order.
  std::vector<std::string> Dirs;
  /// After Compare: the path less the common base.
  std::string Remainder;
};

/// The program's one path-comparison object. The result of a comparison
/// stays in the object until the next one; callers read it right after.
/// No operation reports an error.
class GFile final {
 public:
  GFile() = default;
  GFile(const GFile&) = delete;
  GFile& operator=(const GFile&) = delete;

  /// Splits the path into record 0 or 1. False when the path is relative
  /// (then the record holds no drive and no directories).
  /// Throws std::out_of_range for another index.
  bool SplitPath(std::size_t index, std::string_view path);

  /// Splits A into record 0 and B into record 1 and keeps their longest
  /// common leading folder as CommonBase and the rest of each path as its
  /// remainder. Names compare exactly. Remainders never climb with "..".
  /// When either path is relative, the base is "" and the remainders are the
  /// two paths as given.
  void Compare(std::string_view pathA, std::string_view pathB);

  /// The common folder of the last Compare, ending with "/", or "".
  [[nodiscard]] const std::string& CommonBase() const { return commonBase_; }
  /// What lies below the common base in path A (0) or B (1) of the last
  /// Compare. Throws std::out_of_range for another index.
  [[nodiscard]] const std::string& RemainderOf(std::size_t index) const;
  /// Record 0 or 1 as the last SplitPath or Compare left it.
  /// Throws std::out_of_range for another index.
  [[nodiscard]] const SMyFileArray& Record(std::size_t index) const;

  /// The last directory name of the path: /www/proj/ gives proj, /www/proj
  /// gives www, / and relative paths give "". Leaves the last comparison alone.
  [[nodiscard]] static std::string LastFolderName(std::string_view path);

  /// Deletes the regular files directly inside the folder (hidden ones
  /// included). Sub-folders and their content are left, and a symbolic link
  /// is removed itself, never what it points to, unless it leads to a folder.
  /// An empty folder text deletes nothing; what cannot be deleted is skipped.
  static void DeleteFiles(const std::string& folder);

 private:
  std::string commonBase_;
  std::array<SMyFileArray, 2> records_;
};

}  // namespace korvel
