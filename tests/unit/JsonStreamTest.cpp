// The readers of scenario and project files: text escapes read as the UTF-8 they name, and what
// is not there, or not a file, named as such.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "Descriptors.h"
#include "scenario/JsonStream.h"
#include "scenario/ScenarioFile.h"

namespace {

namespace host = orvane::host;

// Each escape, one, two, three and four bytes long in UTF-8 (the last a surrogate pair), is the
// same text as the characters written out.
TEST(JsonStream, EscapesAreTheUtf8OfTheirCodePoints) {
  const std::string path = ::testing::TempDir() + "json-stream-escapes.json";
  std::ofstream(path, std::ios::binary)
      << R"(["\u0041", "\u00e9", "\u07ff", "\u20ac", "\ud83d\ude00", "A\u00e9\u07ff\u20ac\ud83d\ude00",)"
      << R"( "\u4e2d", "\ud83d\ude01", "\uffff", "\u007f", "\u0080", "\u0800", "\ud800\udc00",)"
      << R"( "\udbff\udfff", "\u00AF", "\u09aF"])";
  host::JsonStream in(path, 1 << 16, 8);
  const host::Json v = in.TakeValue();
  in.End();
  ASSERT_EQ(v.size(), 16u);
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
  // Each side of each step to a longer sequence.
  EXPECT_EQ(v[9], "\x7F");
  EXPECT_EQ(v[10], "\xC2\x80");
  EXPECT_EQ(v[11], "\xE0\xA0\x80");
  EXPECT_EQ(v[12], "\xF0\x90\x80\x80");
  // The last code point, both halves of its pair at their tops.
  EXPECT_EQ(v[13], "\xF4\x8F\xBF\xBF");
  // Hexadecimal digits in capitals as well, at each end of the six letters.
  EXPECT_EQ(v[14], "\xC2\xAF");
  EXPECT_EQ(v[15], "\xE0\xA6\xAF");
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
  // Past the first megabyte the reader holds at once, counted on from where that one ended.
  std::string farther = "[\n";
  for (int i = 0; i < 400000; ++i) farther += "1,\n";
  EXPECT_EQ(where("json-stream-farther.json", farther + "  x]"), ":400002:3");
}

// What a reader gives for a file: the value it read whole, or where and why it stopped.
std::string Outcome(const std::string &name, const std::string &text,
                    const std::function<std::string(host::JsonStream &)> &read,
                    std::size_t whole_bytes = 1 << 16) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  try {
    host::JsonStream in(path, whole_bytes, 8);
    const std::string got = read(in);
    in.End();
    return got;
  } catch (const std::exception &e) {
    const std::string what = e.what();
    return what.rfind(path, 0) == 0 ? what.substr(path.size()) : what;
  }
}

std::string Whole(host::JsonStream &in) { return in.TakeValue().dump(); }

// A value read whole is the value another JSON reader makes of the same text: every kind of
// value, every escape, numbers whole and not, at the ends of 64 bits and past them.
TEST(JsonStream, AValueReadWholeIsWhatTheTextSays) {
  const std::string text =
      R"({"a": [1, -2.5, 3e2, 0.125E-1, true, false, null, {"b": {}}, []],)"
      R"( "esc": "q\"b\\s\/b\bf\fn\nr\rt\tu\u00E9\u00e9",)"
      R"( "ends": [18446744073709551615, -9223372036854775808, 18446744073709551616, -0, 0,)"
      R"( -9223372036854775809, 3e+2, 9, -9],)"
      // Empty and full lists and objects, each closed: more of them side by side than they may
      // nest.
      R"( "side": [{}, {}, {}, {}, {}, {}, {}, {}, {}, [], [], [], [], [], [], [], [], [],)"
      R"( {"c": 1}, {"c": 1}, {"c": 1}, {"c": 1}, {"c": 1}, {"c": 1}, {"c": 1}, {"c": 1}, [1],)"
      R"( [1], [1], [1], [1], [1], [1], [1], [1]],)"
      "\n\t\r \"last\": \"\"}";
  EXPECT_EQ(Outcome("json-stream-whole.json", text, Whole), host::Json::parse(text).dump());
}

// A host started with its standard input closed gets descriptor 0 for the first file it opens;
// that is a file like any other.
TEST(JsonStream, AFileOpenedAsDescriptorZeroIsRead) {
  const std::string path = ::testing::TempDir() + "json-stream-fd0.json";
  std::ofstream(path, std::ios::binary) << "[7]";
  const int saved = dup(0);
  ASSERT_GE(saved, 0);
  close(0);
  std::string outcome;
  try {
    host::JsonStream in(path, 1 << 16, 8);
    outcome = in.TakeValue().dump();
    in.End();
  } catch (const std::exception &e) {
    outcome = e.what();
  }
  dup2(saved, 0);
  close(saved);
  EXPECT_EQ(outcome, "[7]");
}

