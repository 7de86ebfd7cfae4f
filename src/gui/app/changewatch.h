#pragma once

// What the window does with the watch's record when it becomes active again:
// nothing, tell that the stylesheet is gone, or ask whether to reload it.
//
// Korvel's own saves are recognised by what they wrote, not by a flag: the
// window keeps the stamp (size and hash of the bytes) of the version it holds,
// the one it read or last wrote, and asks whenever the file on disk differs
// from it. An outside edit made right after Korvel's own save is therefore
// asked about like any other.
//
// The watch only says when to look: the file itself is compared with the
// version held whenever the window becomes active and before every save, so
// an edit the watch could not see (the window kept the focus, the user's
// inotify watches were used up) is asked about all the same. A save never
// replaces an outside edit unless the user says so.
//
// Editors that save by writing a new file and renaming it over the
// stylesheet, or by deleting and re-creating it, leave a file in place: that
// is a modification. A deletion is reported only when the file is really gone
// when the decision is taken.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/threadunit.h"
#include "base/messages.h"

namespace korvel {

/// Size and hash of a version of the stylesheet. The modification time is no
/// part of it: the kernel's clock steps in milliseconds, and an outside save
/// right after Korvel's could share its time.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t hash = 0;

  /// The stamp of these bytes.
  [[nodiscard]] static FileStamp OfBytes(std::string_view bytes);
  /// The stamp of the file as it is now; nothing when it does not exist.
  /// Raises FileError (in French) when it exists but cannot be read.
  [[nodiscard]] static std::optional<FileStamp> OfFile(const std::string& path);

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/// What to tell the user. AskBeforeSave: the file changed outside since it
/// was read or written; Yes reloads it, No replaces it, Cancel saves nothing.
enum class ChangeVerdict { Nothing, AskModified, AskDeleted, AskBeforeSave };

struct ChangeDecision {
  ChangeVerdict verdict = ChangeVerdict::Nothing;
  /// The message to show (empty for Nothing). A modification is a question
  /// whose OK means "reload"; a deletion is a warning with one OK button.
  Message message;
};

/// Decides what the activation shows.
/// - `recorded`: what the watch handed over.
/// - `stylesheetName`: the stylesheet as the watch names it (ProjectRelativeName).
/// - `onDisk`: the stylesheet's stamp now, nothing when it is gone.
/// - `held`: the stamp of the version Korvel holds (read or last saved);
///   nothing when no stylesheet is loaded, and then nothing is asked.
/// - `unsavedEdits`: the user has changed values not yet saved; the question
///   then says that reloading drops them.
[[nodiscard]] ChangeDecision DecideOnActivation(const ChangeLists& recorded, const std::string& stylesheetName,
                                                const std::optional<FileStamp>& onDisk,
                                                const std::optional<FileStamp>& held, bool unsavedEdits);

/// Decides what a save asks first: AskBeforeSave when the stylesheet on
/// disk (`onDisk`) is neither gone nor the version held.
[[nodiscard]] ChangeDecision DecideBeforeSave(const std::string& stylesheetName, const std::optional<FileStamp>& onDisk,
                                              const std::optional<FileStamp>& held, bool unsavedEdits);

/// True when the record names the stylesheet, or a folder on its way, or
/// says that the stylesheet may have changed.
[[nodiscard]] bool ConcernsStylesheet(const ChangeLists& recorded, const std::string& stylesheetName);

/// The window's side of the watch: the watch thread, the stylesheet it
/// looks after and the stamp of the version the window holds.
///
/// The window calls Watch at "OK", Hold with the bytes it read or wrote at
/// every load and save, and OnActivation when it becomes active again; on
/// OK to "Recharger ?" it loads the stylesheet again (and calls Hold).
class ChangeWatch final {
 public:
  ChangeWatch() = default;
  ChangeWatch(const ChangeWatch&) = delete;
  ChangeWatch& operator=(const ChangeWatch&) = delete;

  /// Watches the project for changes to this stylesheet (absolute paths).
  /// The version held is forgotten until the next Hold.
  void Watch(const std::filesystem::path& projectFolder, const std::filesystem::path& stylesheet);
  /// These bytes are the stylesheet as the window holds it now.
  void Hold(std::string_view bytes);

  /// Takes what the watch recorded and decides what to tell the user,
  /// comparing the stylesheet with the version held whatever the record
  /// says. Raises FileError when it exists but cannot be read. A version the
  /// user already declined to reload is not asked about again (an editor
  /// that writes twice, or touches the file, would ask again); the next
  /// different one is. A deletion is told once.
  [[nodiscard]] ChangeDecision OnActivation(bool unsavedEdits);
  /// Before a save: AskBeforeSave when the file on disk is not the version
  /// held (an outside edit the save would overwrite), Nothing otherwise (a
  /// file gone holds nothing to lose). Raises FileError when it exists but
  /// cannot be read.
  [[nodiscard]] ChangeDecision BeforeSave(bool unsavedEdits) const;

  /// Why outside edits cannot all be seen by the watch, in French, the first
  /// time it is asked; nothing otherwise.
  [[nodiscard]] std::optional<std::string> TakeProblem();

  [[nodiscard]] ThreadSurveillance& Thread() { return thread_; }

 private:
  ThreadSurveillance thread_;
  std::filesystem::path stylesheet_;
  std::string stylesheetName_;
  std::optional<FileStamp> held_;
  std::optional<FileStamp> asked_;
  bool deletionTold_ = false;
};

/// The message that says the watch cannot see outside edits, for this errno.
[[nodiscard]] std::string WatchProblemText(int error);

}  // namespace korvel
