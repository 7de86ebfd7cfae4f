#pragma once

// The file side of choosing a picture for a url(...) value: where the
// address of a value leads, the address a stylesheet must write to reach a
// file, what importing a picture into the project takes, and the copies.
//
// An address inside a stylesheet is read relative to the stylesheet's own
// folder, as browsers read it; the addresses written are relative to that
// folder too, climbing with ".." where they must. Paths are absolute and
// native ("/" separates); folder paths may end with "/" or not. Failed copies
// raise FileError with a French message naming both files; a copy never
// leaves a half-written picture behind.

#include <string>
#include <string_view>

namespace korvel {

/// The file an address of a url(...) names, read in `folder`: the address
/// without quotes, blanks, query ("?…") or fragment ("#…"), its %XX escapes
/// decoded, "." and ".." resolved by name. An empty address gives the
/// folder itself, ending with "/".
[[nodiscard]] std::string ResolveImageAddress(std::string_view address, std::string_view folder);

/// The value url(...) that reaches `target` from a stylesheet in `folder`:
/// the relative path with "/" separators ("../img/a.png" when it must
/// climb). The address is quoted when it holds a blank, a quote, a
/// parenthesis or a backslash, which an unquoted url(...) may not hold.
[[nodiscard]] std::string StylesheetUrl(std::string_view folder, std::string_view target);

/// Whether `path` lies inside `folder` (at any depth), by names alone.
[[nodiscard]] bool IsInsideFolder(std::string_view path, std::string_view folder);

/// Whether the two files hold the same bytes; false when either is missing.
[[nodiscard]] bool SameFileContent(const std::string& a, const std::string& b);

/// What importing a picture takes, found before anything is touched.
enum class ImportStep {
  UseInPlace,    ///< the picture is used where it is: nothing is copied
  Copy,          ///< copy it to the target, where no file of that name is
  AlreadyThere,  ///< the target holds the same picture already: no copy
  AskSameName,   ///< another picture of that name is at the target: ask
  AskFolder,     ///< outside the project with no images folder: ask where
};

struct ImportPlan {
  ImportStep step = ImportStep::UseInPlace;
  /// The file the value will name; empty for AskFolder.
  std::string target;
};

/// The plan for `source`: with an images folder, the picture goes there
/// under its own name (the same file chosen again is used in place); without
/// one, a picture inside the project folder is used in place and one outside
/// it needs a folder first.
[[nodiscard]] ImportPlan PlanImport(std::string_view source, std::string_view imagesFolder,
                                    std::string_view projectFolder);

/// Copies the picture, replacing a file of that name at the target. The
/// target's folder is created when missing. Raises FileError.
void CopyImage(const std::string& source, const std::string& target);

/// Puts a copy of the picture in the scratch folder (its file name kept) and
/// returns the copy's path. A copy already there with the same bytes is
/// kept; otherwise the scratch folder's files are deleted first, so that it
/// only ever holds the picture shown. Raises FileError.
std::string CopyToScratch(const std::string& source, const std::string& scratchFolder);

}  // namespace korvel
