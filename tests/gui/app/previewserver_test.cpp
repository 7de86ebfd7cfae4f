// The preview server driven over HTTP: what it serves, the script in its
// pages, the event a save sends, and every way out of the project refused.

#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/previewserver.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kSecret = "mot de passe: hunter2";
const std::string kPage = "<html><head><link rel=\"stylesheet\" href=\"css/styles.css\"></head>"
                          "<body><p>Bonjour</p></BODY></html>";
const std::string kCss = "p { color: red }\n";

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Connects to that address; -1 when refused.
int Connect(const char* address, int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  ::inet_pton(AF_INET, address, &to.sin_addr);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

// Sends the request line exactly as written, so that no client library
// tidies the path first, and returns the answer, or its first `atMost` bytes.
std::string RawRequest(int port, const std::string& requestLine, const std::string& moreHeaders = {},
                       std::size_t atMost = 16 << 20) {
  const int socket = Connect("127.0.0.1", port);
  if (socket < 0) return {};
  const timeval patience{10, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  const std::string request = requestLine + "\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + moreHeaders +
                              "Connection: close\r\n\r\n";
  [[maybe_unused]] const ssize_t sent = ::send(socket, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[65536];
  for (ssize_t count; answer.size() < atMost && (count = ::recv(socket, buffer, sizeof buffer, 0)) > 0;)
    answer.append(buffer, static_cast<std::size_t>(count));
  ::close(socket);
  return answer;
}

// Sockets that send the beginning of a request and then one byte every
// 100 ms, for ten seconds at most or until stopped.
class SlowClients final {
 public:
  SlowClients(int port, int count) : sockets_(Started(port, count)), dribbling_([this] { Dribble(); }) {}
  ~SlowClients() {
    stop_ = true;
    dribbling_.join();
    for (const int socket : sockets_) ::close(socket);
  }
  SlowClients(const SlowClients&) = delete;
  SlowClients& operator=(const SlowClients&) = delete;

  // How many of them the server has hung up on, waiting that long at most.
  int HungUpOn(std::chrono::milliseconds within) const {
    std::vector<pollfd> polled;
    for (const int socket : sockets_) polled.push_back({socket, POLLIN, 0});
    std::vector<bool> closed(polled.size());
    const auto end = std::chrono::steady_clock::now() + within;
    while (std::count(closed.begin(), closed.end(), true) < static_cast<long>(closed.size()) &&
           std::chrono::steady_clock::now() < end && ::poll(polled.data(), polled.size(), 100) >= 0) {
      for (std::size_t i = 0; i < polled.size(); ++i) {
        char buffer[256];
        if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) &&
            ::recv(polled[i].fd, buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
          closed[i] = true;
          polled[i].fd = -1;
        }
      }
    }
    return static_cast<int>(std::count(closed.begin(), closed.end(), true));
  }

 private:
  static std::vector<int> Started(int port, int count) {
    std::vector<int> sockets;
    for (int i = 0; i < count; ++i) {
      sockets.push_back(Connect("127.0.0.1", port));
      ::send(sockets.back(), "GET /", 5, MSG_NOSIGNAL);
    }
    return sockets;
  }
  void Dribble() {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!stop_ && std::chrono::steady_clock::now() < end) {
      for (const int socket : sockets_) ::send(socket, "a", 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(100ms);
    }
  }

  std::vector<int> sockets_;
  std::atomic<bool> stop_ = false;
  std::thread dribbling_;
};

}  // namespace

class PreviewServerTest final : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  fs::path project_;
  fs::path outside_;

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    project_ = fs::path(folder_->path().toStdString()) / "projet";
    outside_ = fs::path(folder_->path().toStdString()) / "ailleurs";
    Write(project_ / "index.html", kPage);
    Write(project_ / "css" / "styles.css", kCss);
    Write(project_ / "sous dossier" / "index.html", "<p>sans body</p>");
    Write(outside_ / "secret.txt", kSecret);
    Write(project_ / "secret.txt.inside", kSecret);  // a name that is no secret
    fs::create_directory_symlink(outside_, project_ / "lien-dehors");
    fs::create_symlink(outside_ / "secret.txt", project_ / "secret.txt");
    fs::create_symlink(project_ / "css" / "styles.css", project_ / "lien-dedans.css");
  }

  void servesTheProjectWithTheScriptInItsPages() {
    PreviewServer server(project_);
    httplib::Client client("127.0.0.1", server.Port());
    const auto page = client.Get(server.BasePath() + "index.html");
    QVERIFY(page);
    QCOMPARE(page->status, 200);
    QCOMPARE(page->get_header_value("Content-Type"), std::string("text/html"));
    QCOMPARE(page->body, std::string(kPage).insert(kPage.rfind("</BODY>"), PreviewScript()));

    const auto css = client.Get(server.BasePath() + "css/styles.css");
    QVERIFY(css);
    QCOMPARE(css->status, 200);
    QCOMPARE(css->body, kCss);
    QCOMPARE(css->get_header_value("Content-Type"), std::string("text/css"));
    QCOMPARE(css->get_header_value("Cache-Control"), std::string("no-store"));

    const auto folder = client.Get(server.BasePath() + "sous%20dossier/");
    QVERIFY(folder);
    QCOMPARE(folder->body, "<p>sans body</p>" + PreviewScript());
    const auto linkedInside = client.Get(server.BasePath() + "lien-dedans.css");
    QVERIFY(linkedInside);
    QCOMPARE(linkedInside->body, kCss);

    const auto head = client.Head(server.BasePath() + "index.html");
    QVERIFY(head);
    QCOMPARE(head->status, 200);
    QVERIFY(head->body.empty());
    QCOMPARE(client.Get(server.BasePath() + "absent.html")->status, 404);
  }

  void nothingOutsideTheProjectIsServed_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("dot dot") << "/../ailleurs/secret.txt";
    QTest::newRow("dot dot after a folder") << "/css/../../ailleurs/secret.txt";
    QTest::newRow("encoded dot dot") << "/%2e%2e/ailleurs/secret.txt";
    QTest::newRow("encoded upper case, encoded slash") << "/%2E%2E%2Failleurs%2Fsecret.txt";
    QTest::newRow("dot dot with an encoded slash") << "/..%2failleurs/secret.txt";
    QTest::newRow("backslashes") << "/css\\..\\..\\ailleurs\\secret.txt";
    QTest::newRow("encoded backslashes") << "/css%5c..%5c..%5cailleurs%5csecret.txt";
    QTest::newRow("absolute path") << "/{ailleurs}/secret.txt";
    QTest::newRow("absolute form") << "file://{ailleurs}/secret.txt";
    QTest::newRow("folder linked outside") << "/lien-dehors/secret.txt";
    QTest::newRow("file linked outside") << "/secret.txt";
    QTest::newRow("NUL byte") << "/secret.txt%00.inside";
  }
  void nothingOutsideTheProjectIsServed() {
    QFETCH(QString, target);
    target.replace(QStringLiteral("{ailleurs}"), QString::fromStdString(outside_.string()));
    PreviewServer server(project_);
    // With the secret, so that it is the path that is refused.
    if (target.startsWith(u'/')) target.prepend(QString::fromStdString(server.BasePath()).chopped(1));
    const std::string answer = RawRequest(server.Port(), "GET " + target.toStdString() + " HTTP/1.1");
    QVERIFY2(answer.rfind("HTTP/1.1 4", 0) == 0, answer.c_str());
    QVERIFY(answer.find("hunter2") == std::string::npos);
  }

  // Another user of the machine reaches the port too, but cannot know the
  // secret the page's address starts with.
  void nothingIsServedWithoutTheSecret_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("page") << "/index.html";
    QTest::newRow("root") << "/";
    QTest::newRow("events") << "/__korvel/events";
    QTest::newRow("another secret") << "/0123456789abcdef0123456789abcdef/index.html";
    QTest::newRow("the secret cut short") << "/{secret-1}/index.html";
    QTest::newRow("the secret run on") << "/{secret}index.html";
  }
  void nothingIsServedWithoutTheSecret() {
    QFETCH(QString, target);
    PreviewServer server(project_);
    const QString secret = QString::fromStdString(server.BasePath()).mid(1).chopped(1);
    QCOMPARE(secret.size(), 32);
    target.replace(QStringLiteral("{secret-1}"), secret.chopped(1)).replace(QStringLiteral("{secret}"), secret);
    const std::string answer = RawRequest(server.Port(), "GET " + target.toStdString() + " HTTP/1.1");
    QVERIFY2(answer.rfind("HTTP/1.1 403", 0) == 0, answer.c_str());
    QVERIFY(answer.find("Bonjour") == std::string::npos);
    // Each start draws its own.
    QVERIFY(PreviewServer(project_).BasePath() != server.BasePath());
  }

  // Inside the project too, what a browser has no use for and may be
  // private: hidden files and folders, and the project's settings.
  void hiddenFilesAndTheSettingsAreRefused_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("hidden folder") << ".git/config";
    QTest::newRow("hidden folder, encoded dot") << "%2egit/config";
    QTest::newRow("hidden file") << ".notes";
    QTest::newRow("hidden file in a folder") << "css/.notes";
    QTest::newRow("link to a hidden file") << "notes.txt";
    QTest::newRow("settings") << "projet.xml";
    QTest::newRow("settings, encoded") << "projet%2exml";
    QTest::newRow("settings through ./") << "./projet.xml";
    QTest::newRow("link to the settings") << "reglages.xml";
  }
  void hiddenFilesAndTheSettingsAreRefused() {
    QFETCH(QString, target);
    Write(project_ / ".git" / "config", kSecret);
    Write(project_ / ".notes", kSecret);
    Write(project_ / "css" / ".notes", kSecret);
    Write(project_ / "projet.xml", kSecret);
    fs::create_symlink(project_ / ".notes", project_ / "notes.txt");
    fs::create_symlink(project_ / "projet.xml", project_ / "reglages.xml");
    Write(project_ / "sous dossier" / "projet.xml", "<Document/>");
    PreviewServer server(project_);
    const std::string answer = RawRequest(server.Port(), "GET " + server.BasePath() + target.toStdString() + " HTTP/1.1");
    QVERIFY2(answer.rfind("HTTP/1.1 404", 0) == 0, answer.c_str());
    QVERIFY(answer.find("hunter2") == std::string::npos);
    // Only the project's own settings file: the same name in a folder is a
    // file like any other.
    const std::string other = RawRequest(server.Port(), "GET " + server.BasePath() + "sous%20dossier/projet.xml HTTP/1.1");
    QVERIFY2(other.rfind("HTTP/1.1 200", 0) == 0, other.c_str());
  }

  void answersGetAndHeadOnly() {
    PreviewServer server(project_);
    httplib::Client client("127.0.0.1", server.Port());
    QCOMPARE(client.Post(server.BasePath() + "index.html", "x", "text/plain")->status, 405);
    QCOMPARE(client.Put(server.BasePath() + "index.html", "x", "text/plain")->status, 405);
    QCOMPARE(client.Delete(server.BasePath() + "index.html")->status, 405);
    QCOMPARE(client.Options(server.BasePath() + "index.html")->status, 405);
    QCOMPARE(client.Patch(server.BasePath() + "index.html", "x", "text/plain")->status, 405);
    QCOMPARE(client.Post(server.BasePath() + "index.html", "x", "text/plain")->get_header_value("Allow"), std::string("GET, HEAD"));
    QVERIFY(fs::exists(project_ / "index.html"));
  }

  void listensOnLoopbackOnlyAndAnswersItsOwnNamesOnly() {
    PreviewServer server(project_);
    // Bound to every address, it would answer on 127.0.0.2 as well.
    QCOMPARE(Connect("127.0.0.2", server.Port()), -1);
    httplib::Client client("127.0.0.1", server.Port());
    QCOMPARE(client.Get(server.BasePath() + "index.html", {{"Host", "attaquant.example"}})->status, 403);
    httplib::Client byName("localhost", server.Port());
    byName.set_address_family(AF_INET);
    QCOMPARE(byName.Get(server.BasePath() + "index.html")->status, 200);
  }

  void aSaveReachesTheConnectedPage() {
    PreviewServer server(project_);
    QCOMPARE(server.NotifySaved(), 0);

    httplib::Client browser("127.0.0.1", server.Port());
    std::mutex mutex;
    std::string received;
    std::thread listening([&] {
      browser.Get(server.EventsPath(), [&](const char* data, std::size_t length) {
        std::lock_guard lock(mutex);
        received.append(data, length);
        return true;
      });
    });
    QTRY_COMPARE(server.ConnectedPages(), 1);
    QTRY_VERIFY([&] {
      std::lock_guard lock(mutex);
      return received.find("retry:") != std::string::npos;
    }());
    QCOMPARE(server.NotifySaved(), 1);
    QTRY_VERIFY([&] {
      std::lock_guard lock(mutex);
      return received.find("event: saved\ndata: 2\n\n") != std::string::npos;
    }());

    // The page goes away: the server notices and counts it no more.
    browser.stop();
    listening.join();
    QTRY_COMPARE_WITH_TIMEOUT(server.ConnectedPages(), 0, 5000);
    QCOMPARE(server.NotifySaved(), 0);
  }

  void aPageIsOpenedOnceWhileTheBrowserStarts() {
    PreviewServer server(project_);
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(server.ClaimPageOpening(start));
    QVERIFY(!server.ClaimPageOpening(start + 1s));
    QVERIFY(!server.ClaimPageOpening(start + PreviewServer::kOpeningGrace - 1ms));
    QVERIFY(server.ClaimPageOpening(start + PreviewServer::kOpeningGrace));

    httplib::Client browser("127.0.0.1", server.Port());
    std::thread listening([&] { browser.Get(server.EventsPath(), [](const char*, std::size_t) { return true; }); });
    QTRY_COMPARE(server.ConnectedPages(), 1);
    QVERIFY(!server.ClaimPageOpening(start + 10 * PreviewServer::kOpeningGrace));
    browser.stop();
    listening.join();
  }

  // Closing the window or opening another project stops the server: it
  // must not wait for any client, whatever the client does.
  void stopsPromptlyWhateverTheClientsDo() {
    Write(project_ / "grand.bin", std::string(8 << 20, 'x'));
    auto server = std::make_unique<PreviewServer>(project_);
    httplib::Client browser("127.0.0.1", server->Port());
    std::thread listening([&] { browser.Get(server->EventsPath(), [](const char*, std::size_t) { return true; }); });
    QTRY_COMPARE(server->ConnectedPages(), 1);
    const SlowClients slow(server->Port(), 10);
    // A download nobody reads.
    const int stalled = Connect("127.0.0.1", server->Port());
    const std::string request = "GET " + server->BasePath() + "grand.bin HTTP/1.1\r\nHost: 127.0.0.1:" +
                                std::to_string(server->Port()) + "\r\n\r\n";
    ::send(stalled, request.data(), request.size(), MSG_NOSIGNAL);
    std::this_thread::sleep_for(300ms);

    const auto before = std::chrono::steady_clock::now();
    server.reset();
    const auto stopping = std::chrono::steady_clock::now() - before;
    listening.join();
    ::close(stalled);
    QVERIFY(stopping < 3s);

    // A request forwarded to a local server that never answers.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QCOMPARE(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QCOMPARE(::listen(silent, 4), 0);
    QCOMPARE(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    server = std::make_unique<PreviewServer>(project_);
    server->ForwardTo("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "/proj");
    std::thread waiting([port = server->Port(), path = server->BasePath()] {
      RawRequest(port, "GET " + path + "index.php HTTP/1.1");
    });
    std::this_thread::sleep_for(300ms);
    const auto beforeForwarded = std::chrono::steady_clock::now();
    server.reset();
    const auto stoppingForwarded = std::chrono::steady_clock::now() - beforeForwarded;
    waiting.join();
    ::close(silent);
    QVERIFY(stoppingForwarded < 3s);
  }

  // One page per tab, several browsers: the pages that listen hold no
  // thread, and the files they load are still served.
  void manyListeningPagesHearASaveAndFilesAreStillServed() {
    PreviewServer server(project_);
    const std::string request =
        "GET " + server.EventsPath() + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n";
    std::vector<pollfd> pages;
    for (int i = 0; i < 40; ++i) {
      pages.push_back({Connect("127.0.0.1", server.Port()), POLLIN, 0});
      ::send(pages.back().fd, request.data(), request.size(), MSG_NOSIGNAL);
    }
    QTRY_COMPARE(server.ConnectedPages(), 40);
    httplib::Client client("127.0.0.1", server.Port());
    client.set_read_timeout(3);
    const auto css = client.Get(server.BasePath() + "css/styles.css");
    QVERIFY(css);
    QCOMPARE(css->body, kCss);

    QCOMPARE(server.NotifySaved(), 40);
    std::vector<std::string> heard(pages.size());
    const auto allHeard = [&] {
      return std::all_of(heard.begin(), heard.end(),
                         [](const std::string& page) { return page.find("event: saved\n") != std::string::npos; });
    };
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!allHeard() && std::chrono::steady_clock::now() < end && ::poll(pages.data(), pages.size(), 100) >= 0) {
      for (std::size_t i = 0; i < pages.size(); ++i) {
        char buffer[4096];
        const ssize_t count = (pages[i].revents & POLLIN) ? ::recv(pages[i].fd, buffer, sizeof buffer, 0) : 0;
        if (count > 0) heard[i].append(buffer, static_cast<std::size_t>(count));
      }
    }
    QVERIFY(allHeard());
    for (const pollfd& page : pages) ::close(page.fd);
    QTRY_COMPARE(server.ConnectedPages(), 0);
  }

  // A client that sends its request a byte at a time keeps no one waiting,
  // and is hung up on once its time for the request is up.
  void slowClientsBlockNoOneAndAreCutOff() {
    PreviewServer server(project_);
    const SlowClients slow(server.Port(), 20);
    std::this_thread::sleep_for(200ms);
    httplib::Client client("127.0.0.1", server.Port());
    client.set_read_timeout(3);
    const auto page = client.Get(server.BasePath() + "css/styles.css");
    QVERIFY(page);
    QCOMPARE(page->status, 200);
    QCOMPARE(slow.HungUpOn(PreviewServer::kHeaderTimeout + 3s), 20);
  }

  // A range request is answered with the whole file, once: 2,000 ranges of
  // a large file must not make an answer 2,000 times its size.
  void rangesAreIgnored() {
    Write(project_ / "grand.bin", std::string(1 << 20, 'x'));
    PreviewServer server(project_);
    std::string ranges = "Range: bytes=0-";
    for (int i = 1; i < 2000; ++i) ranges += ",0-";
    const std::string answer =
        RawRequest(server.Port(), "GET " + server.BasePath() + "grand.bin HTTP/1.1", ranges + "\r\n", 4 << 20);
    QVERIFY2(answer.rfind("HTTP/1.1 200", 0) == 0, answer.substr(0, 200).c_str());
    QCOMPARE(answer.size() - answer.find("\r\n\r\n") - 4, std::size_t{1} << 20);
    const std::string one = RawRequest(server.Port(), "GET " + server.BasePath() + "css/styles.css HTTP/1.1",
                                       "Range: bytes=2-4\r\n");
    QVERIFY(one.rfind("HTTP/1.1 200", 0) == 0);
    QVERIFY(one.ends_with("\r\n\r\n" + kCss));
  }

  void addressesOfPages() {
    PreviewServer server(project_);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.Port()) + server.BasePath();
    QCOMPARE(server.BaseAddress(), base);
    QCOMPARE(server.AddressOf(project_ / "sous dossier" / "index.html"), base + "sous%20dossier/index.html");
    QCOMPARE(server.AddressOf(outside_ / "secret.txt"), std::string());
    QVERIFY_THROWS_EXCEPTION(PreviewError, PreviewServer(project_ / "absent"));
  }

  void forwardsToTheLocalServerAndAddsTheScript() {
    httplib::Server local;
    local.Get("/proj/index.php", [](const httplib::Request& request, httplib::Response& response) {
      response.set_header("Set-Cookie", "session=2");
      response.set_content("<html><body>PHP " + request.get_param_value("q") + " " +
                               request.get_header_value("Cookie") + "</body></html>",
                           "text/html");
    });
    local.Get("/proj/styles.css", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(kCss, "text/css");
    });
    const int localPort = local.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { local.listen_after_bind(); });
    QTRY_VERIFY(local.is_running());

    PreviewServer server(project_);
    server.ForwardTo("http://127.0.0.1:" + std::to_string(localPort), "/proj/");
    httplib::Client client("127.0.0.1", server.Port());
    const auto page = client.Get(server.BasePath() + "index.php?q=1", {{"Cookie", "session=1"}});
    QVERIFY(page);
    QCOMPARE(page->status, 200);
    QCOMPARE(page->body, "<html><body>PHP 1 session=1" + PreviewScript() + "</body></html>");
    QCOMPARE(page->get_header_value("Set-Cookie"), std::string("session=2"));
    QCOMPARE(client.Get(server.BasePath() + "styles.css")->body, kCss);
    QCOMPARE(client.Get(server.BasePath() + "absent.php")->status, 404);
    const std::string refused = RawRequest(server.Port(), "GET " + server.BasePath() + "%2e%2e/secret HTTP/1.1");
    QVERIFY(refused.rfind("HTTP/1.1 404", 0) == 0);
    for (const char* hidden : {".git/config", "projet.xml"})
      QCOMPARE(client.Get(server.BasePath() + hidden)->status, 404);

    server.ForwardTo("", "");
    QCOMPARE(client.Get(server.BasePath() + "css/styles.css")->body, kCss);
    local.stop();
    serving.join();
  }

  // A large answer of the local server (a video, an archive) reaches the
  // browser as it comes, not once whole in memory.
  void forwardedAnswersArePassedOnAsTheyCome() {
    std::mutex mutex;
    std::condition_variable arrived;
    bool browserHasTheStart = false;
    bool waitedInVain = false;
    httplib::Server local;
    local.Get("/proj/video.bin", [&](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("application/octet-stream",
                                            [&, first = true](std::size_t, httplib::DataSink& sink) mutable {
                                              if (first) {
                                                first = false;
                                                return sink.write("debut", 5);
                                              }
                                              std::unique_lock lock(mutex);
                                              waitedInVain = !arrived.wait_for(lock, 5s, [&] { return browserHasTheStart; });
                                              sink.write("fin", 3);
                                              sink.done();
                                              return true;
                                            });
    });
    const int localPort = local.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { local.listen_after_bind(); });
    QTRY_VERIFY(local.is_running());

    PreviewServer server(project_);
    server.ForwardTo("http://127.0.0.1:" + std::to_string(localPort), "/proj");
    const int browser = Connect("127.0.0.1", server.Port());
    const timeval patience{10, 0};
    ::setsockopt(browser, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    const std::string request = "GET " + server.BasePath() + "video.bin HTTP/1.1\r\nHost: 127.0.0.1:" +
                                std::to_string(server.Port()) + "\r\n\r\n";
    ::send(browser, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    for (ssize_t count; answer.find("debut") == std::string::npos && (count = ::recv(browser, buffer, sizeof buffer, 0)) > 0;)
      answer.append(buffer, static_cast<std::size_t>(count));
    {
      std::lock_guard lock(mutex);
      browserHasTheStart = true;
    }
    arrived.notify_all();
    for (ssize_t count; (count = ::recv(browser, buffer, sizeof buffer, 0)) > 0;)
      answer.append(buffer, static_cast<std::size_t>(count));
    ::close(browser);
    local.stop();
    serving.join();
    QVERIFY2(answer.rfind("HTTP/1.1 200", 0) == 0, answer.c_str());
    QVERIFY(answer.ends_with("\r\n\r\ndebutfin"));
    QVERIFY(!waitedInVain);
  }
};

}  // namespace korvel

QTEST_GUILESS_MAIN(korvel::PreviewServerTest)
#include "previewserver_test.moc"
