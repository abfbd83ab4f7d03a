// The file descriptors this process has open, for tests that a refusal or a failure closes
// what it opened.
#pragma once

#include <filesystem>
#include <iterator>

namespace orvane::test {

inline long OpenDescriptors() {
  return long(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                            std::filesystem::directory_iterator()));
}

}  // namespace orvane::test
