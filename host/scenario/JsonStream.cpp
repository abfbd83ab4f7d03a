#include "scenario/JsonStream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "model/Errors.h"
#include "model/Text.h"

namespace orvane::host {

namespace {

#if defined(_WIN32)
int OpenRead(const char *path) { return _open(path, _O_RDONLY | _O_BINARY); }
long ReadSome(int fd, char *to, std::size_t n) { return _read(fd, to, unsigned(n)); }
int CloseFile(int fd) { return _close(fd); }
#else
int OpenRead(const char *path) { return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC); }
long ReadSome(int fd, char *to, std::size_t n) { return long(read(fd, to, n)); }
int CloseFile(int fd) { return close(fd); }
#endif

// A string longer than this is no name or value a project holds.
constexpr std::size_t kMaxString = 1 << 16;

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// A power of ten far beyond any a double holds, and far from overflowing when others are added.
constexpr long long kFarPower = 1LL << 40;

// Whether a number a double cannot hold is too large rather than too small, from its text (a
// valid JSON number): its digits read as 0.d1d2... times ten to a power above 0. The parser that
// found it out of range leaves its result as it was, so the text is all there is to go by.
bool AboveOne(const std::string &text) {
  const std::size_t e = std::min(text.find_first_of("eE"), text.size());
  const std::size_t point = std::min(text.find('.'), e);
  const std::size_t first = text.find_first_of("123456789");
  if (first >= e) return false;  // all zeros, which any double holds
  long long power = first < point ? (long long)(point - first) : -(long long)(first - point - 1);
  if (e < text.size())
    power += std::clamp(std::strtoll(&text[e + 1], nullptr, 10), -kFarPower, kFarPower);
  return power > 0;
}

void PutUtf8(std::string &out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

}  // namespace

JsonStream::JsonStream(const std::string &path, std::size_t whole_bytes, int max_nesting)
    : path_(path), buffer_(1 << 20), whole_left_(whole_bytes), max_nesting_(max_nesting) {
  // Opened without blocking, so that a named pipe nobody writes to is refused rather than
  // waited on; what it is comes from the open file itself.
  fd_ = OpenRead(path.c_str());
  if (fd_ < 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw BadInput(path + ": no such file");
    throw BadInput(path + ": cannot be read (" + std::strerror(errno) + ")");
  }
  struct stat st {};
  if (fstat(fd_, &st) != 0 || (st.st_mode & S_IFMT) != S_IFREG) {
    const bool folder = (st.st_mode & S_IFMT) == S_IFDIR;
    CloseFile(fd_);
    fd_ = -1;
    throw BadInput(path + (folder ? ": is a directory, not a project file"
                                  : ": is not a regular file, not a project file"));
  }
}

JsonStream::~JsonStream() {
  if (fd_ >= 0) CloseFile(fd_);
}

int JsonStream::PeekByte() {
  if (at_ == end_) {
    offset_ += end_;
    at_ = end_ = 0;
    for (;;) {
      const long n = ReadSome(fd_, buffer_.data(), buffer_.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw BadInput(path_ + ": cannot be read (" + std::strerror(errno) + ")");
      end_ = std::size_t(n);
      break;
    }
    if (end_ == 0) return -1;
  }
  return static_cast<unsigned char>(buffer_[at_]);
}

int JsonStream::Get() {
  const int c = PeekByte();
  if (c >= 0) ++at_;
  return c;
}

void JsonStream::SkipSpace() {
  for (int c = PeekByte(); c == ' ' || c == '\n' || c == '\r' || c == '\t'; c = PeekByte()) ++at_;
}

std::string JsonStream::Where(std::uint64_t offset) {
  // Counted again from the start, only when something is wrong: the reader keeps no count of
  // lines in a file of gigabytes.
  std::uint64_t line = 1, column = 1;
  const int fd = OpenRead(path_.c_str());
  std::vector<char> chunk(1 << 16);
  for (std::uint64_t done = 0; fd >= 0 && done < offset;) {
    const long n = ReadSome(fd, chunk.data(), chunk.size());
    if (n <= 0) break;
    for (long i = 0; i < n && done < offset; ++i, ++done) {
      if (chunk[std::size_t(i)] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
  }
  if (fd >= 0) CloseFile(fd);
  return std::to_string(line) + ":" + std::to_string(column);
}

void JsonStream::Fail(const std::string &why) {
  throw BadInput(path_ + ":" + Where(offset_ + at_) + ": " + why);
}

char JsonStream::Peek() {
  SkipSpace();
  const int c = PeekByte();
  if (c < 0) Fail("invalid JSON: the text ends before the JSON does (an unclosed bracket?)");
  return char(c);
}

void JsonStream::Expect(char c, const char *what) {
  if (Peek() != c) {
    const int got = PeekByte();
    char text[32];
    std::snprintf(text, sizeof text, got >= 0x20 && got < 0x7F ? "\"%c\"" : "byte 0x%02X", got);
    Fail(std::string("invalid JSON: expected ") + what + ", not " + text);
  }
  ++at_;
}

void JsonStream::Object(const std::function<void(const std::string &key)> &member) {
  if (Peek() != '{') Fail("expected an object");
  if (++depth_ > max_nesting_)
    Fail("arrays and objects nest more than " + std::to_string(max_nesting_) + " deep");
  ++at_;
  std::set<std::string> seen;
  if (Peek() == '}') {
    ++at_;
    --depth_;
    return;
  }
  for (;;) {
    if (Peek() != '"') Fail("invalid JSON: expected a key in quotes");
    const std::string key = TakeString();
    if (!seen.insert(key).second) Fail("\"" + key + "\" is given twice in one object");
    Expect(':', "\":\" after a key");
    member(key);
    if (Peek() == ',') {
      ++at_;
      continue;
    }
    Expect('}', "\",\" or \"}\"");
    break;
  }
  --depth_;
}

void JsonStream::Array(const std::function<void(std::size_t index)> &element) {
  if (Peek() != '[') Fail("expected a list");
  if (++depth_ > max_nesting_)
    Fail("arrays and objects nest more than " + std::to_string(max_nesting_) + " deep");
  ++at_;
  if (Peek() == ']') {
    ++at_;
    --depth_;
    return;
  }
  for (std::size_t i = 0;; ++i) {
    element(i);
    if (Peek() == ',') {
      ++at_;
      continue;
    }
    Expect(']', "\",\" or \"]\"");
    break;
  }
  --depth_;
}

std::string JsonStream::TakeString() {
  Expect('"', "a string");
  std::string out;
  for (;;) {
    int c = Get();
    if (c < 0) Fail("invalid JSON: the text ends inside a string");
    if (c == '"') break;
    if (c < 0x20) Fail("invalid JSON: a control character in a string (strings must escape it)");
    if (out.size() >= kMaxString)
      Fail("a string longer than " + std::to_string(kMaxString) + " bytes");
    if (c != '\\') {
      out += char(c);
      continue;
    }
    c = Get();
    switch (c) {
      case '"':
        out += '"';
        break;
      case '\\':
        out += '\\';
        break;
      case '/':
        out += '/';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u': {
        auto hex4 = [this]() {
          std::uint32_t v = 0;
          for (int i = 0; i < 4; ++i) {
            const int h = Get();
            const int d = h >= '0' && h <= '9'   ? h - '0'
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                 : -1;
            if (d < 0) Fail("invalid JSON: \\u takes four hexadecimal digits");
            v = v * 16 + std::uint32_t(d);
          }
          return v;
        };
        std::uint32_t cp = hex4();
        if (cp >= 0xD800 && cp <= 0xDBFF) {
          if (Get() != '\\' || Get() != 'u') Fail("invalid JSON: a lone surrogate in \\u");
          const std::uint32_t low = hex4();
          if (low < 0xDC00 || low > 0xDFFF) Fail("invalid JSON: a lone surrogate in \\u");
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
          Fail("invalid JSON: a lone surrogate in \\u");
        }
        PutUtf8(out, cp);
        break;
      }
      default:
        Fail("invalid JSON: a backslash that starts no valid escape");
    }
  }
  if (!IsUtf8(out)) Fail("invalid JSON: broken UTF-8 in a string");
  return out;
}

std::string JsonStream::NumberText() {
  SkipSpace();
  std::string text;
  auto digits = [&]() {
    if (!IsDigit(PeekByte())) Fail("invalid JSON: a number needs a digit here");
    while (IsDigit(PeekByte())) text += char(Get());
  };
  if (PeekByte() == '-') text += char(Get());
  if (PeekByte() == '0') {
    text += char(Get());
  } else {
    digits();
  }
  if (PeekByte() == '.') {
    text += char(Get());
    digits();
  }
  if (PeekByte() == 'e' || PeekByte() == 'E') {
    text += char(Get());
    if (PeekByte() == '+' || PeekByte() == '-') text += char(Get());
    digits();
  }
  return text;
}

JsonStream::Number JsonStream::TakeNumber() {
  const char c = Peek();
  if (c != '-' && !IsDigit(c)) Fail("expected a number");
  const std::string text = NumberText();
  Number n;
  n.whole = text.find_first_of(".eE") == std::string::npos;
  n.negative = text[0] == '-';
  const char *first = text.data(), *last = text.data() + text.size();
  if (n.whole) {
    std::uint64_t m = 0;
    const auto r = std::from_chars(first + (n.negative ? 1 : 0), last, m);
    n.whole_fits = r.ec == std::errc() && r.ptr == last;
    n.magnitude = m;
  }
  const auto r = std::from_chars(first, last, n.value);
  if (r.ec == std::errc::result_out_of_range && AboveOne(text))
    Fail("the number " + text + " is too large");
  if (r.ec == std::errc::result_out_of_range) n.value = 0;  // too small: it is 0, as JSON reads it
  return n;
}

bool JsonStream::TakeBool() {
  const char c = Peek();
  const char *word = c == 't' ? "true" : c == 'f' ? "false" : nullptr;
  if (!word) Fail("expected true or false");
  for (const char *p = word; *p; ++p) {
    if (Get() != *p) Fail("invalid JSON: unexpected text");
  }
  return c == 't';
}

Json JsonStream::TakeValue() {
  const std::uint64_t start = offset_ + at_;
  Json out = Build();
  const std::uint64_t used = offset_ + at_ - start;
  if (used > whole_left_)
    Fail("the parts of the file other than mask keyframes are more than the scenario's limit");
  whole_left_ -= std::size_t(used);
  return out;
}

Json JsonStream::Build() {
  const char c = Peek();
  Json out;
  if (c == '{') {
    out = Json::object();
    Object([&](const std::string &key) { out[key] = Build(); });
  } else if (c == '[') {
    out = Json::array();
    Array([&](std::size_t) { out.push_back(Build()); });
  } else if (c == '"') {
    out = TakeString();
  } else if (c == 't' || c == 'f') {
    out = TakeBool();
  } else if (c == 'n') {
    for (const char *p = "null"; *p; ++p) {
      if (Get() != *p) Fail("invalid JSON: unexpected text");
    }
  } else if (c == '-' || IsDigit(c)) {
    const Number n = TakeNumber();
    if (n.whole && n.whole_fits && !n.negative) {
      out = n.magnitude;
    } else if (n.whole && n.whole_fits && n.magnitude <= (std::uint64_t(1) << 63)) {
      out = static_cast<std::int64_t>(0 - n.magnitude);
    } else {
      out = n.value;
    }
  } else {
    char text[32];
    std::snprintf(text, sizeof text, c >= 0x20 && c < 0x7F ? "\"%c\"" : "byte 0x%02X",
                  static_cast<unsigned char>(c));
    Fail(std::string("invalid JSON: unexpected ") + text);
  }
  return out;
}

void JsonStream::End() {
  SkipSpace();
  if (PeekByte() >= 0) Fail("invalid JSON: text after the end of the JSON");
}

}  // namespace orvane::host
