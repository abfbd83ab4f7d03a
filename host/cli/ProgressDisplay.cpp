#include "cli/ProgressDisplay.h"

#include <cctype>
#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

namespace orvane::host::cli {

namespace {

// The line with its numbers taken out: what stays when a progress line counts up.
std::string Shape(const std::string &text) {
  std::string out;
  for (char c : text) {
    const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
    if (!digit)
      out += c;
    else if (out.empty() || out.back() != '#')
      out += '#';
  }
  return out;
}

}  // namespace

struct ProgressDisplay::State {
  std::FILE *to = stderr;
  bool terminal = false;
  Clock clock;
  std::string shape;  // of the last line shown or held back
  std::string held;   // an update not shown yet
  bool open = false;  // a terminal's status line not yet ended
  std::chrono::steady_clock::time_point shown{};

  void Show(const std::string &text) {
    if (terminal) {
      std::fprintf(to, "\r  %s\x1b[K", text.c_str());
      open = true;
    } else {
      std::fprintf(to, "  %s\n", text.c_str());
    }
    std::fflush(to);
    shown = clock();
    held.clear();
  }
  void ShowHeld() {
    if (!held.empty()) Show(held);
  }
  void EndLine() {
    if (open) std::fprintf(to, "\n");
    open = false;
  }
};

ProgressDisplay::ProgressDisplay()
    : ProgressDisplay(stderr, isatty(STDERR_FILENO) != 0, &std::chrono::steady_clock::now) {}

ProgressDisplay::ProgressDisplay(std::FILE *to, bool terminal, Clock clock)
    : state_(std::make_shared<State>()) {
  state_->to = to;
  state_->terminal = terminal;
  state_->clock = std::move(clock);
}

void ProgressDisplay::operator()(const std::string &line1, const std::string &line2) {
  State &s = *state_;
  const std::string text = line2.empty() ? line1 : line1 + "  " + line2;
  const std::string shape = Shape(text);
  if (shape == s.shape) {
    const auto every = s.terminal ? std::chrono::milliseconds(50) : std::chrono::milliseconds(1000);
    if (s.clock() - s.shown >= every) {
      s.Show(text);
    } else {
      s.held = text;
    }
    return;
  }
  // Another line: the last value of the one before stays on its own line.
  s.ShowHeld();
  s.EndLine();
  s.shape = shape;
  s.Show(text);
}

void ProgressDisplay::Finish() {
  state_->ShowHeld();
  state_->EndLine();
}

}  // namespace orvane::host::cli
