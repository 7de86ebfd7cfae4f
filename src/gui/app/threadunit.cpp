#include "app/threadunit.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <system_error>

namespace korvel {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM |
                                     IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

int SystemInit(int flags) { return ::inotify_init1(flags); }
int SystemAddWatch(int fd, const char* path, std::uint32_t mask) { return ::inotify_add_watch(fd, path, mask); }

std::mutex callsMutex;
InotifyCalls calls{&SystemInit, &SystemAddWatch};

InotifyCalls CurrentCalls() {
  std::lock_guard lock(callsMutex);
  return calls;
}

// A folder that is not there (yet) is no failure of the watch.
bool MissingFolder(int error) { return error == ENOENT || error == ENOTDIR; }

bool Climbs(const fs::path& relative) { return relative.empty() || *relative.begin() == ".."; }

// The folders that lead from the project folder down to the stylesheet's
// own folder, the project folder first. A stylesheet outside the project
// adds only its own folder.
std::vector<fs::path> FoldersToWatch(const fs::path& folder, const fs::path& stylesheet) {
  std::vector<fs::path> chain{folder};
  const fs::path own = stylesheet.parent_path().lexically_normal();
  const fs::path below = own.lexically_relative(folder);
  if (stylesheet.empty() || below == fs::path(".")) return chain;
  if (Climbs(below)) {
    chain.push_back(own);
    return chain;
  }
  fs::path step = folder;
  for (const fs::path& part : below) {
    step /= part;
    chain.push_back(step);
  }
  return chain;
}

// True when the path is the stylesheet's folder or one above it, below the
// project folder: replacing it replaces the stylesheet's place.
bool LeadsToStylesheet(const fs::path& path, const fs::path& stylesheet) {
  const fs::path below = stylesheet.parent_path().lexically_normal().lexically_relative(path.lexically_normal());
  return !below.empty() && *below.begin() != "..";
}

}  // namespace

int ChangeLists::ChangeCount() const {
  return static_cast<int>(added.size() + removed.size() + modified.size() + renamedOld.size() + renamedNew.size());
}

bool ChangeLists::Holds(const std::string& name) const {
  for (const std::vector<std::string>* list : {&added, &removed, &modified, &renamedOld, &renamedNew})
    if (std::find(list->begin(), list->end(), name) != list->end()) return true;
  return false;
}

std::string ProjectRelativeName(const fs::path& folder, const fs::path& path) {
  return path.lexically_normal().lexically_relative(folder.lexically_normal()).generic_string();
}

void ThreadSurveillance::SetInotifyCalls(InotifyCalls replacement) {
  std::lock_guard lock(callsMutex);
  calls = replacement;
}

InotifyCalls ThreadSurveillance::SystemInotifyCalls() { return {&SystemInit, &SystemAddWatch}; }

ThreadSurveillance::ThreadSurveillance() {
  inotify_ = CurrentCalls().init(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify_ < 0) {
    problem_ = errno;
    return;
  }
  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_ < 0) {
    problem_ = errno;
    ::close(inotify_);
    inotify_ = -1;
    return;
  }
  thread_ = std::thread([this] { Run(); });
}

std::optional<int> ThreadSurveillance::TakeProblem() {
  std::lock_guard lock(mutex_);
  if (problem_ == 0 || problemTaken_) return std::nullopt;
  problemTaken_ = true;
  return problem_;
}

void ThreadSurveillance::NoteProblem(int error) {
  if (error != 0 && problem_ == 0) problem_ = error;
}

ThreadSurveillance::~ThreadSurveillance() { Stop(); }

void ThreadSurveillance::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  if (!thread_.joinable()) return;  // never started
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
  thread_.join();
  ::close(inotify_);
  ::close(wake_);
}

