#pragma once

// The change watch: a thread of its own that records which files of the
// project change while the user works in other programs. The window hands it
// the folder to watch and, when it becomes active again, takes what was
// recorded (see changewatch.h for what it then decides).
//
// Only the folders that lead to the stylesheet are watched: the project
// folder, the stylesheet's own folder and those in between. A project with
// node_modules or a photo library of thousands of sub-folders costs a few
// inotify watches, never one per folder. When the kernel's queue overflows,
// or a watched folder is replaced, the record says that the stylesheet may
// have changed rather than losing it.
//
// The thread sleeps in poll() on the inotify descriptor and on an eventfd
// that wakes it when the folder changes or the watch stops; it is never
// blocked in a read, and the destructor stops and joins it.
//
// A folder deleted and brought back is watched again: while the project
// folder is missing, the nearest folder above it that exists is watched
// for its return. A stylesheet that is a symbolic link has the folder of
// the file it names watched too. When inotify cannot watch (none to give,
// or the user's watches used up), the watch records why, once, and records
// nothing else: the window then relies on comparing the file itself.

#include <condition_variable>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace korvel {

/// What the watch saw since it was last asked. Names are relative to the
/// project folder, with "/" between folders ("css/styles.css"); each list
/// holds a name once, in the order first seen.
struct ChangeLists {
  std::vector<std::string> added;
  std::vector<std::string> removed;
  std::vector<std::string> modified;
  std::vector<std::string> renamedOld;
  std::vector<std::string> renamedNew;
  /// Some changes could not be told apart (the kernel's queue overflowed, a
  /// list was full, a watched folder was replaced): the stylesheet may have
  /// changed and its content must be compared.
  bool stylesheetMayHaveChanged = false;

  /// How many names the lists hold together.
  [[nodiscard]] int ChangeCount() const;
  /// True when one of the lists holds the name.
  [[nodiscard]] bool Holds(const std::string& name) const;
  [[nodiscard]] bool Empty() const { return ChangeCount() == 0 && !stylesheetMayHaveChanged; }
};

/// The name the watch records for a path: relative to the project folder,
/// with "/" between folders. Both paths are absolute.
[[nodiscard]] std::string ProjectRelativeName(const std::filesystem::path& folder, const std::filesystem::path& path);

/// The two inotify calls the watch makes; tests put failing ones in place.
struct InotifyCalls {
  int (*init)(int flags);
  int (*addWatch)(int fd, const char* path, std::uint32_t mask);
};

class ThreadSurveillance final {
 public:
  /// Most names one list keeps between two hand-overs; beyond, the record
  /// only says that the stylesheet may have changed.
  static constexpr std::size_t kListCapacity = 100;

  /// Starts the thread, idle until a folder is given. When the system has
  /// no inotify or eventfd to give, no thread runs and Problem says why.
  ThreadSurveillance();
  /// Stops the thread and waits for it.
  ~ThreadSurveillance();
  ThreadSurveillance(const ThreadSurveillance&) = delete;
  ThreadSurveillance& operator=(const ThreadSurveillance&) = delete;

  /// Watches this project folder for changes to this stylesheet (both
  /// absolute). An empty folder stops watching. What was recorded for the
  /// previous folder is dropped.
  void SetWatchedFolder(const std::filesystem::path& folder, const std::filesystem::path& stylesheet);
  /// The folder being watched, as last given.
  [[nodiscard]] std::filesystem::path WatchedFolder() const;

  /// Hands over what was recorded and empties the record, under one lock.
  ChangeLists TakeChanges();
  /// The number of names recorded and not yet handed over.
  [[nodiscard]] int ChangeCount() const;
  /// Waits until something is recorded or the time is up; true when the
  /// record is not empty. For tests and measurements.
  bool WaitForChanges(std::chrono::milliseconds timeout);
  /// Waits until this name is in one of the lists or the time is up; true
  /// when it is. Changes come in order: once a file written last is
  /// recorded, every earlier change is too.
  bool WaitForName(const std::string& name, std::chrono::milliseconds timeout);
  /// Waits until the thread has taken up the folder last given, so that a
  /// change made afterwards is seen. False when the time is up.
  bool WaitUntilWatching(std::chrono::milliseconds timeout);

  /// Stops the thread and waits for it; idempotent.
  void Stop();

  /// Why changes cannot all be seen (the errno of inotify_init1 or of
  /// inotify_add_watch), the first time it is asked after it happened;
  /// nothing otherwise. A folder that is missing is no problem.
  std::optional<int> TakeProblem();

  /// Replaces the inotify calls of the watches made from now on; the
  /// defaults are the system's. For tests.
  static void SetInotifyCalls(InotifyCalls calls);
  [[nodiscard]] static InotifyCalls SystemInotifyCalls();

 private:
  struct Target {
    std::filesystem::path folder;
    std::filesystem::path stylesheet;
  };
  /// What a watched folder is to the stylesheet.
  enum class Role {
    Chain,     ///< a folder on the way from the project folder to it
    Ancestor,  ///< the nearest existing folder above a missing project folder
    Link,      ///< the folder of the file a symbolic link names, and no other
  };
  struct Watch {
    int descriptor;
    std::filesystem::path folder;
    Role role = Role::Chain;
    /// The file a symbolic link stylesheet names, when it lies here.
    std::string linkedName;
  };

  void Run();
  /// Returns the errno of a watch that failed for another reason than a
  /// missing folder, 0 otherwise.
  int WatchTarget(int inotify, const Target& target, std::vector<Watch>& watches);
  /// Under the lock.
  void NoteProblem(int error);
  void ReadEvents(int inotify, const Target& target, unsigned generation, std::vector<Watch>& watches);
  void Record(std::vector<std::string>& list, std::string name);

  int inotify_ = -1;
  int wake_ = -1;

  mutable std::mutex mutex_;
  std::condition_variable recorded_;
  Target target_;
  unsigned targetGeneration_ = 0;
  unsigned watchingGeneration_ = 0;
  bool stopping_ = false;
  ChangeLists changes_;
  int problem_ = 0;
  bool problemTaken_ = false;

  std::thread thread_;
};

}  // namespace korvel
