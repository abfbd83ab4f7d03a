#include "cli/ProgressDisplay.h"

#include <algorithm>
#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

namespace orvane::host::cli {

ProgressDisplay::ProgressDisplay() : terminal_(isatty(STDERR_FILENO) != 0) {}

void ProgressDisplay::operator()(const std::string &line, const std::string &) {
  double percent = 0;
  if (std::sscanf(line.c_str(), "Processing... %lf%%", &percent) == 1) {
    if (terminal_) {
      int filled = std::clamp(int(percent / 100.0 * 30.0 + 0.5), 0, 30);
      std::fprintf(stderr, "\r  [%-30s] %6.2f%%", std::string(std::size_t(filled), '#').c_str(),
                   percent);
      std::fflush(stderr);
    } else if (int(percent / 10) != last_tenth_) {
      last_tenth_ = int(percent / 10);
      std::fprintf(stderr, "  %s\n", line.c_str());
    }
    open_ = true;
    return;
  }
  if (terminal_ && open_) std::fprintf(stderr, "\n");
  std::fprintf(stderr, "  %s\n", line.c_str());
  open_ = false;
  last_tenth_ = -1;
}

}  // namespace orvane::host::cli
