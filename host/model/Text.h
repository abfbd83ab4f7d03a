// Text from a module, which is meant to be UTF-8 and may not be: the test, and a copy that shows
// what cannot be read as the replacement character, as an application's text field would.
#pragma once

#include <string>
#include <string_view>

namespace orvane::host {

// The length of the well-formed UTF-8 sequence at `i` (1 to 4), or 0 where none starts.
inline std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  std::size_t n = c >= 0xC2 && c <= 0xDF   ? 2
                  : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xF0 && c <= 0xF4 ? 4
                                           : 0;
  if (n == 0 || i + n > s.size()) return 0;
  // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
  const unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  const unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return n;
}

inline bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = Utf8SequenceAt(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// `s` with each byte that starts no well-formed sequence replaced by U+FFFD.
inline std::string ValidUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = Utf8SequenceAt(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace orvane::host
