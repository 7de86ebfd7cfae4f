// korvel-hostile-peaks: the peak memory of loading each hostile shape (see
// hostileshapes.h) and of its syntax check, at 256 KB, 512 KB and 4 MB, each
// in a child process of its own that holds nothing but the text: the growth
// of its resident set from the start of the load to its high-water mark.
// A linear reader doubles its peak when the text doubles.
//
//   korvel-hostile-peaks [SHAPE_SUBSTRING]

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "hostileshapes.h"
#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"

namespace {

// A field of /proc/self/status, in KiB.
long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::stol(line.substr(length + 1));
  }
  return -1;
}

// The growth of the resident set while `work` runs, in KiB, measured in a
// child process; -1 when the child failed.
template <class Work>
long PeakGrowthKiB(Work work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const long before = StatusKiB("VmRSS");
    work();
    const long growth = StatusKiB("VmHWM") - before;
    const ssize_t written = write(pipeEnds[1], &growth, sizeof growth);
    _exit(written == static_cast<ssize_t>(sizeof growth) ? 0 : 1);
  }
  close(pipeEnds[1]);
  long growth = -1;
  if (child < 0 || read(pipeEnds[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth)) growth = -1;
  close(pipeEnds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return growth;
}

}  // namespace

int main(int argc, char** argv) {
  const char* only = argc > 1 ? argv[1] : "";
  std::printf("%-38s %8s %10s %8s %10s %8s\n", "shape", "text KB", "load MiB", "x text", "check MiB", "x text");
  for (const korvel::bench::HostileShape& shape : korvel::bench::HostileShapes()) {
    if (std::strstr(shape.name, only) == nullptr) continue;
    for (const std::size_t size : {std::size_t{256} << 10, std::size_t{512} << 10, std::size_t{4} << 20}) {
      const std::string css = shape.make(size);
      const long load = PeakGrowthKiB([&] {
        const korvel::StyleDocument document = korvel::ReadStylesheet(css);
        (void)document;
      });
      const long check = PeakGrowthKiB([&] { (void)korvel::FindSyntaxProblems(css); });
      const double text = static_cast<double>(css.size()) / 1024.0;
      std::printf("%-38s %8.0f %10.1f %8.1f %10.1f %8.1f\n", shape.name, text, load / 1024.0, load / text,
                  check / 1024.0, check / text);
      std::fflush(stdout);
    }
  }
  return 0;
}
