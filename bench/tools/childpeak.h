// The peak memory some work takes, measured in a child process: the growth
// of the child's resident set from the start of the work to its high-water
// mark. The child first gives back to the system the memory the parent had
// freed, which the work would otherwise reuse unseen, and resets its
// high-water mark.

#pragma once

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

namespace korvel::bench {

// A field of /proc/self/status ("VmRSS", "VmHWM"), in KiB; -1 when missing.
inline long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::stol(line.substr(length + 1));
  }
  return -1;
}

// The growth of the resident set while `work` runs in a child, in bytes;
// -1 when the child could not be made or said nothing.
template <class Work>
long ChildPeakGrowthBytes(Work work) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKiB("VmRSS");
    work();
    const long growth = (StatusKiB("VmHWM") - before) * 1024;
    const bool sent = write(ends[1], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth);
    _exit(sent ? 0 : 1);
  }
  close(ends[1]);
  long growth = -1;
  if (child < 0 || read(ends[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth)) growth = -1;
  close(ends[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return growth;
}

}  // namespace korvel::bench