void ThreadSurveillance::SetWatchedFolder(const fs::path& folder, const fs::path& stylesheet) {
  {
    std::lock_guard lock(mutex_);
    target_ = Target{folder.empty() ? fs::path() : folder.lexically_normal(), stylesheet.lexically_normal()};
    // A trailing "/" would make every name start with "./".
    if (!target_.folder.empty() && !target_.folder.has_filename()) target_.folder = target_.folder.parent_path();
    ++targetGeneration_;
    changes_ = ChangeLists{};
    // Without a thread there is nothing to wait for.
    if (!thread_.joinable()) {
      watchingGeneration_ = targetGeneration_;
      return;
    }
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
}

fs::path ThreadSurveillance::WatchedFolder() const {
  std::lock_guard lock(mutex_);
  return target_.folder;
}

ChangeLists ThreadSurveillance::TakeChanges() {
  std::lock_guard lock(mutex_);
  ChangeLists taken = std::move(changes_);
  changes_ = ChangeLists{};
  return taken;
}

int ThreadSurveillance::ChangeCount() const {
  std::lock_guard lock(mutex_);
  return changes_.ChangeCount();
}

bool ThreadSurveillance::WaitForChanges(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, timeout, [this] { return !changes_.Empty(); });
}

bool ThreadSurveillance::WaitForName(const std::string& name, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, timeout, [&] { return changes_.Holds(name); });
}

bool ThreadSurveillance::WaitUntilWatching(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, timeout, [this] { return watchingGeneration_ == targetGeneration_; });
}

void ThreadSurveillance::Run() {
  std::vector<Watch> watches;
  Target current;
  unsigned generation = 0;
  for (;;) {
    bool retarget = false;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      if (generation != targetGeneration_) {
        generation = targetGeneration_;
        current = target_;
        retarget = true;
      }
    }
    if (retarget) {
      const int error = WatchTarget(inotify_, current, watches);
      std::lock_guard lock(mutex_);
      NoteProblem(error);
      watchingGeneration_ = generation;
      recorded_.notify_all();
    }

    pollfd waits[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0) continue;  // EINTR: look again
    if (waits[1].revents & POLLIN) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t read = ::read(wake_, &count, sizeof count);
    }
    if (waits[0].revents & POLLIN) ReadEvents(inotify_, current, generation, watches);
  }
  for (const Watch& watch : watches) ::inotify_rm_watch(inotify_, watch.descriptor);
}

int ThreadSurveillance::WatchTarget(int inotify, const Target& target, std::vector<Watch>& watches) {
  const auto addWatch = CurrentCalls().addWatch;
  std::vector<Watch> next;
  int problem = 0;
  auto add = [&](const fs::path& folder, Role role, std::string linkedName = {}) {
    const int descriptor = addWatch(inotify, folder.c_str(), kWatchMask);
    if (descriptor < 0) {
      const int error = errno;
      if (!MissingFolder(error) && problem == 0) problem = error;
      return false;
    }
    const auto known = std::find_if(next.begin(), next.end(), [&](const Watch& w) { return w.descriptor == descriptor; });
    if (known == next.end()) {
      next.push_back(Watch{descriptor, folder, role, std::move(linkedName)});
    } else if (!linkedName.empty()) {
      known->linkedName = std::move(linkedName);
    }
    return true;
  };
  if (!target.folder.empty()) {
    const std::vector<fs::path> chain = FoldersToWatch(target.folder, target.stylesheet);
    // A missing folder ends the chain; its parent's watch sees it come back.
    for (const fs::path& folder : chain)
      if (!add(folder, Role::Chain)) break;
    // The project folder itself is missing: the nearest folder above it
    // that exists sees it come back.
    if (next.empty() && problem == 0) {
      for (fs::path above = target.folder.parent_path(); !above.empty(); above = above.parent_path()) {
        if (add(above, Role::Ancestor) || problem != 0 || above == above.root_path()) break;
      }
    }
    // A stylesheet that is a symbolic link changes where the file it names lies.
    std::error_code error;
    if (fs::is_symlink(target.stylesheet, error)) {
      const fs::path named = fs::canonical(target.stylesheet, error);
      if (!error) add(named.parent_path(), Role::Link, named.filename().string());
    }
  }
  for (const Watch& old : watches) {
    const bool kept = std::any_of(next.begin(), next.end(), [&](const Watch& w) { return w.descriptor == old.descriptor; });
    if (!kept) ::inotify_rm_watch(inotify, old.descriptor);
  }
  watches = std::move(next);
  return problem;
}

