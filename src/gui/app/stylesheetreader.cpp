#include "app/stylesheetreader.h"

#include <QCollator>
#include <QEventLoop>
#include <QTreeWidgetItem>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

#include "app/textbridge.h"
#include "model/csssyntaxcheck.h"

namespace korvel {

std::vector<RuleTreeNode> ShownRuleTree(const StyleDocument& document, TextEncoding encoding) {
  std::vector<RuleTreeNode> nodes = BuildRuleTree(document);
  // Each distinct name that is sorted gets one collation key and, once the
  // names are sorted, a rank (equal keys, equal ranks). The nodes are then
  // put in the order of their ranks, each moved once: a sort comparing the
  // nodes would look their keys up and move them at every step. Most of a
  // large framework's rules stand in blocks, in the file's order, and get
  // no key.
  std::unordered_map<std::string_view, std::size_t> rankOf;
  {
    std::vector<std::string_view> names;
    const auto name = [&](const RuleTreeNode& node) {
      if (rankOf.try_emplace(node.text, names.size()).second) names.emplace_back(node.text);
    };
    for (const RuleTreeNode& node : nodes) {
      name(node);
      if (node.kind == RuleTreeNode::Kind::Group) std::for_each(node.children.begin(), node.children.end(), name);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setNumericMode(false);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (std::string_view text : names) keys.push_back(collator.sortKey(ToQt(text, encoding)));
    std::vector<std::size_t> byKey(names.size());
    std::iota(byKey.begin(), byKey.end(), std::size_t{0});
    std::sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    std::size_t rank = 0;
    for (std::size_t i = 0; i < byKey.size(); ++i) {
      if (i > 0 && keys[byKey[i - 1]].compare(keys[byKey[i]]) < 0) ++rank;
      rankOf[names[byKey[i]]] = rank;
    }
  }
  // Ties keep the file's order.
  const auto sort = [&](std::vector<RuleTreeNode>& level) {
    std::vector<std::pair<std::size_t, std::size_t>> order;  // rank, place in the file
    order.reserve(level.size());
    for (std::size_t i = 0; i < level.size(); ++i) order.emplace_back(rankOf.at(level[i].text), i);
    std::sort(order.begin(), order.end());
    std::vector<RuleTreeNode> sorted;
    sorted.reserve(level.size());
    for (const auto& [rank, i] : order) sorted.push_back(std::move(level[i]));
    level = std::move(sorted);
  };
  sort(nodes);
  for (RuleTreeNode& node : nodes) {
    if (node.kind == RuleTreeNode::Kind::Group) sort(node.children);
  }
  return nodes;
}

StylesheetReading ReadStylesheetFile(const std::string& path, bool checkSyntax, const RuleTreeItemMaker& makeItems) {
  StylesheetReading reading;
  try {
    reading.loaded = StyleSheetDocument::Read(path);
    reading.items = makeItems(ShownRuleTree(*reading.loaded.styles, reading.loaded.encoding), reading.loaded.encoding);
    if (checkSyntax) reading.problems = DescribeSyntaxProblems(FindSyntaxProblems(*reading.loaded.bytes));
  } catch (...) {
    reading.error = std::current_exception();
  }
  return reading;
}

namespace {

// The reads running on threads of their own.
struct RunningReads {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;
};

RunningReads& Running() {
  static RunningReads running;
  return running;
}

}  // namespace

void WaitForBackgroundReads() {
  RunningReads& running = Running();
  std::unique_lock lock(running.mutex);
  running.ended.wait(lock, [&] { return running.count == 0; });
}

// Between the reading thread and the GUI thread. The loop is set only
// while Wait runs: the thread posts its end to it, never to a loop gone.
struct BackgroundRead::Shared {
  std::mutex mutex;
  bool done = false;
  QEventLoop* waiting = nullptr;
  StylesheetReading reading;
};

BackgroundRead::BackgroundRead(std::string path, bool checkSyntax, RuleTreeItemMaker makeItems)
    : shared_(std::make_shared<Shared>()) {
  // Detached: a read the window no longer waits for (a 60 MB file whose
  // open was cancelled) must not hold up the window's next step or its
  // closing; the thread's own copy of the shared state keeps what it needs.
  // The program waits for it before it ends (WaitForBackgroundReads).
  {
    const std::lock_guard lock(Running().mutex);
    ++Running().count;
  }
  std::thread([shared = shared_, path = std::move(path), checkSyntax, makeItems = std::move(makeItems)]() mutable {
    StylesheetReading reading = ReadStylesheetFile(path, checkSyntax, makeItems);
    {
      const std::lock_guard lock(shared->mutex);
      shared->reading = std::move(reading);
      shared->done = true;
      if (shared->waiting != nullptr)
        QMetaObject::invokeMethod(shared->waiting, &QEventLoop::quit, Qt::QueuedConnection);
    }
    // What nobody took goes now, before the read counts as ended.
    shared.reset();
    makeItems = nullptr;
    RunningReads& running = Running();
    const std::lock_guard lock(running.mutex);
    --running.count;
    running.ended.notify_all();
  }).detach();
}

// What was read and not taken is freed by the thread or here, whichever
// lets go of it last.
BackgroundRead::~BackgroundRead() = default;

bool BackgroundRead::Wait() {
  QEventLoop loop;
  {
    const std::lock_guard lock(shared_->mutex);
    if (shared_->done || abandoned_) return shared_->done && !abandoned_;
    shared_->waiting = &loop;
  }
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
  const std::lock_guard lock(shared_->mutex);
  shared_->waiting = nullptr;
  return shared_->done && !abandoned_;
}

void BackgroundRead::Abandon() {
  abandoned_ = true;
  if (loop_) loop_->quit();
}

StylesheetReading BackgroundRead::Take() {
  const std::lock_guard lock(shared_->mutex);
  return std::move(shared_->reading);
}

}  // namespace korvel
