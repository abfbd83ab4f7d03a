#include "cli/Subcommand.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#if defined(_WIN32)
#include <windows.h>
#endif

namespace orvane::host::cli {

namespace fs = std::filesystem;

const char *const kExitCodes =
    "Exit codes: 0 everything ran and the module behaved; 1 the module returned an error or\n"
    "misbehaved (leaked a handle, left an undo group open, let an exception out); 2 bad input\n"
    "(a scenario, value or module that cannot be used), with one line saying what is wrong.\n"
    "A time-out (--timeout) is reported with what was under way, exit code 1.";

CLI::Validator TimeoutSeconds() {
  // CLI11's range test lets NaN through (every comparison with it is false), and a NaN or an
  // infinity would reach the clock as a duration it cannot hold.
  return CLI::Validator(
      [](std::string &text) -> std::string {
        char *end = nullptr;
        const double seconds = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(seconds) || !(seconds >= 0.001) ||
            seconds > 86400)
          return "a time-out is a number of seconds from 0.001 to 86400, not \"" + text + "\"";
        return std::string();
      },
      "SECONDS in [0.001 - 86400]");
}

std::string DefaultModulePath() {
#if defined(_WIN32)
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return "OrvaneTavolin.aex";
  return (fs::path(exe).parent_path() / "OrvaneTavolin.aex").string();
#else
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("OrvaneTavolin.so") : (exe.parent_path() / "OrvaneTavolin.so").string();
#endif
}

}  // namespace orvane::host::cli
