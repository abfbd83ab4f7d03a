// Running orvane-host as a user would, for tests of the command line.
#ifndef ORVANE_TESTS_HOSTPROCESS_H
#define ORVANE_TESTS_HOSTPROCESS_H

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace orvane::test {

struct HostResult {
  int code;
  std::string out;  // stdout, and stderr unless it was dropped
};

// With `with_stderr` false, stderr is dropped (a crashing module under a sanitizer writes there).
inline HostResult RunHost(const std::string &args, bool with_stderr = true) {
  std::string command =
      std::string(ORVANE_HOST_EXE) + " " + args + (with_stderr ? " 2>&1" : " 2>/dev/null");
  HostResult result{-1, ""};
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    result.out.append(buffer.data(), n);
  int status = pclose(pipe);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Writes a file into the test's temporary folder and returns its path.
inline std::string WriteTemp(const std::string &name, const std::string &text) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path) << text;
  return path;
}

}  // namespace orvane::test

#endif
