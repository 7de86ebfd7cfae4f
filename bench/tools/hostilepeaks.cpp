// korvel-hostile-peaks: the peak memory of loading each hostile shape (see
// hostileshapes.h) and of its syntax check, at 256 KB, 512 KB and 4 MB, each
// in a child process of its own (tools/childpeak.h).
// A linear reader doubles its peak when the text doubles.
//
//   korvel-hostile-peaks [SHAPE_SUBSTRING]

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "hostileshapes.h"
#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"
#include "tools/childpeak.h"

int main(int argc, char** argv) {
  const char* only = argc > 1 ? argv[1] : "";
  std::printf("%-38s %8s %10s %8s %10s %8s\n", "shape", "text KB", "load MiB", "x text", "check MiB", "x text");
  for (const korvel::bench::HostileShape& shape : korvel::bench::HostileShapes()) {
    if (std::strstr(shape.name, only) == nullptr) continue;
    for (const std::size_t size : {std::size_t{256} << 10, std::size_t{512} << 10, std::size_t{4} << 20}) {
      // Handed to the document as the window hands it the bytes it read: shared, not copied.
      const auto css = std::make_shared<const std::string>(shape.make(size));
      const long load =
          korvel::bench::ChildPeakGrowthBytes([&] { [[maybe_unused]] const auto document = korvel::ReadStylesheet(css); });
      const long check = korvel::bench::ChildPeakGrowthBytes([&] { (void)korvel::FindSyntaxProblems(*css); });
      const double text = static_cast<double>(css->size());
      std::printf("%-38s %8.0f %10.1f %8.1f %10.1f %8.1f\n", shape.name, text / 1024.0, load / 1048576.0,
                  load / text, check / 1048576.0, check / text);
      std::fflush(stdout);
    }
  }
  return 0;
}
