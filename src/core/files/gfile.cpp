#include "files/gfile.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace korvel {

namespace {

constexpr char kSeparator = '/';

// Remainders are cut by character counts, which only holds when every
// separator is a single "/"; and two spellings of one folder must compare
// equal. So an absolute path is first written plainly: runs of "/" folded,
// "." dropped, ".." taking away the name before it (at the root it stays
// there). A path ending in "." or ".." names a folder and keeps a final "/".
// Relative paths are left as they are: their ".." cannot be resolved.
std::string Plain(std::string_view path) {
  if (path.empty() || path.front() != kSeparator) return std::string(path);
  std::vector<std::string_view> names;
  bool folder = false;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find(kSeparator, start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    folder = end < path.size() || name.empty() || name == "." || name == "..";
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = end + 1;
  }
  std::string plain(1, kSeparator);
  plain.reserve(path.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    plain += names[i];
    if (i + 1 < names.size() || folder) plain += kSeparator;
  }
  return plain;
}

bool SplitInto(SMyFileArray& record, std::string_view path) {
  record.Drive.clear();
  // A relative path leaves no directories behind, so that nothing of an
  // earlier split can be taken for this one.
  record.Dirs.clear();
  const std::string single = Plain(path);
  if (single.empty() || single.front() != kSeparator) return false;
  record.Drive = std::string(1, kSeparator);

  // Everything after the last separator is the file name, not a directory.
  const std::size_t lastSeparator = single.rfind(kSeparator);
  std::string piece;
  for (std::size_t i = 1; i <= lastSeparator; ++i) {
    if (single[i] == kSeparator) {
      if (!piece.empty()) record.Dirs.push_back(piece);
      piece.clear();
    } else {
      piece.push_back(single[i]);
    }
  }
  return true;
}

void CheckIndex(std::size_t index) {
  if (index > 1) throw std::out_of_range("GFile : enregistrement " + std::to_string(index) + " inexistant (0 ou 1)");
}

}  // namespace

bool GFile::SplitPath(std::size_t index, std::string_view path) {
  CheckIndex(index);
  return SplitInto(records_[index], path);
}

void GFile::Compare(std::string_view pathA, std::string_view pathB) {
  SMyFileArray& a = records_[0];
  SMyFileArray& b = records_[1];
  const bool absoluteA = SplitPath(0, pathA);
  const bool absoluteB = SplitPath(1, pathB);
  if (!absoluteA || !absoluteB) {
    commonBase_.clear();
    a.Remainder = std::string(pathA);
    b.Remainder = std::string(pathB);
    return;
  }

  std::string base = a.Drive;
  std::string remainderA = Plain(pathA).substr(base.size());
  std::string remainderB = Plain(pathB).substr(base.size());
  const std::size_t shared = std::min(a.Dirs.size(), b.Dirs.size());
  for (std::size_t i = 0; i < shared && a.Dirs[i] == b.Dirs[i]; ++i) {
    base += a.Dirs[i];
    base += kSeparator;
    remainderA.erase(0, a.Dirs[i].size() + 1);
    remainderB.erase(0, a.Dirs[i].size() + 1);
  }
  commonBase_ = std::move(base);
  a.Remainder = std::move(remainderA);
  b.Remainder = std::move(remainderB);
}

const std::string& GFile::RemainderOf(std::size_t index) const { return Record(index).Remainder; }

const SMyFileArray& GFile::Record(std::size_t index) const {
  CheckIndex(index);
  return records_[index];
}

std::string GFile::LastFolderName(std::string_view path) {
  SMyFileArray record;
  if (!SplitInto(record, path) || record.Dirs.empty()) return {};
  return record.Dirs.back();
}

void GFile::DeleteFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  if (folder.empty()) return;

  // The list is taken whole before anything is deleted, so that removing
  // entries cannot disturb the walk through the folder.
  std::vector<fs::path> doomed;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    std::error_code ignored;
    const fs::file_status own = entry->symlink_status(ignored);
    const bool file = fs::is_regular_file(own);
    const bool linkToNonFolder = fs::is_symlink(own) && !fs::is_directory(entry->status(ignored));
    if (file || linkToNonFolder) doomed.push_back(entry->path());
  }
  for (const fs::path& path : doomed) {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
}

}  // namespace korvel
