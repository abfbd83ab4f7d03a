// The streaming reader of scenario and project files: text escapes read as the UTF-8 they name.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "scenario/JsonStream.h"

namespace {

namespace host = orvane::host;

// Each escape, one, two, three and four bytes long in UTF-8 (the last a surrogate pair), is the
// same text as the characters written out.
TEST(JsonStream, EscapesAreTheUtf8OfTheirCodePoints) {
  const std::string path = ::testing::TempDir() + "json-stream-escapes.json";
  std::ofstream(path, std::ios::binary)
      << R"(["\u0041", "\u00e9", "\u07ff", "\u20ac", "\ud83d\ude00", "A\u00e9\u07ff\u20ac\ud83d\ude00",)"
      << R"( "\u4e2d", "\ud83d\ude01", "\uffff"])";
  host::JsonStream in(path, 1 << 16, 8);
  const host::Json v = in.TakeValue();
  in.End();
  ASSERT_EQ(v.size(), 9u);
  EXPECT_EQ(v[0], "A");
  EXPECT_EQ(v[1], "\xC3\xA9");
  EXPECT_EQ(v[2], "\xDF\xBF");
  EXPECT_EQ(v[3], "\xE2\x82\xAC");
  EXPECT_EQ(v[4], "\xF0\x9F\x98\x80");
  EXPECT_EQ(v[5], "A\xC3\xA9\xDF\xBF\xE2\x82\xAC\xF0\x9F\x98\x80");
  // Every bit of the last six: code points that end in ones.
  EXPECT_EQ(v[6], "\xE4\xB8\xAD");
  EXPECT_EQ(v[7], "\xF0\x9F\x98\x81");
  EXPECT_EQ(v[8], "\xEF\xBF\xBF");
}

// What does not read is named by line and column, counted from the file's start however far in
// it is: here on the third line, and past the reader's first 64 KiB, on the line after 40,000.
TEST(JsonStream, AFaultIsNamedByTheLineAndColumnItIsOn) {
  const auto where = [](const std::string &name, const std::string &text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    host::JsonStream in(path, 1 << 16, 8);
    try {
      in.Array([&](std::size_t) { in.TakeNumber(); });
      in.End();
    } catch (const std::exception &e) {
      const std::string what = e.what();
      return what.substr(path.size(), what.find(": ", path.size()) - path.size());
    }
    return std::string("read");
  };
  EXPECT_EQ(where("json-stream-near.json", "[1,\n 2,\n  x]"), ":3:3");
  std::string far = "[\n";
  for (int i = 0; i < 40000; ++i) far += "1,\n";
  EXPECT_EQ(where("json-stream-far.json", far + "   x]"), ":40002:4");
}

}  // namespace