// A folder or a device refused as a project file leaves nothing open: a long session that is
// handed many of them by "open" steps must not run out of descriptors.
TEST(JsonStream, WhatIsRefusedAsNoFileIsClosed) {
  const long before = orvane::test::OpenDescriptors();
  const std::pair<std::string, const char *> refused[] = {
      {::testing::TempDir(), ": is a directory, not a project file"},
      {"/dev/null", ": is not a regular file, not a project file"}};
  for (const auto &[path, why] : refused) {
    try {
      host::JsonStream in(path, 1 << 16, 8);
      ADD_FAILURE() << path << " was opened";
    } catch (const std::exception &e) {
      EXPECT_EQ(std::string(e.what()), path + why);
    }
  }
  EXPECT_EQ(orvane::test::OpenDescriptors(), before);
}

// A name that leads to nothing, or through a file as if it were a folder, is no such file.
TEST(JsonStream, WhatIsNotThereIsNoSuchFile) {
  const std::string file = ::testing::TempDir() + "json-stream-there.json";
  std::ofstream(file, std::ios::binary) << "[]";
  for (const std::string &path :
       {::testing::TempDir() + "json-stream-not-there.json", file + "/inside.json"}) {
    try {
      host::JsonStream in(path, 1 << 16, 8);
      ADD_FAILURE() << path << " was opened";
    } catch (const std::exception &e) {
      EXPECT_EQ(std::string(e.what()), path + ": no such file");
    }
  }
}

// A scenario file exactly as large as the limit is read whole, and one a byte larger is refused.
TEST(ScenarioFile, AFileAtTheLimitIsReadWhole) {
  host::Limits limits;
  limits.max_file_bytes = 1 << 10;
  const std::string path = ::testing::TempDir() + "scenario-at-limit.json";
  const std::string text = "{" + std::string((1 << 10) - 2, ' ') + "}";
  std::ofstream(path, std::ios::binary) << text;
  EXPECT_EQ(host::ReadScenarioFile(path, limits), text);
  std::ofstream(path, std::ios::binary) << text << ' ';
  EXPECT_THROW(host::ReadScenarioFile(path, limits), std::exception);
}

