// The Info panel: the lines a plug-in shows there (a bake's progress, "Completed"), oldest
// first, and whoever watches it as they arrive (the command line's progress display).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane::host {

class InfoPanel {
 public:
  // Two lines of text; an empty second line adds nothing.
  void Show(const std::string &line1, const std::string &line2) {
    lines_.push_back(line1);
    if (!line2.empty()) lines_.push_back(line2);
    if (on_show) on_show(line1, line2);
  }
  const std::vector<std::string> &lines() const { return lines_; }
  void Clear() { lines_.clear(); }

  std::function<void(const std::string &line1, const std::string &line2)> on_show;

 private:
  std::vector<std::string> lines_;
};

}  // namespace orvane::host
