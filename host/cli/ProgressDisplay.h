// The Info panel's progress on stderr while a session runs.
#pragma once

#include <string>

namespace orvane::host::cli {

// Shows the Info panel's progress on stderr: a live bar on a terminal, plain lines otherwise
// (one per tenth of the way, so a long bake does not flood a log).
class ProgressDisplay {
 public:
  ProgressDisplay();
  void operator()(const std::string &line, const std::string &second);

 private:
  bool terminal_;
  bool open_ = false;
  int last_tenth_ = -1;
};

}  // namespace orvane::host::cli