// A file may hold more than its size says (one that grows, or one the system makes as it is
// read, as /proc/version is, of size 0): it is read to its end, and never past the limit.
TEST(ScenarioFile, AFileIsReadToItsEndWhateverItsSizeSaid) {
  std::ifstream in("/proc/version", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (text.size() < 2) GTEST_SKIP() << "no /proc/version here";
  host::Limits limits;
  limits.max_file_bytes = text.size();
  EXPECT_EQ(host::ReadScenarioFile("/proc/version", limits), text);
  // A byte short of it, and a limit that the reader's room, doubled as it reads, meets exactly.
  std::size_t power = 1;
  while (power * 2 < text.size()) power *= 2;
  for (std::size_t limit : {text.size() - 1, power}) {
    limits.max_file_bytes = limit;
    try {
      host::ReadScenarioFile("/proc/version", limits);
      ADD_FAILURE() << "read past a limit of " << limit;
    } catch (const std::exception &e) {
      EXPECT_NE(std::string(e.what()).find(": the file is larger than"), std::string::npos)
          << e.what();
    }
  }
}

// Both readers end where the file does, whatever `errno` held before them: a stale EINTR is no
// interrupted read (the read would go on for ever).
TEST(FileReaders, AStaleInterruptIsNoReasonToReadOn) {
  const std::string path = ::testing::TempDir() + "scenario-stale-eintr.json";
  std::ofstream(path, std::ios::binary) << R"({"steps": []})";
  errno = EINTR;
  EXPECT_EQ(host::ReadScenarioFile(path), R"({"steps": []})");
  host::JsonStream in(path, 1 << 16, 8);
  EXPECT_EQ(in.TakeValue(), host::Json::parse(R"({"steps": []})"));
  errno = EINTR;
  in.End();
}

// Each way a file stops being JSON, or holds what the reader was not asked for, is named with
// the line and column where the reader stopped.
TEST(JsonStream, EachFaultIsNamedWhereTheReaderStopped) {
  const auto list = [](host::JsonStream &in) {
    in.Array([&](std::size_t) { in.TakeNumber(); });
    return std::string("read");
  };
  const auto object = [](host::JsonStream &in) {
    in.Object([&](const std::string &) { in.TakeValue(); });
    return std::string("read");
  };
  const auto boolean = [](host::JsonStream &in) { return std::string(in.TakeBool() ? "t" : "f"); };
  struct Case {
    std::string text;
    std::function<std::string(host::JsonStream &)> read;
    std::string expected;
  };
  const std::string deep(9, '[');
  // 1e319 written with 1,319 zeros and a power of -1000: the power is read in decimal, so that
  // the digits and the power together make it too large.
  const std::string long_large = "1" + std::string(1319, '0') + "e-1000";
  const Case cases[] = {
      {"[1, 2", list,
       ":1:6: invalid JSON: the text ends before the JSON does (an unclosed bracket?)"},
      {R"(["abc)", Whole, ":1:6: invalid JSON: the text ends inside a string"},
      {"[\"a\x1F\"]", Whole,  // the last control character
       ":1:5: invalid JSON: a control character in a string (strings must escape it)"},
      {R"(["\u12G4"])", Whole, ":1:8: invalid JSON: \\u takes four hexadecimal digits"},
      {R"(["\ud83d"])", Whole, ":1:10: invalid JSON: a lone surrogate in \\u"},
      {R"(["\ud83d\u0041"])", Whole, ":1:15: invalid JSON: a lone surrogate in \\u"},
      {R"(["\ude00"])", Whole, ":1:9: invalid JSON: a lone surrogate in \\u"},
      {R"(["\q"])", Whole, ":1:5: invalid JSON: a backslash that starts no valid escape"},
      {"[\"\xC3(\"]", Whole, ":1:6: invalid JSON: broken UTF-8 in a string"},
      {"[-x]", list, ":1:3: invalid JSON: a number needs a digit here"},
      {"[1.]", list, ":1:4: invalid JSON: a number needs a digit here"},
      {"[1e]", list, ":1:4: invalid JSON: a number needs a digit here"},
      {"[1e999]", list, ":1:7: the number 1e999 is too large"},
      {"[-2.5e308]", list, ":1:10: the number -2.5e308 is too large"},
      {"[0.000123e400]", list, ":1:14: the number 0.000123e400 is too large"},
      {"[1e-999, 12300e-330, -0.5E-400]", Whole, "[0.0,0.0,0.0]"},
      {"[" + long_large + "]", list, ":1:1328: the number " + long_large + " is too large"},
      {"[\"1\"]", list, ":1:2: expected a number"},
      {"[nul]", Whole, ":1:6: invalid JSON: unexpected text"},
      {"tru", boolean, ":1:4: invalid JSON: unexpected text"},
      {"1", boolean, ":1:1: expected true or false"},
      {"[@]", Whole, ":1:2: invalid JSON: unexpected \"@\""},
      {"[\x7F]", Whole, ":1:2: invalid JSON: unexpected byte 0x7F"},
      {std::string("[\0]", 3), Whole, ":1:2: invalid JSON: unexpected byte 0x00"},  // not the end
      {"[1] x", list, ":1:5: invalid JSON: text after the end of the JSON"},
      {"[01]", list, ":1:3: invalid JSON: expected \",\" or \"]\", not \"1\""},
      {"[1 2]", list, ":1:4: invalid JSON: expected \",\" or \"]\", not \"2\""},
      {R"({"a": 1 "b": 2})", object, ":1:9: invalid JSON: expected \",\" or \"}\", not \"\"\""},
      {"{\"a\" ~}", object, ":1:6: invalid JSON: expected \":\" after a key, not \"~\""},
      {"{\"a\" \x7F}", object, ":1:6: invalid JSON: expected \":\" after a key, not byte 0x7F"},
      {"{\"a\" \x1F}", object, ":1:6: invalid JSON: expected \":\" after a key, not byte 0x1F"},
      {"[\x1F]", Whole, ":1:2: invalid JSON: unexpected byte 0x1F"},
      {"[ ~]", Whole, ":1:3: invalid JSON: unexpected \"~\""},
      {"fals", boolean, ":1:5: invalid JSON: unexpected text"},
      {"{1: 2}", object, ":1:2: invalid JSON: expected a key in quotes"},
      {R"({"a" 1})", object, ":1:6: invalid JSON: expected \":\" after a key, not \"1\""},
      {R"({"a": 1, "a": 2})", object, ":1:13: \"a\" is given twice in one object"},
      {"[1]", object, ":1:1: expected an object"},
      {"{}", list, ":1:1: expected a list"},
      {deep + "1" + std::string(9, ']'), Whole, ":1:9: arrays and objects nest more than 8 deep"},
      {deep.substr(1) + "1" + std::string(8, ']'), Whole, "[[[[[[[[1]]]]]]]]"},
  };
  int n = 0;
  for (const Case &c : cases) {
    EXPECT_EQ(Outcome("json-stream-fault" + std::to_string(n++) + ".json", c.text, c.read),
              c.expected)
        << c.text;
  }
}

// Values taken whole hold no more of the file between them than the reader allows (the space
// before each counts), and no one string more than 64 KiB.
TEST(JsonStream, ValuesTakenWholeStayWithinTheirBytes) {
  const std::string text = R"(["abcdefgh", "ij"])";  // 10 bytes, then 5 with the space
  const auto both = [](host::JsonStream &in) {
    std::string got;
    in.Array([&](std::size_t) { got += in.TakeValue().get<std::string>(); });
    return got;
  };
  EXPECT_EQ(Outcome("json-stream-bytes.json", text, both, 15), "abcdefghij");
  EXPECT_EQ(Outcome("json-stream-bytes.json", text, both, 14),
            ":1:18: the parts of the file other than mask keyframes are more than the scenario's "
            "limit");
  const std::string longest(1 << 16, 'x');
  EXPECT_EQ(Outcome("json-stream-long.json", "\"" + longest + "\"", Whole, 1 << 20).size(),
            longest.size() + 2);
  EXPECT_EQ(Outcome("json-stream-long.json", "\"" + longest + "x\"", Whole, 1 << 20).substr(0, 60),
            ":1:65539: a string longer than 65536 bytes");
}

}  // namespace
