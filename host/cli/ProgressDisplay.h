// The Info panel's lines on stderr as a session shows them, whatever the module writes there.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace orvane::host::cli {

// Shows each line the module puts in the Info panel as it comes. A line that differs from the one
// before only in its numbers ("Processing... 41.00%", "Frame 12 of 300") is the same line
// updating: on a terminal it is redrawn in place (at most every 50 ms), in a log it is written at
// most once a second; the last value of such a run of updates is always shown before the next
// line and at the end. Copies share one display, as the Info panel's watcher is copied.
class ProgressDisplay {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  ProgressDisplay();
  ProgressDisplay(std::FILE *to, bool terminal, Clock clock);
  void operator()(const std::string &line1, const std::string &line2);
  // Shows the update held back, and ends the line on a terminal.
  void Finish();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace orvane::host::cli
