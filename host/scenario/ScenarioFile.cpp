#include "scenario/ScenarioFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "model/Errors.h"
#include "scenario/JsonValues.h"

namespace orvane::host {

namespace {

// Finds where and why a text fails to parse: the reader's own position of the failure, which
// its exceptions carry only for some failures (not for a number too large for a double).
struct FailureFinder : nlohmann::json_sax<Json> {
  std::size_t position = 0;
  std::string token;
  int id = 0;
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t &) override { return true; }
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool string(string_t &) override { return true; }
  bool binary(binary_t &) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t &) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t at, const std::string &last,
                   const nlohmann::detail::exception &e) override {
    position = at;
    token = last;
    id = e.id;
    return false;
  }
};

// The line and column an editor shows for the `byte`-th byte (1-based) of the text.
std::string Where(const std::string &text, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

// The byte (1-based) at which arrays and objects first nest deeper than `limit`, or 0.
std::size_t TooDeep(const std::string &text, int limit) {
  int depth = 0;
  bool in_string = false, escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return i + 1;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return 0;
}

std::string Printable(std::string token) {
  if (token.size() > 24) token = token.substr(token.size() - 24);
  std::string out;
  for (unsigned char c : token) {
    if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace

Json ParseScenario(const std::string &text, const std::string &origin, const Limits &limits) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    throw BadInput(origin + ": the file is empty");
  if (text.size() > limits.max_file_bytes) {
    throw BadInput(origin + ": the file is " + std::to_string(text.size() >> 20) +
                   " MiB; scenarios are at most " + std::to_string(limits.max_file_bytes >> 20) +
                   " MiB");
  }
  if (std::size_t at = TooDeep(text, limits.max_nesting)) {
    // Only where the text up to that point reads as JSON, which the reader then stops at its
    // end (the byte after the text's last, the deep bracket's place); otherwise the reader says
    // what is wrong, though it be the byte just before the bracket.
    FailureFinder finder;
    if (Json::sax_parse(text.substr(0, at - 1), &finder) || finder.position >= at) {
      throw BadInput(origin + ":" + Where(text, at) + ": arrays and objects nest more than " +
                     std::to_string(limits.max_nesting) + " deep");
    }
  }
  Json scenario = Json::parse(text, nullptr, false);
  if (scenario.is_discarded()) {
    FailureFinder finder;
    Json::sax_parse(text, &finder);
    std::string why;
    if (finder.id == 406) {
      why = "the number " + Printable(finder.token) + " is too large";
    } else if (finder.position == 0 || finder.position > text.size()) {
      why = "the text ends before the JSON does (an unclosed bracket, brace or string?)";
    } else {
      // The byte the reader stopped at says more than its token, which may hold what came before.
      const unsigned char c = static_cast<unsigned char>(text[finder.position - 1]);
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", c);
      if (c < 0x20)
        why = std::string("unexpected control character ") + hex + " (strings must escape it)";
      else if (c == 0x7F)
        why = std::string("unexpected byte ") + hex;
      else if (c >= 0x80 || (finder.position > 1 &&
                             static_cast<unsigned char>(text[finder.position - 2]) >= 0x80))
        why = std::string("broken UTF-8 (byte ") + hex + ")";
      // The reader stops on the byte after a backslash that starts no escape it knows.
      else if (c == '\\' || (finder.position > 1 && text[finder.position - 2] == '\\'))
        why = "a backslash that starts no valid escape";
      else
        why = std::string("unexpected \"") + char(c) + "\"";
    }
    // A number is located where it starts; anything else where the reader stopped.
    const std::size_t at = finder.id == 406 && finder.token.size() <= finder.position
                               ? finder.position - finder.token.size() + 1
                               : finder.position;
    throw BadInput(origin + ":" + Where(text, at) + ": invalid JSON: " + why);
  }
  if (!scenario.is_object())
    throw BadInput(origin + ": a scenario is a JSON object, not " + TypeName(scenario));
  return scenario;
}

std::string ReadScenarioFile(const std::string &path, const Limits &limits) {
  const std::string too_large =
      path + ": the file is larger than " + std::to_string(limits.max_file_bytes >> 20) +
      " MiB; scenarios are at most " + std::to_string(limits.max_file_bytes >> 20) + " MiB";
#if defined(_WIN32)
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw BadInput(path + ": no such file");
  if ((st.st_mode & S_IFMT) == S_IFDIR)
    throw BadInput(path + ": is a directory, not a scenario file");
  if ((st.st_mode & S_IFMT) != S_IFREG) throw BadInput(path + ": is not a regular file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BadInput(path + ": cannot be read");
  std::string text(limits.max_file_bytes + 1, '\0');
  in.read(&text[0], std::streamsize(text.size()));
  text.resize(std::size_t(in.gcount()));
  if (text.size() > limits.max_file_bytes) throw BadInput(too_large);
  return text;
#else
  // Opened without blocking, so that a named pipe nobody writes to is refused rather than waited
  // on; what it is comes from the open file itself, not from a name that may change meanwhile.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw BadInput(path + ": no such file");
    throw BadInput(path + ": cannot be read (" + std::strerror(errno) + ")");
  }
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  struct stat st {};
  if (fstat(fd, &st) != 0) throw BadInput(path + ": cannot be read (" + std::strerror(errno) + ")");
  switch (st.st_mode & S_IFMT) {
    case S_IFREG:
      break;
    case S_IFDIR:
      throw BadInput(path + ": is a directory, not a scenario file");
    case S_IFIFO:
      throw BadInput(path + ": is a named pipe, not a scenario file");
    case S_IFCHR:
    case S_IFBLK:
      throw BadInput(path + ": is a device, not a scenario file");
    default:
      throw BadInput(path + ": is not a regular file, not a scenario file");
  }
  if (std::size_t(st.st_size) > limits.max_file_bytes) {
    throw BadInput(path + ": the file is " + std::to_string(std::size_t(st.st_size) >> 20) +
                   " MiB; scenarios are at most " + std::to_string(limits.max_file_bytes >> 20) +
                   " MiB");
  }
  // Never more than the limit and one byte, whatever the size said: a file may grow meanwhile.
  std::string text;
  text.resize(std::min<std::size_t>(std::size_t(st.st_size) + 1, limits.max_file_bytes + 1));
  std::size_t got = 0;
  for (;;) {
    if (got == text.size()) {
      if (text.size() > limits.max_file_bytes) break;
      text.resize(std::min<std::size_t>(text.size() * 2, limits.max_file_bytes + 1));
    }
    const ssize_t n = read(fd, &text[got], text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw BadInput(path + ": cannot be read (" + std::strerror(errno) + ")");
    if (n == 0) break;
    got += std::size_t(n);
  }
  text.resize(got);
  if (text.size() > limits.max_file_bytes) throw BadInput(too_large);
  return text;
#endif
}

}  // namespace orvane::host
