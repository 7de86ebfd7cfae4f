#include "app/previewserver.h"

#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>
#include <system_error>
#include <utility>

#include "model/filebytes.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;

constexpr const char* kHost = "127.0.0.1";
// How often a listening page is written to, so that a closed one is noticed.
constexpr auto kHeartbeat = std::chrono::seconds(1);
// A request head longer than this is no browser's.
constexpr std::size_t kMaxRequestHead = 16 * 1024;
// What a listening page that reads nothing may owe before it is dropped.
constexpr std::size_t kMaxOwed = 64 * 1024;
// How much of a file is read at a time while it is sent.
constexpr std::size_t kChunk = 64 * 1024;
// A forwarded HTML page larger than this is passed on without the script.
constexpr std::size_t kMaxScriptedPage = 16 * 1024 * 1024;

const std::string kScript = R"(<script>
(function () {
  // Every address of the preview starts with its secret, the page's too.
  var events = new EventSource("/" + location.pathname.split("/")[1] + "/__korvel/events");
  events.addEventListener("saved", function () {
    var links = document.querySelectorAll('link[rel~="stylesheet"]');
    Array.prototype.forEach.call(links, function (old) {
      var url = new URL(old.href, location.href);
      if (url.origin !== location.origin) return;
      url.searchParams.set("korvel-save", Date.now());
      var fresh = old.cloneNode();
      fresh.href = url.href;
      fresh.onload = fresh.onerror = function () { old.remove(); };
      old.after(fresh);
    });
  });
})();
</script>
)";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string ContentTypeOf(const fs::path& file) {
  static const std::array<std::pair<const char*, const char*>, 19> kTypes{{
      {".html", "text/html"},                {".htm", "text/html"},
      {".php", "text/html"},                 {".css", "text/css"},
      {".js", "text/javascript"},            {".mjs", "text/javascript"},
      {".json", "application/json"},         {".txt", "text/plain"},
      {".png", "image/png"},                 {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},               {".gif", "image/gif"},
      {".svg", "image/svg+xml"},             {".webp", "image/webp"},
      {".ico", "image/x-icon"},              {".bmp", "image/bmp"},
      {".woff", "font/woff"},                {".woff2", "font/woff2"},
      {".ttf", "font/ttf"},
  }};
  // No charset: the page's own <meta charset> says it, and Korvel's projects
  // are not all in UTF-8.
  const std::string extension = Lower(file.extension().string());
  for (const auto& [known, type] : kTypes)
    if (extension == known) return type;
  return "application/octet-stream";
}

bool IsHtml(const std::string& contentType) { return contentType.rfind("text/html", 0) == 0; }

bool Within(const fs::path& root, const fs::path& path) {
  auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return rootEnd == root.end();
}

std::string PercentEncoded(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

// A secret no other user of the machine can guess: 128 bits from the
// system's random source, in hexadecimal.
std::string DrawSecret() {
  std::array<unsigned char, 16> bytes{};
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t count = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw PreviewError("Impossible de tirer le secret du serveur d'aperçu");
    filled += static_cast<std::size_t>(count);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string secret;
  for (const unsigned char byte : bytes) {
    secret += kHex[byte >> 4];
    secret += kHex[byte & 15];
  }
  return secret;
}

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHidden(const std::string& part) { return !part.empty() && part.front() == '.' && part != "."; }

const char* ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Unknown";
  }
}

// The status line and the headers every answer carries, up to the type.
std::string AnswerHead(int status, const std::string& type, const std::string& reason = {}) {
  return "HTTP/1.1 " + std::to_string(status) + " " + (reason.empty() ? ReasonOf(status) : reason) +
         "\r\nContent-Type: " + type +
         "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nAccept-Ranges: none"
         "\r\nConnection: close\r\n";
}