void ThreadSurveillance::ReadEvents(int inotify, const Target& target, unsigned generation,
                                    std::vector<Watch>& watches) {
  alignas(inotify_event) char buffer[64 * 1024];
  for (;;) {
    const ssize_t length = ::read(inotify, buffer, sizeof buffer);
    if (length < 0 && errno == EINTR) continue;
    if (length <= 0) break;  // EAGAIN: the queue is empty

    std::lock_guard lock(mutex_);
    // Changes of a folder given up since: the record starts afresh with the
    // new one, and the loop takes it up.
    if (generation != targetGeneration_) return;
    const std::size_t before = static_cast<std::size_t>(changes_.ChangeCount());
    const bool mayHaveChangedBefore = changes_.stylesheetMayHaveChanged;
    bool rewatch = false;
    for (ssize_t offset = 0; offset < length;) {
      inotify_event event;
      std::memcpy(&event, buffer + offset, sizeof event);
      const char* rawName = buffer + offset + sizeof(inotify_event);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event.len);

      if (event.mask & IN_Q_OVERFLOW) {
        changes_.stylesheetMayHaveChanged = true;
        continue;
      }
      const auto watch = std::find_if(watches.begin(), watches.end(),
                                      [&](const Watch& w) { return w.descriptor == event.wd; });
      if (watch == watches.end()) continue;  // a folder no longer watched
      if (event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
        changes_.stylesheetMayHaveChanged = true;
        rewatch = true;
        continue;
      }
      if (event.len == 0) continue;

      const fs::path path = watch->folder / std::string(rawName);
      if (!watch->linkedName.empty() && watch->linkedName == rawName)
        Record(changes_.modified, ProjectRelativeName(target.folder, target.stylesheet));
      if (watch->role == Role::Ancestor) {
        // The project folder, or a folder above it, is back.
        if ((event.mask & IN_ISDIR) && LeadsToStylesheet(path, target.stylesheet)) {
          changes_.stylesheetMayHaveChanged = true;
          rewatch = true;
        }
        continue;
      }
      if (watch->role == Role::Link) continue;
      if ((event.mask & IN_ISDIR) && LeadsToStylesheet(path, target.stylesheet)) rewatch = true;
      // The link itself replaced: it may name another file now.
      if (path == target.stylesheet && (event.mask & (IN_CREATE | IN_MOVED_TO))) rewatch = true;
      std::string name = ProjectRelativeName(target.folder, path);
      if (event.mask & IN_CREATE) Record(changes_.added, name);
      if (event.mask & IN_DELETE) Record(changes_.removed, name);
      if (event.mask & (IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB)) Record(changes_.modified, name);
      if (event.mask & IN_MOVED_FROM) Record(changes_.renamedOld, name);
      if (event.mask & IN_MOVED_TO) Record(changes_.renamedNew, std::move(name));
    }
    // The folders on the way are watched again before anyone hears of this
    // record: a change made once it is handed over must be seen.
    if (rewatch) NoteProblem(WatchTarget(inotify, target, watches));
    if (static_cast<std::size_t>(changes_.ChangeCount()) != before ||
        changes_.stylesheetMayHaveChanged != mayHaveChangedBefore)
      recorded_.notify_all();
  }
}

void ThreadSurveillance::Record(std::vector<std::string>& list, std::string name) {
  if (std::find(list.begin(), list.end(), name) != list.end()) return;
  if (list.size() >= kListCapacity) {
    changes_.stylesheetMayHaveChanged = true;
    return;
  }
  list.push_back(std::move(name));
}

}  // namespace korvel
