#pragma once

// The preview: a small HTTP server inside Korvel that serves the project to
// the browser and tells the open page when the stylesheet was saved, so that
// the page swaps its stylesheets in place instead of being opened again.
//
// It listens on 127.0.0.1 only, on a port the system chooses, and answers
// GET and HEAD only. Every address starts with a secret drawn at each start
// ("/<secret>/index.html"): another user of the machine can reach the port
// but not guess it, and gets 403. It serves files of the project folder and
// nothing else: a path with "..", in any encoding, a symbolic link leading
// out of the project, a request naming another host (a page of another site
// reaching it through its own domain name) are refused, and so are hidden
// files and folders (".git/config") and the project's settings file. HTML answers carry a
// short script that listens to the server's events (server-sent events) and
// swaps the page's stylesheets for their new version, keeping the scroll
// position.
//
// The Range header is ignored: every answer is the whole file.
//
// When the project runs under a local web server, requests can be forwarded
// to it instead (ForwardTo) and its answers are passed on as they come, HTML
// ones with the same script, so that PHP pages follow the saves too.
//
// One thread serves every connection with poll(): a listening page costs a
// socket, not a thread. A client has kHeaderTimeout to send its request and
// a stalled download is dropped after kWriteTimeout; forwarded requests run
// in a thread each, at most kMaxForwarded at once. Every public function may
// be called from the user-interface thread while it serves; stopping never
// waits on a client.

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korvel {

/// The server could not start. The message is in French, ready to be shown.
class PreviewError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PreviewServer final {
 public:
  static constexpr std::chrono::seconds kHeaderTimeout{5};
  static constexpr std::chrono::seconds kWriteTimeout{30};
  static constexpr int kMaxForwarded = 32;

  /// The events the pages listen to, under the secret path.
  static constexpr const char* kEventsName = "__korvel/events";

  /// Serves this folder (absolute) on 127.0.0.1. Raises PreviewError when
  /// the folder does not exist, no port could be had or the system gave no
  /// random bytes for the secret.
  explicit PreviewServer(const std::filesystem::path& projectFolder);

  /// Stops serving and waits for the server's threads (well under a second).
  ~PreviewServer();
  PreviewServer(const PreviewServer&) = delete;
  PreviewServer& operator=(const PreviewServer&) = delete;

  [[nodiscard]] int Port() const { return port_; }
  /// "/<secret>/": the path every address of this server starts with.
  [[nodiscard]] std::string BasePath() const { return "/" + secret_ + "/"; }
  /// The path of the events the pages listen to.
  [[nodiscard]] std::string EventsPath() const { return BasePath() + kEventsName; }
  /// "http://127.0.0.1:<port>/<secret>/".
  [[nodiscard]] std::string BaseAddress() const;
  /// The page's address on this server, or "" when the page lies outside the
  /// project folder.
  [[nodiscard]] std::string AddressOf(const std::filesystem::path& page) const;

  /// Tells every connected page that the stylesheet was saved; returns how
  /// many pages were listening. With none, the caller opens the page.
  int NotifySaved();
  /// How many pages listen to the saves now. A page closed in the browser
  /// counts until the server's next heartbeat finds it gone (about a second).
  [[nodiscard]] int ConnectedPages() const;

  /// Whether the caller should open the page in a browser now: no page
  /// listens, and none was opened in the last kOpeningGrace (a browser takes
  /// a moment to start and connect; saves in that time must not open a tab
  /// each). A true answer counts as an opening.
  bool ClaimPageOpening(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
  static constexpr std::chrono::seconds kOpeningGrace{10};

  /// Forwards every request, except the events, to the local web server
  /// ("http://localhost" or "http://localhost:8080"), under that path prefix
  /// ("/proj"), instead of reading files. An empty server reads files again.
  void ForwardTo(const std::string& schemeHostPort, const std::string& pathPrefix);

  /// Stops serving; idempotent.
  void Stop();

 private:
  struct Forwarding {
    std::string schemeHostPort;
    std::string pathPrefix;
  };

  struct Connection;
  struct Forwarded;
  struct Request;

  void Serve();
  void Accept(std::vector<std::unique_ptr<Connection>>& connections);
  void Answer(Connection& connection, std::vector<std::unique_ptr<Forwarded>>& forwarded);
  void AnswerFile(Connection& connection, const Request& request, const std::string& path);
  void Forward(Forwarded& job, const Forwarding& to, const std::string& target, const Request& request);
  void Wake();

  std::filesystem::path root_;
  // "<folder>.xml", the project's settings, named after the folder as given
  // and as resolved.
  std::vector<std::string> settingsNames_;
  std::string secret_;
  int listening_ = -1;          // the server's socket
  std::array<int, 2> wake_{-1, -1};  // a pipe that breaks the poll
  std::thread serving_;
  int port_ = 0;

  mutable std::mutex mutex_;
  std::uint64_t saveCount_ = 0;
  int connected_ = 0;
  bool stopping_ = false;
  Forwarding forwarding_;
  std::optional<std::chrono::steady_clock::time_point> lastOpening_;
};

/// The script that HTML answers carry, in its <script> element.
[[nodiscard]] const std::string& PreviewScript();

/// The HTML with the script put before its last </body> (else at its end).
[[nodiscard]] std::string WithPreviewScript(const std::string& html);

/// The request path ("/css/styles.css", already decoded) as a path relative
/// to the served folder, or nothing when it would leave it or name a hidden
/// file: a ".." part, a part starting with ".", a backslash, a NUL, a path
/// that does not start with "/".
[[nodiscard]] std::optional<std::filesystem::path> RelativeRequestPath(const std::string& requestPath);

/// The file a request path names inside the root (both canonical), or
/// nothing when the path leaves the root in any way: "..", a symbolic link
/// leading out or to a hidden file, a backslash, a NUL. A folder names its
/// index.html.
[[nodiscard]] std::optional<std::filesystem::path> FileInside(const std::filesystem::path& root,
                                                              const std::string& requestPath);

}  // namespace korvel