std::string Refusal(int status) {
  const std::string body = std::string(ReasonOf(status)) + "\n";
  std::string answer = AnswerHead(status, "text/plain; charset=utf-8");
  if (status == 405) answer += "Allow: GET, HEAD\r\n";
  return answer + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

// Sends it all on a blocking socket; false when the client is gone.
bool SendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

}  // namespace

const std::string& PreviewScript() { return kScript; }

std::string WithPreviewScript(const std::string& html) {
  const std::size_t body = Lower(html).rfind("</body>");
  if (body == std::string::npos) return html + kScript;
  std::string result = html;
  result.insert(body, kScript);
  return result;
}

std::optional<fs::path> RelativeRequestPath(const std::string& requestPath) {
  if (requestPath.empty() || requestPath.front() != '/') return std::nullopt;
  if (requestPath.find('\\') != std::string::npos || requestPath.find('\0') != std::string::npos) return std::nullopt;
  fs::path relative;
  std::size_t start = 1;
  while (start <= requestPath.size()) {
    std::size_t end = requestPath.find('/', start);
    if (end == std::string::npos) end = requestPath.size();
    const std::string part = requestPath.substr(start, end - start);
    if (IsHidden(part)) return std::nullopt;
    if (!part.empty() && part != ".") relative /= part;
    start = end + 1;
  }
  return relative;
}

std::optional<fs::path> FileInside(const fs::path& root, const std::string& requestPath) {
  const std::optional<fs::path> relative = RelativeRequestPath(requestPath);
  if (!relative) return std::nullopt;
  fs::path candidate = root / *relative;
  std::error_code error;
  if (fs::is_directory(candidate, error)) candidate /= "index.html";
  const fs::path real = fs::canonical(candidate, error);
  if (error || !Within(root, real) || !fs::is_regular_file(real, error)) return std::nullopt;
  // A link with a plain name may still lead to a hidden file.
  for (const fs::path& part : real.lexically_relative(root))
    if (IsHidden(part.string())) return std::nullopt;
  return real;
}

// What the server knows of a request once its head is read.
struct PreviewServer::Request {
  std::string method;
  std::string path;   // decoded
  std::string query;  // with its "?", as sent
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case

  [[nodiscard]] std::string Header(const std::string& lowerName) const {
    for (const auto& [name, value] : headers)
      if (name == lowerName) return value;
    return {};
  }

  // The head up to its blank line; nothing when it is not HTTP.
  static std::optional<Request> Parse(std::string_view head) {
    Request request;
    std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    const std::size_t space1 = line.find(' ');
    const std::size_t space2 = line.rfind(' ');
    if (space1 == std::string_view::npos || space2 == space1 || line.substr(space2 + 1).rfind("HTTP/1.", 0) != 0)
      return std::nullopt;
    request.method = std::string(line.substr(0, space1));
    const std::string_view target = line.substr(space1 + 1, space2 - space1 - 1);
    if (target.empty() || target.front() != '/') return std::nullopt;
    const std::size_t question = target.find('?');
    std::optional<std::string> path = PercentDecoded(target.substr(0, question));
    if (!path) return std::nullopt;
    request.path = std::move(*path);
    if (question != std::string_view::npos) request.query = std::string(target.substr(question));
    while (lineEnd != std::string_view::npos && lineEnd + 2 < head.size()) {
      const std::size_t start = lineEnd + 2;
      lineEnd = head.find("\r\n", start);
      const std::string_view field = head.substr(start, lineEnd - start);
      const std::size_t colon = field.find(':');
      if (colon == std::string_view::npos || colon == 0) return std::nullopt;
      std::string_view value = field.substr(colon + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
      request.headers.emplace_back(Lower(std::string(field.substr(0, colon))), std::string(value));
    }
    return request;
  }
};

// One client's socket, in the serving thread's hands.
struct PreviewServer::Connection {
  enum class State { Reading, Writing, Listening };

