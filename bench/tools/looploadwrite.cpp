// korvel-loop-load-write: what a process that opens and saves stylesheets
// again and again pays per file, with the default allocator. For each file:
// load + write in a loop for about a second (wall time per round, the median
// of the rounds), a byte-by-byte scan of the same text as the floor no
// reader can beat, and the peak memory of one load + write, measured in a
// child process that holds nothing but the text (the growth of its resident
// set). One line of tab-separated figures per file:
//
//   file  bytes  load+write_s  scan_s  peak_bytes
//
//   korvel-loop-load-write FILE...

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "model/cssparser.h"
#include "model/csswriter.h"
#include "model/filebytes.h"
#include "tools/childpeak.h"

namespace {

using Clock = std::chrono::steady_clock;

// The median wall time of one call of `work`, over rounds filling about a
// second (at least five).
template <class Work>
double MedianSeconds(Work work) {
  std::vector<double> rounds;
  const Clock::time_point start = Clock::now();
  while (rounds.size() < 5 || (Clock::now() - start < std::chrono::seconds(1) && rounds.size() < 10000)) {
    const Clock::time_point before = Clock::now();
    work();
    rounds.push_back(std::chrono::duration<double>(Clock::now() - before).count());
  }
  std::nth_element(rounds.begin(), rounds.begin() + static_cast<std::ptrdiff_t>(rounds.size() / 2), rounds.end());
  return rounds[rounds.size() / 2];
}

// A byte-by-byte pass that every reader must at least make: a state machine
// that follows strings and comments and counts the braces outside them, one
// byte at a time, each step depending on the last (no vector instructions).
std::size_t Scan(const std::string& css) {
  enum State : unsigned char { kText, kSlash, kComment, kStar, kString };
  std::size_t braces = 0;
  State state = kText;
  char quote = 0;
  for (const char c : css) {
    switch (state) {
      case kText:
        if (c == '/') state = kSlash;
        else if (c == '"' || c == '\'') state = kString, quote = c;
        else braces += c == '{' || c == '}';
        break;
      case kSlash: state = c == '*' ? kComment : kText; break;
      case kComment: state = c == '*' ? kStar : kComment; break;
      case kStar: state = c == '/' ? kText : c == '*' ? kStar : kComment; break;
      case kString: state = c == quote || c == '\n' ? kText : kString; break;
    }
  }
  return braces;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "Usage : korvel-loop-load-write FICHIER...\n");
    return 2;
  }
  // Each text is handed to the document as the window hands it the bytes it read: shared, not copied.
  std::vector<std::shared_ptr<const std::string>> texts;
  std::vector<long> peaks;
  try {
    for (int i = 1; i < argc; ++i) texts.push_back(std::make_shared<const std::string>(korvel::ReadFileBytes(argv[i])));
    // The peaks first, while this process has only read the texts: the
    // timed rounds leave freed memory that a child would reuse unseen.
    for (const auto& css : texts) {
      peaks.push_back(korvel::bench::ChildPeakGrowthBytes(
          [&] { [[maybe_unused]] const std::string saved = korvel::Write(korvel::ReadStylesheet(css)); }));
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const auto& css = texts[i];
      volatile std::size_t sink = 0;
      const double loadWrite = MedianSeconds([&] { sink = sink + korvel::Write(korvel::ReadStylesheet(css)).size(); });
      const double scan = MedianSeconds([&] { sink = sink + Scan(*css); });
      std::printf("%s\t%zu\t%.9f\t%.9f\t%ld\n", argv[i + 1], css->size(), loadWrite, scan, peaks[i]);
      std::fflush(stdout);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "korvel-loop-load-write : %s\n", error.what());
    return 1;
  }
  return 0;
}
