// What the fuzz targets that read a user's files (scenarios, project files) share: the module
// loaded once, the small bounds that keep each input to milliseconds, and a scratch folder of the
// process's own for what an input writes.
#ifndef ORVANE_TESTS_FUZZ_INPUTS_H
#define ORVANE_TESTS_FUZZ_INPUTS_H

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "protocol/Module.h"
#include "scenario/Limits.h"

namespace orvane::fuzz {

inline host::Module &TheModule() {
  static host::Module module(ORVANE_MODULE_PATH);
  return module;
}

// Small bounds, so that every input runs in milliseconds: the fuzzer is after faults in how
// input is handled, and the limits themselves are what keeps big inputs away.
inline host::Limits SmallLimits() {
  host::Limits l;
  l.max_side = 256;
  l.max_render_bytes = 3 * 256.0 * 256.0 * 16.0;
  l.max_frames = 120;
  l.max_vertices = 16;
  l.max_nesting = 12;
  l.max_file_bytes = 64 << 10;
  return l;
}

// A folder of this process's own (named after the target), removed when it exits.
inline const std::filesystem::path &Scratch(const char *target) {
  static const std::filesystem::path dir = [target] {
    std::filesystem::path d = std::filesystem::temp_directory_path() /
                              (std::string("orvane-") + target + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    });
    return d;
  }();
  return dir;
}

}  // namespace orvane::fuzz

#endif