  explicit Connection(int accepted) : socket(accepted), deadline(Clock::now() + kHeaderTimeout) {}
  ~Connection() {
    if (file >= 0) ::close(file);
    if (socket >= 0) ::close(socket);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Sends what it can without waiting; false when the connection is done
  // with, because all is sent or the client is gone.
  bool Flush() {
    for (;;) {
      while (sent < out.size()) {
        const ssize_t count = ::send(socket, out.data() + sent, out.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
        deadline = Clock::now() + kWriteTimeout;
      }
      out.clear();
      sent = 0;
      if (state == State::Listening) return true;
      if (fileLeft == 0) {
        ::shutdown(socket, SHUT_WR);
        return false;
      }
      out.resize(std::min<std::uint64_t>(kChunk, fileLeft));
      const ssize_t count = ::read(file, out.data(), out.size());
      if (count <= 0) return false;  // the file shrank: the answer is cut short
      out.resize(static_cast<std::size_t>(count));
      fileLeft -= static_cast<std::uint64_t>(count);
    }
  }

  int socket;
  State state = State::Reading;
  std::string in;
  std::string out;
  std::size_t sent = 0;
  int file = -1;  // the rest of the answer comes from it
  std::uint64_t fileLeft = 0;
  std::uint64_t seen = 0;  // the saves a listening page was told of
  Clock::time_point deadline;  // for the request head, then for progress
  Clock::time_point nextBeat;
  bool done = false;
};

// A request forwarded to the local web server, in a thread of its own since
// that server may take its time. Cancelling it cuts both of its sockets.
struct PreviewServer::Forwarded {
  explicit Forwarded(int browser) : socket(browser) {}
  ~Forwarded() {
    Cancel();
    if (thread.joinable()) thread.join();
    ::close(socket);
  }
  Forwarded(const Forwarded&) = delete;
  Forwarded& operator=(const Forwarded&) = delete;

  void Cancel() {
    cancelled = true;
    ::shutdown(socket, SHUT_RDWR);
    std::lock_guard lock(mutex);
    if (upstream) upstream->stop();
  }

  int socket;
  std::atomic<bool> cancelled = false;
  std::atomic<bool> finished = false;
  std::mutex mutex;
  httplib::Client* upstream = nullptr;  // while it runs
  std::thread thread;
};

PreviewServer::PreviewServer(const fs::path& projectFolder) {
  std::error_code error;
  root_ = fs::canonical(projectFolder, error);
  if (error || !fs::is_directory(root_))
    throw PreviewError("Impossible de servir le dossier « " + projectFolder.string() + " » : dossier introuvable");
  for (const fs::path& folder : {projectFolder.lexically_normal(), root_}) {
    const fs::path name = folder.has_filename() ? folder.filename() : folder.parent_path().filename();
    settingsNames_.push_back(name.string() + ".xml");
  }
  secret_ = DrawSecret();

  const auto fail = [this] {
    for (const int fd : {listening_, wake_[0], wake_[1]})
      if (fd >= 0) ::close(fd);
    throw PreviewError("Impossible d'ouvrir le serveur d'aperçu sur 127.0.0.1");
  };
  listening_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listening_ < 0) fail();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listening_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listening_, 128) != 0 ||
      ::getsockname(listening_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe2(wake_.data(), O_NONBLOCK | O_CLOEXEC) != 0)
    fail();
  port_ = ntohs(address.sin_port);
  serving_ = std::thread([this] { Serve(); });
}

PreviewServer::~PreviewServer() {
  Stop();
  for (const int fd : {listening_, wake_[0], wake_[1]}) ::close(fd);
}

void PreviewServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  Wake();
  if (serving_.joinable()) serving_.join();
}

void PreviewServer::Wake() {
  const char byte = 0;
  // A full pipe already wakes the thread.
  [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);
}

std::string PreviewServer::BaseAddress() const {
  return "http://" + std::string(kHost) + ":" + std::to_string(port_) + BasePath();
}

