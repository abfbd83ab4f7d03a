// The command line's display of the Info panel, for any module's lines: a line that only counts
// up is one line updating, shown as it comes but not flooding a log, and its last value is kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/ProgressDisplay.h"

namespace {

using orvane::host::cli::ProgressDisplay;
using Clock = std::chrono::steady_clock;

struct Display {
  std::FILE *file = std::tmpfile();
  Clock::time_point now{};
  ProgressDisplay show;
  explicit Display(bool terminal) : show(file, terminal, [this] { return now; }) {}
  ~Display() { std::fclose(file); }
  void After(int ms) { now += std::chrono::milliseconds(ms); }
  std::string Text() {
    std::fflush(file);
    std::string out;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) out += char(c);
    return out;
  }
};

TEST(ProgressDisplay, InALogAnUpdatingLineIsWrittenOnceASecondAndItsLastValueIsKept) {
  Display d(false);
  // Another module's wording: 300 frames at 10 ms each, then its own last line with a second.
  for (int i = 1; i <= 300; ++i) {
    d.show("Rendering frame " + std::to_string(i) + " of 300", "");
    d.After(10);
  }
  d.show("Done", "300 frames");
  d.show.Finish();
  EXPECT_EQ(d.Text(),
            "  Rendering frame 1 of 300\n"
            "  Rendering frame 101 of 300\n"
            "  Rendering frame 201 of 300\n"
            "  Rendering frame 300 of 300\n"
            "  Done  300 frames\n");
}

TEST(ProgressDisplay, OnATerminalAnUpdatingLineIsRedrawnInPlaceAndEachOtherLineKept) {
  Display d(true);
  d.show("Processing... 0.00%", "");
  d.After(10);
  d.show("Processing... 50.00%", "");  // too soon: held back
  d.After(100);
  d.show("Processing... 99.00%", "");
  d.show("Processing... 100.00%", "");  // held back, then shown before the next line
  d.show("Completed", "");
  d.show("Warning: mask 3 has 2 vertices", "");  // a line of its own
  d.show.Finish();
  EXPECT_EQ(d.Text(),
            "\r  Processing... 0.00%\x1b[K"
            "\r  Processing... 99.00%\x1b[K"
            "\r  Processing... 100.00%\x1b[K\n"
            "\r  Completed\x1b[K\n"
            "\r  Warning: mask 3 has 2 vertices\x1b[K\n");
}

}  // namespace
