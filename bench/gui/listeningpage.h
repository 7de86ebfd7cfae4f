#pragma once

// A page that listens to the preview's events, as the script in a served
// page does, and counts the saves it hears.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>

#include "app/previewserver.h"

namespace korvel::bench {

class ListeningPage final {
 public:
  explicit ListeningPage(PreviewServer& server) : client_("127.0.0.1", server.Port()) {
    listening_ = std::thread([this, path = server.EventsPath()] {
      client_.Get(path, [this](const char* data, std::size_t length) {
        if (std::string_view(data, length).find("event: saved") != std::string_view::npos) {
          std::lock_guard lock(mutex_);
          ++saves_;
          arrived_.notify_all();
        }
        return true;
      });
    });
    while (server.ConnectedPages() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~ListeningPage() {
    client_.stop();
    listening_.join();
  }
  ListeningPage(const ListeningPage&) = delete;
  ListeningPage& operator=(const ListeningPage&) = delete;

  /// How many saves the page heard of.
  [[nodiscard]] int Saves() const {
    std::lock_guard lock(mutex_);
    return saves_;
  }
  /// Waits until the page heard of more than `before` saves; false when it
  /// has not within two seconds.
  bool WaitBeyond(int before) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(2), [&] { return saves_ > before; });
  }

 private:
  httplib::Client client_;
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  int saves_ = 0;
  std::thread listening_;
};

}  // namespace korvel::bench