std::string PreviewServer::AddressOf(const fs::path& page) const {
  std::error_code error;
  const fs::path real = fs::weakly_canonical(page, error);
  if (error || !Within(root_, real)) return {};
  return BaseAddress() + PercentEncoded(real.lexically_relative(root_).generic_string());
}

int PreviewServer::NotifySaved() {
  int listening = 0;
  {
    std::lock_guard lock(mutex_);
    ++saveCount_;
    listening = connected_;
  }
  Wake();
  return listening;
}

int PreviewServer::ConnectedPages() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

bool PreviewServer::ClaimPageOpening(Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (connected_ > 0 || (lastOpening_ && now - *lastOpening_ < kOpeningGrace)) return false;
  lastOpening_ = now;
  return true;
}

void PreviewServer::ForwardTo(const std::string& schemeHostPort, const std::string& pathPrefix) {
  std::lock_guard lock(mutex_);
  forwarding_ = Forwarding{schemeHostPort, pathPrefix};
  while (!forwarding_.pathPrefix.empty() && forwarding_.pathPrefix.back() == '/') forwarding_.pathPrefix.pop_back();
}

// The serving thread: every socket is polled, none is waited on, so that a
// stop is seen at once whatever the clients do.
void PreviewServer::Serve() {
  std::vector<std::unique_ptr<Connection>> connections;
  std::vector<std::unique_ptr<Forwarded>> forwarded;
  std::vector<pollfd> polled;
  for (;;) {
    std::uint64_t saves = 0;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      saves = saveCount_;
    }
    const Clock::time_point now = Clock::now();
    for (auto& connection : connections) {
      if (connection->state == Connection::State::Listening) {
        if (connection->seen != saves) {
          connection->seen = saves;
          connection->out += "event: saved\ndata: " + std::to_string(saves) + "\n\n";
        } else if (now >= connection->nextBeat && connection->out.empty()) {
          connection->out += ": heartbeat\n\n";
        }
        if (now >= connection->nextBeat) connection->nextBeat = now + kHeartbeat;
        if (!connection->out.empty() && (!connection->Flush() || connection->out.size() > kMaxOwed))
          connection->done = true;
      } else if (now >= connection->deadline) {
        connection->done = true;  // too slow to ask, or to take the answer
      }
    }
    std::erase_if(connections, [](const auto& connection) { return connection->done; });
    std::erase_if(forwarded, [](const auto& job) { return job->finished.load(); });
    int listening = 0;
    for (const auto& connection : connections) listening += connection->state == Connection::State::Listening;
    {
      std::lock_guard lock(mutex_);
      connected_ = listening;
    }

    polled.assign({{wake_[0], POLLIN, 0}, {listening_, POLLIN, 0}});
    Clock::time_point wakeBy = now + kHeartbeat;
    for (const auto& connection : connections) {
      const bool owes = !connection->out.empty();
      const short events = connection->state == Connection::State::Writing ? POLLOUT : (owes ? POLLIN | POLLOUT : POLLIN);
      polled.push_back({connection->socket, events, 0});
      wakeBy = std::min(wakeBy, connection->state == Connection::State::Listening ? connection->nextBeat
                                                                                   : connection->deadline);
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wakeBy - now).count();
    if (::poll(polled.data(), polled.size(), static_cast<int>(std::clamp<long long>(wait + 1, 0, 1000))) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (polled[0].revents) {
      char drained[64];
      while (::read(wake_[0], drained, sizeof drained) > 0) {
      }
    }
    if (polled[1].revents & POLLIN) Accept(connections);
    for (std::size_t i = 2; i < polled.size(); ++i) {
      Connection& connection = *connections[i - 2];
      if (!polled[i].revents) continue;
      if (connection.state == Connection::State::Writing) {
        connection.done = !connection.Flush();
        continue;
      }
      if (polled[i].revents & POLLOUT) connection.done = !connection.Flush();
      if (!(polled[i].revents & (POLLIN | POLLHUP | POLLERR)) || connection.done) continue;
      char buffer[4096];
      const ssize_t count = ::recv(connection.socket, buffer, sizeof buffer, MSG_DONTWAIT);
      if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (count <= 0) {
        connection.done = true;  // gone: a closed page, or a client that gave up
        continue;
      }
      if (connection.state == Connection::State::Listening) continue;  // a page has nothing more to say
      connection.in.append(buffer, static_cast<std::size_t>(count));
      if (connection.in.find("\r\n\r\n") != std::string::npos) {
        Answer(connection, forwarded);
      } else if (connection.in.size() > kMaxRequestHead) {
        connection.state = Connection::State::Writing;
        connection.out = Refusal(431);
      }
      if (connection.state == Connection::State::Writing && !connection.done) connection.done = !connection.Flush();
    }
  }
  forwarded.clear();
  std::lock_guard lock(mutex_);
  connected_ = 0;
}

