// How quickly Korvel hears of a change: an outside write to the stylesheet
// until the watch has recorded it, a save until a listening page has the
// event, and what the watch costs while nothing changes.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/previewserver.h"
#include "app/threadunit.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A project with its stylesheet in css/, removed at the end.
class Project final {
 public:
  Project() {
    std::string pattern = (fs::temp_directory_path() / "korvel-bench-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    fs::create_directories(root_ / "css");
    Write("p { color: red }\n");
  }
  ~Project() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  void Write(const std::string& bytes) const { std::ofstream(Stylesheet(), std::ios::binary | std::ios::trunc) << bytes; }
  [[nodiscard]] const fs::path& Root() const { return root_; }
  [[nodiscard]] fs::path Stylesheet() const { return root_ / "css" / "styles.css"; }

 private:
  fs::path root_;
};

// The processor time of every thread but the main one, from the scheduler's
// own count in nanoseconds.
double OtherThreadsSeconds() {
  const std::string main = std::to_string(::getpid());
  double seconds = 0;
  for (const fs::directory_entry& task : fs::directory_iterator("/proc/self/task")) {
    if (task.path().filename() == main) continue;
    std::ifstream schedstat(task.path() / "schedstat");
    double nanoseconds = 0;
    schedstat >> nanoseconds;
    seconds += nanoseconds / 1e9;
  }
  return seconds;
}

// The project under watch.
struct WatchedProject {
  WatchedProject() {
    watch.SetWatchedFolder(project.Root(), project.Stylesheet());
    watch.WaitUntilWatching(std::chrono::seconds(5));
  }
  Project project;
  ThreadSurveillance watch;
};

// From the start of an outside write in place to the watch's record.
void OutsideChangeSeen(benchmark::State& state) {
  WatchedProject watched;
  ThreadSurveillance& watch = watched.watch;
  int round = 0;
  for (auto _ : state) {
    watch.TakeChanges();
    const auto start = Clock::now();
    watched.project.Write("p { color: #" + std::to_string(100000 + ++round) + " }\n");
    if (!watch.WaitForChanges(std::chrono::seconds(1))) state.SkipWithError("the change was never seen");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(OutsideChangeSeen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

// The processor time the watch's thread spends while nothing changes.
void IdleWatch(benchmark::State& state) {
  const WatchedProject watched;
  double busy = 0;
  double slept = 0;
  for (auto _ : state) {
    const double before = OtherThreadsSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    slept += std::chrono::duration<double>(Clock::now() - start).count();
    busy += OtherThreadsSeconds() - before;
  }
  state.counters["cpu_ms_per_s"] = 1000 * busy / slept;
}
BENCHMARK(IdleWatch)->Unit(benchmark::kMillisecond)->Iterations(6);

// From NotifySaved to the event in the hands of a listening page.
void SaveReachesPage(benchmark::State& state) {
  const Project project;
  PreviewServer server(project.Root());
  httplib::Client page("127.0.0.1", server.Port());
  std::mutex mutex;
  std::condition_variable arrived;
  int events = 0;
  std::thread listening([&] {
    page.Get(PreviewServer::kEventsPath, [&](const char* data, std::size_t length) {
      if (std::string_view(data, length).find("event: saved") != std::string_view::npos) {
        std::lock_guard lock(mutex);
        ++events;
        arrived.notify_all();
      }
      return true;
    });
  });
  while (server.ConnectedPages() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  for (auto _ : state) {
    std::unique_lock lock(mutex);
    const int before = events;
    const auto start = Clock::now();
    server.NotifySaved();
    if (!arrived.wait_for(lock, std::chrono::seconds(2), [&] { return events > before; }))
      state.SkipWithError("the page never heard of the save");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  page.stop();
  listening.join();
}
BENCHMARK(SaveReachesPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
