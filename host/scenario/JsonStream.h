// A JSON file read as a stream, a value at a time, for files too large to hold as one JSON value
// (a saved project with an hour's bake is gigabytes): the caller walks objects and arrays and
// takes numbers as they come, or takes a small value whole as Json. What does not read as JSON is
// BadInput naming the file, the line and the column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "report/Json.h"

namespace orvane::host {

class JsonStream {
 public:
  // Opens a regular file (a folder, a device or a pipe is refused at once). Small values taken
  // whole hold at most `whole_bytes` of the file between them, nested `max_nesting` deep.
  JsonStream(const std::string &path, std::size_t whole_bytes, int max_nesting);
  ~JsonStream();
  JsonStream(const JsonStream &) = delete;
  JsonStream &operator=(const JsonStream &) = delete;

  // The next value's first character, past white space ('{', '[', '"', 't', 'f', 'n' or the
  // start of a number).
  char Peek();
  // An object: `member` is called with each key and must take its value. A key given twice is
  // refused, as a second value would otherwise silently replace the first.
  void Object(const std::function<void(const std::string &key)> &member);
  // An array: `element` is called with each index and must take the element.
  void Array(const std::function<void(std::size_t index)> &element);
  // A number, with whether it is written as a whole number (and then its value exactly, as far as
  // 64 bits hold it: `whole_fits`).
  struct Number {
    double value = 0;
    bool whole = false;
    bool whole_fits = false;
    bool negative = false;
    std::uint64_t magnitude = 0;  // of a whole number that fits
  };
  Number TakeNumber();
  bool TakeBool();
  // The next value whole, within the limits above.
  Json TakeValue();
  // The end of the file: nothing but white space after the value.
  void End();
  // BadInput naming the file and where the reader is ("FILE:LINE:COLUMN: why").
  [[noreturn]] void Fail(const std::string &why);
  const std::string &path() const { return path_; }

 private:
  int Get();  // the next byte, or -1 at the end of the file
  int PeekByte();
  void SkipSpace();
  void Expect(char c, const char *what);
  std::string TakeString();
  std::string NumberText();
  Json Build();
  std::string Where(std::uint64_t offset);

  std::string path_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t at_ = 0, end_ = 0;
  std::uint64_t offset_ = 0;  // of buffer_[at_] in the file
  std::size_t whole_left_;
  int max_nesting_;
  int depth_ = 0;
};

}  // namespace orvane::host