void PreviewServer::Accept(std::vector<std::unique_ptr<Connection>>& connections) {
  for (;;) {
    const int socket = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (socket < 0) return;  // none left, or out of descriptors until one closes
    connections.push_back(std::make_unique<Connection>(socket));
  }
}

void PreviewServer::Answer(Connection& connection, std::vector<std::unique_ptr<Forwarded>>& forwarded) {
  connection.state = Connection::State::Writing;
  connection.deadline = Clock::now() + kWriteTimeout;
  const std::optional<Request> request = Request::Parse(connection.in.substr(0, connection.in.find("\r\n\r\n")));
  connection.in.clear();
  if (!request) return void(connection.out = Refusal(400));
  // Another site's page may reach 127.0.0.1 under a name of its own; only
  // the names of this machine are answered.
  const std::string host = request->Header("host");
  const std::string port = ":" + std::to_string(port_);
  if (host != kHost + port && host != "localhost" + port) return void(connection.out = Refusal(403));
  if (request->method != "GET" && request->method != "HEAD") return void(connection.out = Refusal(405));
  // Without the secret, nothing: not even whether a file exists.
  const std::string base = BasePath();
  if (request->path.compare(0, base.size(), base) != 0) return void(connection.out = Refusal(403));
  const std::string path = request->path.substr(base.size() - 1);
  if (path == std::string("/") + kEventsName) {
    connection.out = AnswerHead(200, "text/event-stream") + "\r\n";
    if (request->method == "HEAD") return;
    connection.out += "retry: 1000\n\n";
    connection.state = Connection::State::Listening;
    connection.nextBeat = Clock::now() + kHeartbeat;
    std::lock_guard lock(mutex_);
    connection.seen = saveCount_;
    return;
  }
  // Files and forwarded paths obey the same rule; the settings file is
  // refused under both.
  const std::optional<fs::path> relative = RelativeRequestPath(path);
  if (!relative || Holds(settingsNames_, relative->string())) return void(connection.out = Refusal(404));
  Forwarding to;
  {
    std::lock_guard lock(mutex_);
    to = forwarding_;
  }
  if (to.schemeHostPort.empty()) return AnswerFile(connection, *request, path);
  if (forwarded.size() >= static_cast<std::size_t>(kMaxForwarded)) return void(connection.out = Refusal(503));
  std::string target = "/" + relative->generic_string();
  if (path.back() == '/' && target.back() != '/') target += '/';
  target = PercentEncoded(to.pathPrefix + target) + request->query;
  // The socket is the forwarding thread's from now on.
  auto& job = *forwarded.emplace_back(std::make_unique<Forwarded>(connection.socket));
  connection.socket = -1;
  connection.done = true;
  job.thread = std::thread([this, &job, to, target, request = *request] { Forward(job, to, target, request); });
}

