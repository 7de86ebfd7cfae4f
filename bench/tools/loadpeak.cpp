// korvel-load-peak: loads a stylesheet into the StyleDocument, as Korvel does
// when it opens one, and reports the process's peak memory (resident set)
// against the file's size. The peak counts everything the process held: the
// program, the file's bytes and the document.

#include <sys/resource.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "model/cssparser.h"
#include "model/filebytes.h"

namespace {

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage : korvel-load-peak FICHIER\n");
    return 2;
  }
  try {
    const auto css = std::make_shared<const std::string>(korvel::ReadFileBytes(argv[1]));
    const double before = PeakMegabytes();
    const korvel::StyleDocument document = korvel::ReadStylesheet(css);
    const double peak = PeakMegabytes();
    const double size = static_cast<double>(css->size()) / (1024.0 * 1024.0);
    std::printf("file %.1f MiB, peak before loading %.1f MiB, peak after loading %.1f MiB = %.2f x the file\n", size,
                before, peak, peak / size);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "korvel-load-peak : %s\n", error.what());
    return 1;
  }
  return 0;
}
