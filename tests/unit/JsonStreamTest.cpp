// The streaming reader of scenario and project files: text escapes read as the UTF-8 they name.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "scenario/JsonStream.h"

namespace {

namespace host = orvane::host;

// Each escape, one, two, three and four bytes long in UTF-8 (the last a surrogate pair), is the
// same text as the characters written out.
TEST(JsonStream, EscapesAreTheUtf8OfTheirCodePoints) {
  const std::string path = ::testing::TempDir() + "json-stream-escapes.json";
  std::ofstream(path, std::ios::binary)
      << R"(["\u0041", "\u00e9", "\u07ff", "\u20ac", "\ud83d\ude00", "A\u00e9\u07ff\u20ac\ud83d\ude00"])";
  host::JsonStream in(path, 1 << 16, 8);
  const host::Json v = in.TakeValue();
  in.End();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0], "A");
  EXPECT_EQ(v[1], "\xC3\xA9");
  EXPECT_EQ(v[2], "\xDF\xBF");
  EXPECT_EQ(v[3], "\xE2\x82\xAC");
  EXPECT_EQ(v[4], "\xF0\x9F\x98\x80");
  EXPECT_EQ(v[5], "A\xC3\xA9\xDF\xBF\xE2\x82\xAC\xF0\x9F\x98\x80");
}

}  // namespace
