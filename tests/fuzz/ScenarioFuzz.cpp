// libFuzzer target: arbitrary bytes as a scenario file, played the way `orvane-host run` plays
// one. Every input must end in exit code 0, 1 or 2; an exception the host did not expect, a
// crash, a leak or a sanitizer report is a finding, and the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzInputs.h"
#include "scenario/Play.h"

namespace fs = std::filesystem;
using namespace orvane::host;
using orvane::fuzz::TheModule;

namespace {

Limits FuzzLimits() {
  Limits l = orvane::fuzz::SmallLimits();
  l.max_picture_side = 512;
  l.max_sheet_cells = 8;
  l.max_steps = 40;
  l.max_points = 16;
  return l;
}

// Pictures and project.json go to a scratch folder of this process, emptied after each input.
const fs::path &Scratch() { return orvane::fuzz::Scratch("scenario-fuzz"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Session session(TheModule());
  session.trace().SetRecording(false);
  RunOptions options;
  options.out_dir = Scratch().string();
  options.limits = FuzzLimits();
  // Half the inputs draw their png pictures with a caption band.
  options.caption = size % 2 == 1;
  const RunOutcome outcome = PlayScenario(
      session, std::string(reinterpret_cast<const char *>(data), size), "input", options);
  if (outcome.exit_code < 0 || outcome.exit_code > 2) {
    std::fprintf(stderr, "exit code %d\n", outcome.exit_code);
    std::abort();
  }
  if (outcome.exit_code == kExitBadInput && outcome.error.empty()) {
    std::fprintf(stderr, "bad input without a message\n");
    std::abort();
  }
  for (const auto &entry : fs::directory_iterator(Scratch())) fs::remove_all(entry.path());
  return 0;
}
