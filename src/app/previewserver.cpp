#include "app/previewserver.h"

#include <httplib.h>
#include <sys/random.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

#include "model/filebytes.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHost = "127.0.0.1";
// How often a listening page is written to, so that a closed one is noticed.
constexpr auto kHeartbeat = std::chrono::seconds(1);

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

void Refuse(httplib::Response& response, int status, const std::string& why) {
  response.status = status;
  response.set_content(why + "\n", "text/plain; charset=utf-8");
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

  server_ = std::make_unique<httplib::Server>();
  // Room for a few pages listening at once beside the files they load.
  server_->new_task_queue = [] { return new httplib::ThreadPool(16); };
  server_->set_keep_alive_timeout(1);
  server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
    // Another site's page may reach 127.0.0.1 under a name of its own; only
    // the names of this machine are answered.
    const std::string host = request.get_header_value("Host");
    const std::string port = ":" + std::to_string(port_);
    if (host != kHost + port && host != "localhost" + port) {
      Refuse(response, 403, "Forbidden");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (request.method != "GET" && request.method != "HEAD") {
      response.set_header("Allow", "GET, HEAD");
      Refuse(response, 405, "Method Not Allowed");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) { Answer(request, response); });
  server_->set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    Refuse(response, 500, "Internal Server Error");
  });

  port_ = server_->bind_to_any_port(kHost);
  if (port_ <= 0) throw PreviewError("Impossible d'ouvrir le serveur d'aperçu sur 127.0.0.1");
  listener_ = std::thread([this] {
    server_->listen_after_bind();
    listenerEnded_ = true;
  });
  // A stop that came before the server runs would be lost, and the listener
  // never joined.
  while (!server_->is_running() && !listenerEnded_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!server_->is_running()) {
    listener_.join();
    throw PreviewError("Impossible d'ouvrir le serveur d'aperçu sur 127.0.0.1");
  }
}

PreviewServer::~PreviewServer() { Stop(); }

void PreviewServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  saved_.notify_all();
  server_->stop();
  if (listener_.joinable()) listener_.join();
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
  std::lock_guard lock(mutex_);
  ++saveCount_;
  saved_.notify_all();
  return connected_;
}

int PreviewServer::ConnectedPages() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

bool PreviewServer::ClaimPageOpening(std::chrono::steady_clock::time_point now) {
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

void PreviewServer::Answer(const httplib::Request& request, httplib::Response& response) {
  response.set_header("Cache-Control", "no-store");
  response.set_header("X-Content-Type-Options", "nosniff");
  // Without the secret, nothing: not even whether a file exists.
  const std::string base = BasePath();
  if (request.path.compare(0, base.size(), base) != 0) return Refuse(response, 403, "Forbidden");
  const std::string path = request.path.substr(base.size() - 1);
  if (path == std::string("/") + kEventsName) return AnswerEvents(request, response);
  // Files and forwarded paths obey the same rule; the settings file is
  // refused under both.
  const std::optional<fs::path> relative = RelativeRequestPath(path);
  if (!relative || Holds(settingsNames_, relative->string())) return Refuse(response, 404, "Not Found");
  Forwarding to;
  {
    std::lock_guard lock(mutex_);
    to = forwarding_;
  }
  if (to.schemeHostPort.empty()) return AnswerFile(path, response);
  std::string forwarded = "/" + relative->generic_string();
  if (path.back() == '/' && forwarded.back() != '/') forwarded += '/';
  AnswerForwarded(to, forwarded, request, response);
}

void PreviewServer::AnswerFile(const std::string& path, httplib::Response& response) {
  const std::optional<fs::path> file = FileInside(root_, path);
  // A link of another name may lead to the settings file.
  if (!file || (file->parent_path() == root_ && Holds(settingsNames_, file->filename().string()))) return Refuse(response, 404, "Not Found");
  std::string bytes;
  try {
    bytes = ReadFileBytes(file->string());
  } catch (const FileError&) {
    return Refuse(response, 404, "Not Found");
  }
  const std::string type = ContentTypeOf(*file);
  response.set_content(IsHtml(type) ? WithPreviewScript(bytes) : bytes, type);
}

void PreviewServer::AnswerForwarded(const Forwarding& to, const std::string& path, const httplib::Request& request,
                                    httplib::Response& response) {
  httplib::Client upstream(to.schemeHostPort);
  upstream.set_connection_timeout(5);
  upstream.set_read_timeout(30);
  const std::string target = PercentEncoded(to.pathPrefix + path) +
                             (request.target.find('?') != std::string::npos
                                  ? request.target.substr(request.target.find('?'))
                                  : std::string());
  // What a page needs of the request to be the same page: its language,
  // what it accepts, its session.
  httplib::Headers headers;
  for (const char* name : {"Accept", "Accept-Language", "Cookie", "User-Agent"})
    if (request.has_header(name)) headers.emplace(name, request.get_header_value(name));
  const httplib::Result answer = request.method == "HEAD" ? upstream.Head(target, headers) : upstream.Get(target, headers);
  if (!answer) return Refuse(response, 502, "Bad Gateway");
  response.status = answer->status;
  const std::string type = answer->get_header_value("Content-Type");
  for (const char* name : {"Location", "Set-Cookie"})
    for (std::size_t i = 0; i < answer->get_header_value_count(name); ++i)
      response.headers.emplace(name, answer->get_header_value(name, i));
  response.set_content(IsHtml(type) ? WithPreviewScript(answer->body) : answer->body,
                       type.empty() ? "application/octet-stream" : type);
}

void PreviewServer::AnswerEvents(const httplib::Request& request, httplib::Response& response) {
  if (request.method == "HEAD") return response.set_content("", "text/event-stream");
  std::uint64_t seen = 0;
  {
    std::lock_guard lock(mutex_);
    seen = saveCount_;
    ++connected_;
  }
  response.set_chunked_content_provider(
      "text/event-stream",
      [this, seen, first = true](std::size_t, httplib::DataSink& sink) mutable {
        std::string message;
        if (first) {
          first = false;
          message = "retry: 1000\n\n";
        } else {
          std::unique_lock lock(mutex_);
          saved_.wait_for(lock, kHeartbeat, [&] { return stopping_ || saveCount_ != seen; });
          if (stopping_) return false;
          if (saveCount_ != seen) {
            seen = saveCount_;
            message = "event: saved\ndata: " + std::to_string(seen) + "\n\n";
          } else {
            message = ": heartbeat\n\n";
          }
        }
        return sink.write(message.data(), message.size());
      },
      [this](bool) {
        std::lock_guard lock(mutex_);
        --connected_;
      });
}

}  // namespace korvel