void PreviewServer::AnswerFile(Connection& connection, const Request& request, const std::string& path) {
  const std::optional<fs::path> file = FileInside(root_, path);
  // A link of another name may lead to the settings file.
  if (!file || (file->parent_path() == root_ && Holds(settingsNames_, file->filename().string())))
    return void(connection.out = Refusal(404));
  const std::string type = ContentTypeOf(*file);
  const bool head = request.method == "HEAD";
  if (IsHtml(type)) {
    std::string page;
    try {
      page = WithPreviewScript(ReadFileBytes(file->string()));
    } catch (const FileError&) {
      return void(connection.out = Refusal(404));
    }
    connection.out = AnswerHead(200, type) + "Content-Length: " + std::to_string(page.size()) + "\r\n\r\n";
    if (!head) connection.out += page;
    return;
  }
  // Anything else is sent as it is read, a chunk at a time.
  const int fd = ::open(file->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (fd >= 0) ::close(fd);
    return void(connection.out = Refusal(404));
  }
  connection.out = AnswerHead(200, type) + "Content-Length: " + std::to_string(status.st_size) + "\r\n\r\n";
  if (head) return void(::close(fd));
  connection.file = fd;
  connection.fileLeft = static_cast<std::uint64_t>(status.st_size);
}

void PreviewServer::Forward(Forwarded& job, const Forwarding& to, const std::string& target, const Request& request) {
  // The browser's socket waits now, but never longer than a stalled download.
  const int flags = ::fcntl(job.socket, F_GETFL);
  ::fcntl(job.socket, F_SETFL, flags & ~O_NONBLOCK);
  const timeval patience{std::chrono::seconds(kWriteTimeout).count(), 0};
  ::setsockopt(job.socket, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);

  httplib::Client upstream(to.schemeHostPort);
  upstream.set_connection_timeout(1);
  upstream.set_read_timeout(30);
  {
    std::lock_guard lock(job.mutex);
    job.upstream = &upstream;
  }
  // What a page needs of the request to be the same page: its language,
  // what it accepts, its session.
  httplib::Headers headers;
  for (const char* name : {"Accept", "Accept-Language", "Cookie", "User-Agent"}) {
    const std::string value = request.Header(Lower(name));
    if (!value.empty()) headers.emplace(name, value);
  }
  bool scripted = false;
  bool started = false;
  std::string page;
  const auto passHead = [&](const httplib::Response& answer) {
    if (job.cancelled) return false;
    const std::string type = answer.get_header_value("Content-Type");
    scripted = IsHtml(type) && request.method != "HEAD";
    std::string head = AnswerHead(answer.status, type.empty() ? "application/octet-stream" : type, answer.reason);
    for (const char* name : {"Location", "Set-Cookie"})
      for (std::size_t i = 0; i < answer.get_header_value_count(name); ++i)
        head += std::string(name) + ": " + answer.get_header_value(name, i) + "\r\n";
    started = true;
    return SendAll(job.socket, head + "\r\n");
  };
  const auto passBody = [&](const char* data, std::size_t length) {
    if (job.cancelled) return false;
    if (!scripted) return SendAll(job.socket, std::string_view(data, length));
    page.append(data, length);
    if (page.size() <= kMaxScriptedPage) return true;
    scripted = false;
    return SendAll(job.socket, page);
  };
  if (!job.cancelled) {
    if (request.method == "HEAD") {
      const httplib::Result answer = upstream.Head(target, headers);
      if (answer) passHead(*answer);
    } else {
      upstream.Get(target, headers, httplib::ResponseHandler(passHead), httplib::ContentReceiver(passBody));
    }
  }
  if (!started && !job.cancelled) SendAll(job.socket, Refusal(502));
  if (scripted && !job.cancelled) SendAll(job.socket, WithPreviewScript(page));
  ::shutdown(job.socket, SHUT_WR);
  {
    std::lock_guard lock(job.mutex);
    job.upstream = nullptr;
  }
  job.finished = true;
}

}  // namespace korvel
