// How quickly Korvel hears of a change: an outside write to the stylesheet
// until the watch has recorded it, a save until a listening page has the
// event, and what the watch costs while nothing changes.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/previewserver.h"
#include "app/threadunit.h"
#include "listeningpage.h"

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
  bench::ListeningPage page(server);
  for (auto _ : state) {
    const int before = page.Saves();
    const auto start = Clock::now();
    server.NotifySaved();
    if (!page.WaitBeyond(before)) state.SkipWithError("the page never heard of the save");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(SaveReachesPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

// A connection to the preview that sends this beginning of a request; -1
// when refused.
int Connected(const PreviewServer& server, const std::string& request) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(server.Port()));
  ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
      ::send(socket, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    ::close(socket);
    return -1;
  }
  return socket;
}

// How many of that many listening pages hear a save within two seconds.
void PagesHearingASave(benchmark::State& state) {
  const Project project;
  for (auto _ : state) {
    PreviewServer server(project.Root());
    const std::string request = "GET " + server.EventsPath() + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                                std::to_string(server.Port()) + "\r\n\r\n";
    std::vector<pollfd> pages;
    for (int i = 0; i < state.range(0); ++i) pages.push_back({Connected(server, request), POLLIN, 0});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    server.NotifySaved();
    std::vector<std::string> heard(pages.size());
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < end && ::poll(pages.data(), pages.size(), 100) >= 0) {
      for (std::size_t i = 0; i < pages.size(); ++i) {
        char buffer[4096];
        if (pages[i].revents & POLLIN) {
          const ssize_t count = ::recv(pages[i].fd, buffer, sizeof buffer, 0);
          if (count > 0) heard[i].append(buffer, static_cast<std::size_t>(count));
          else pages[i].fd = -pages[i].fd - 1;  // closed: poll no more
        }
      }
    }
    int count = 0;
    for (const std::string& answer : heard) count += answer.find("event: saved") != std::string::npos ? 1 : 0;
    state.counters["heard"] = count;
    for (const pollfd& page : pages) ::close(page.fd < 0 ? -page.fd - 1 : page.fd);
  }
}
BENCHMARK(PagesHearingASave)->Arg(40)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);

// Stopping the preview while that many clients send their request one byte
// at a time (each gives up after 15 s).
void StopWithSlowClients(benchmark::State& state) {
  const Project project;
  for (auto _ : state) {
    auto server = std::make_unique<PreviewServer>(project.Root());
    std::vector<int> clients;
    for (int i = 0; i < state.range(0); ++i) clients.push_back(Connected(*server, "GET "));
    std::atomic<bool> done = false;
    std::thread dribbling([&] {
      const auto end = Clock::now() + std::chrono::seconds(15);
      while (!done && Clock::now() < end) {
        for (const int client : clients) ::send(client, "x", 1, MSG_NOSIGNAL);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto start = Clock::now();
    server.reset();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    done = true;
    dribbling.join();
    for (const int client : clients) ::close(client);
  }
}
BENCHMARK(StopWithSlowClients)->Arg(20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
