// orvane-host against input a careless or hostile user gives it: every limit, every way the JSON
// can be broken, and the pictures' labels and captions.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "HostProcess.h"
#include "Picture.h"
#include "model/Errors.h"
#include "scenario/Limits.h"
#include "scenario/ScenarioFile.h"

namespace {

using orvane::test::Picture;
using orvane::test::RunHost;
using orvane::test::WriteTemp;

std::string Steps(const std::string &each, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += (i ? ", " : "") + each;
  return out;
}

std::string Points(int n) { return Steps("[10, 10]", n); }

// The words of the BadInput a check made in process throws, or "let through" when it throws none.
std::string Refusal(const std::function<void()> &check) {
  try {
    check();
  } catch (const orvane::host::BadInput &e) {
    return e.what();
  }
  return "let through";
}

// One line, naming the problem in our words: no library exception text, no abort.
void ExpectOneClearLine(const orvane::test::HostResult &r, const std::string &expected) {
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_EQ(r.out.find("json.exception"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("bad_alloc"), std::string::npos) << r.out;
}

TEST(Limits, InputBeyondEachLimitIsExitTwoNamingTheLimit) {
  struct Case {
    std::string scenario;
    std::string expected;
  };
  const std::string apply = R"({"do": "apply"}, )";
  const Case cases[] = {
      {R"({"comp": {"width": 100000, "height": 100000}, "steps": [{"do": "apply"}, {"do": "render"}]})",
       "comp width is 100,000 pixels; the limit is 30,000"},
      {R"({"layer": {"width": 640, "height": 30001}})", "layer height is 30,001 pixels"},
      {R"({"comp": {"width": -1e300}})", "comp width must be a positive number"},
      {R"({"comp": {"time_scale": 1e300}})", "time_scale must be a positive number, at most"},
      {R"({"comp": {"fps": 1e300}})", "fps must be a positive number, at most"},
      {R"({"comp": {"duration": 1.5e9}})",
       "comp duration is 1,500,000,000; it must be a positive number, at most 1,000,000,000"},
      {R"({"comp": {"width": 20000, "height": 20000}, "steps": [{"do": "apply"},
           {"do": "render", "depth": 32}]})",
       "20,000 x 20,000 pixels at 32 bits holds 17.9 GiB at once (the layer twice and the output); "
       "the limit is 8.0 GiB"},
      // The largest layer at 8 bits: 3.6 GB a buffer, 10.8 GB for the three a render holds.
      {R"({"comp": {"width": 30000, "height": 30000}})", "holds 10.1 GiB at once"},
      {R"({"comp": {"fps": 30, "duration": 40000}})",
       "1,200,000 frames (duration x fps); the limit is 1,000,000"},
      {R"({"comp": {"fps": 30, "duration": 10, "work_area": {"start": 0, "duration": 1e7}}})",
       "it must lie inside the composition, 0 to 10 s"},
      {R"({"comp": {"time_scale": 100000}, "layer": {"start": 30000}})", "layer start is 30,000 s"},
      {R"({"comp": {"time_scale": 100000}, "steps": [{"do": "apply"},
           {"do": "render", "time": 30000}]})",
       "step 2 (render): \"time\" is 30,000 s, which at a time_scale of 100,000 is more than"},
      // A layer that starts where the composition ends and runs a hundred times as fast: the
      // composition's end is its time 0, and its start 3,000 s before it.
      {R"({"comp": {"fps": 1, "time_scale": 1000000, "duration": 30},
           "layer": {"start": 30, "stretch": 1}})",
       "the composition's start in layer time is -3,000 s, which at a time_scale of 1,000,000 is "
       "more than"},
      {R"({"layer": {"position": [2e6, 0]}})", "at most 1,000,000 in size"},
      {R"({"layer": {"rotation": -1000000.5}})", "at most 1,000,000 in size"},
      // A count of six digits after its minus sign: the sign gets no separator of its own.
      {R"({"comp": {"time_scale": 10000}, "steps": [{"do": "apply"},
           {"do": "render", "time": -300000}]})",
       "step 2 (render): \"time\" is -300,000 s, which at a time_scale of 10,000 is more than"},
      {R"({"steps": [)" + Steps(R"({"do": "delete_mask"})", 100001) + "]}",
       "100,001 steps; the limit is 100,000"},
      {R"({"steps": [)" + apply + R"({"do": "drag", "points": [)" + Points(10001) + "]}]}",
       "step 2 (drag): a drag has 10,001 points; the limit is 10,000"},
      {R"({"steps": [{"do": "mask", "vertices": [)" + Points(10001) + "]}]}",
       "a mask has 10,001 vertices; the limit is 10,000"},
      {R"({"view": {"zoom": 20}, "steps": [{"do": "apply"}, {"do": "png", "file": "a.png"}]})",
       "the composition window at zoom 2,000% would be 38,400 x 21,600 pixels; pictures are at "
       "most 16,384 pixels a side"},
      {R"({"comp": {"duration": 100}, "steps": [{"do": "apply"},
           {"do": "sheet", "file": "s.png", "every": 1}]})",
       "the sheet would hold 3,000 frames; the limit is 400"},
      {R"({"steps": [{"do": "apply"},
           {"do": "sheet", "file": "s.png", "every": 1, "columns": 64, "cell_width": 4096}]})",
       "the sheet would be 262,404 x"},
      {R"({"steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png", "every": 1e300}]})",
       "\"every\" is at least 1"},
      {R"({"steps": [{"do": "apply"}, {"do": "render", "depth": 1e300}]})",
       "\"depth\" is 8, 16 or 32"},
  };
  int n = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.expected);
    const std::string path = WriteTemp("limit" + std::to_string(n++) + ".json", c.scenario);
    ExpectOneClearLine(RunHost("run " + path + " --out " + ::testing::TempDir() + "limits"),
                       c.expected);
  }
}

TEST(Limits, TheWorkOfAWholeRunAndOfASheetIsBoundedBeforeItStarts) {
  // 401 steps, each followed by a render of a 25,000 x 25,000 layer at 4 bytes a pixel:
  // 401 x 2.5 GB = 1.0025 TB, past the 1 TB a run may render; 400 steps are 1.0 TB exactly.
  auto run = [](int steps) {
    std::string text = R"({"comp": {"width": 25000, "height": 25000}, "steps": [{"do": "apply"})";
    for (int i = 1; i < steps; ++i) text += R"(, {"do": "draw"})";
    return RunHost("run " + WriteTemp("run" + std::to_string(steps) + ".json", text + "]}") +
                   " --quiet");
  };
  ExpectOneClearLine(run(401), "the run would render about 933.7 GiB of pixels (401 steps");
  // Drawing renders nothing, so the 400 steps run at once.
  const auto at_limit = run(400);
  EXPECT_EQ(at_limit.code, 0) << at_limit.out;
  // A sheet of 200 frames of a 15,000 x 15,000 layer draws 200 x 2.25e8 = 4.5e10 layer pixels,
  // past the 4e10 a sheet may draw.
  const std::string sheet = WriteTemp("sheet-work.json", R"({"comp": {"width": 15000,
      "height": 15000, "duration": 20, "fps": 10}, "steps": [{"do": "apply"},
      {"do": "sheet", "file": "s.png", "every": 1, "cell_width": 16}]})");
  ExpectOneClearLine(
      RunHost("run " + sheet + " --out " + ::testing::TempDir() + "sheetwork"),
      "the sheet would draw 45,000,000,000 layer pixels (200 frames of 225,000,000)");
}

TEST(Limits, InputAtEachLimitIsAccepted) {
  const std::string cases[] = {
      R"({"layer": {"position": [1000000, -1000000], "anchor": [-1000000, 1000000],
                    "scale": [1000000, -1000000], "rotation": -1000000}})",
      R"({"comp": {"fps": 10, "duration": 100000}})",  // a million frames
      R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [)" + Points(10000) + "]}]}",
      R"({"steps": [{"do": "mask", "vertices": [)" + Points(10000) + "]}]}",
      // Each end of a parameter's range, for a fraction and for a whole number.
      R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Width 1", "value": 0},
           {"do": "set", "param": "Width 1", "value": 50000}, {"do": "set", "param": "Number",
           "value": 0}, {"do": "set", "param": "Number", "value": 50}]})",
      // A sheet of every billionth frame is one cell; 64 columns of the narrowest cells.
      R"({"comp": {"duration": 0.1}, "steps": [{"do": "apply"},
           {"do": "sheet", "file": "s.png", "every": 1e9, "columns": 64, "cell_width": 16}]})",
  };
  int n = 0;
  for (const std::string &scenario : cases) {
    SCOPED_TRACE(scenario.substr(0, 80));
    const std::string path = WriteTemp("at_limit" + std::to_string(n++) + ".json", scenario);
    auto r = RunHost("run " + path + " -q --out " + ::testing::TempDir() + "at_limit");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "");
  }
}

// As many steps as a scenario may hold are read and begun: what stops this one is its first
// step, which has no mask to delete.
TEST(Limits, AScenarioOfAsManyStepsAsTheLimitRuns) {
  const std::string path = WriteTemp(
      "steps_at_limit.json", R"({"steps": [)" + Steps(R"({"do": "delete_mask"})", 100000) + "]}");
  const auto r = RunHost("run " + path);
  ExpectOneClearLine(r, "step 1 (delete_mask)");
  EXPECT_EQ(r.out.find("the limit"), std::string::npos) << r.out;
}

// What a sheet holds at once is the sheet and the layer twice (its picture and the pattern it is
// made from), 4 bytes a pixel each: at a limit of exactly that it is made, a byte less is refused.
// No layer the render limit lets through comes near the default, so the test sets its own.
TEST(Limits, ASheetHoldsItselfAndTheLayerTwiceAtOnce) {
  orvane::host::Project p;
  p.layer.width = 100;
  p.layer.height = 50;
  orvane::host::SheetLayout layout;
  layout.size = {200, 80};
  orvane::host::Limits limits;
  limits.max_render_bytes = 4 * (200 * 80 + 2 * 100 * 50);
  EXPECT_NO_THROW(orvane::host::CheckSheetLimits(p, 1, layout, limits));
  limits.max_render_bytes -= 1;
  const std::string refused =
      Refusal([&] { orvane::host::CheckSheetLimits(p, 1, layout, limits); });
  EXPECT_NE(refused.find("the sheet would hold"), std::string::npos) << refused;
}

// A render holds the layer twice and the output, whose guard band adds two pixels on every side:
// at a limit of exactly that it runs, a byte less is refused, at full size and downsampled.
TEST(Limits, ARenderHoldsTheLayerTwiceAndTheOutputWithItsGuardBand) {
  orvane::host::Project p;
  p.layer.width = 100;
  p.layer.height = 50;
  struct Case {
    const char *step;
    double bytes;
  };
  const Case cases[] = {
      {R"({"do": "render"})", 2 * 100 * 50 * 4 + 104 * 54 * 4},
      {R"({"do": "render", "depth": 16, "downsample": [2, 1]})", 2 * 50 * 50 * 8 + 54 * 54 * 8},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.step);
    const orvane::host::Json step = orvane::host::Json::parse(c.step);
    orvane::host::Limits limits;
    limits.max_render_bytes = c.bytes;
    EXPECT_NO_THROW(orvane::host::CheckStepLimits(step, p, orvane::host::View(), limits));
    limits.max_render_bytes -= 1;
    const std::string refused =
        Refusal([&] { orvane::host::CheckStepLimits(step, p, orvane::host::View(), limits); });
    EXPECT_NE(refused.find("holds"), std::string::npos) << refused;
  }
}

TEST(Limits, ARenderWithinTheBufferLimitRunsWhenDownsampled) {
  // 16,000 x 16,000 at 32 bits is 3.8 GiB a buffer, three of them over the 8 GiB limit; a
  // sixteenth of it along both axes or a 64th along one is small.
  for (const char *downsample : {"[16, 16]", "[64, 1]", "[1, 64]"}) {
    SCOPED_TRACE(downsample);
    const std::string path = WriteTemp("downsampled.json", R"({
      "comp": {"width": 16000, "height": 16000},
      "steps": [{"do": "apply"}, {"do": "render", "depth": 32, "downsample": )" +
                                                               std::string(downsample) + "}]}");
    auto r = RunHost("run " + path + " -q");
    EXPECT_EQ(r.code, 0) << r.out;
  }
}

TEST(Limits, DeepNestingAndHugeFilesAreRefusedBeforeTheyAreRead) {
  const std::string deep = "{\n  \"steps\": " + std::string(70, '[') + std::string(70, ']') + "\n}";
  const std::string deep_path = WriteTemp("deep.json", deep);
  // The 65th level (the brace and 64 brackets): line 2, after the key, its colon and a blank.
  const std::size_t column = std::string("  \"steps\": ").size() + 64;
  ExpectOneClearLine(
      RunHost("run " + deep_path),
      "deep.json:2:" + std::to_string(column) + ": arrays and objects nest more than 64 deep");

  // Not JSON before the deep bracket, though just before it: the reader's words, at that byte.
  const std::string broken_path =
      WriteTemp("broken-deep.json", std::string(64, '[') + "x" + std::string(3, '['));
  ExpectOneClearLine(RunHost("run " + broken_path),
                     broken_path + ":1:65: invalid JSON: unexpected \"x\"");

  // Brackets inside a string are text, an escaped quote does not end it, an escaped backslash
  // does not escape the quote after it.
  const std::string quoted = WriteTemp(
      "quoted-brackets.json", R"({"steps": [], "note": "\")" + std::string(70, '[') + R"("})");
  ExpectOneClearLine(RunHost("run " + quoted), "unknown key \"note\"");
  const std::string closed = WriteTemp(
      "closed-string.json", R"({"steps": [], "note": "\\", "deep": )" + std::string(70, '[') + "}");
  ExpectOneClearLine(RunHost("run " + closed), "arrays and objects nest more than 64 deep");

  const std::string huge = ::testing::TempDir() + "huge.json";
  std::ofstream(huge) << "{}";
  std::filesystem::resize_file(huge, (64u << 20) + 1);  // sparse: nothing is written
  ExpectOneClearLine(RunHost("run " + huge), "scenarios are at most 64 MiB");
}

// A scenario handed over as text, as the playground's requests are, is held to the same size as
// a file: a byte past the limit is refused, in MiB as the limit is set.
TEST(Limits, AScenarioTextPastTheLimitIsRefusedAsAFileWouldBe) {
  orvane::host::Limits limits;
  limits.max_file_bytes = 2u << 20;
  const std::string text = "{" + std::string((2u << 20) - 1, ' ') + "}";
  EXPECT_EQ(Refusal([&] { orvane::host::ParseScenario(text, "the request", limits); }),
            "the request: the file is 2 MiB; scenarios are at most 2 MiB");
  const std::string at_limit = "{" + std::string((2u << 20) - 2, ' ') + "}";
  EXPECT_NO_THROW(orvane::host::ParseScenario(at_limit, "the request", limits));
  // Blanks of every kind are no scenario, and are named as nothing rather than as broken JSON.
  for (const char *blank : {"", " \t\r\n"}) {
    EXPECT_EQ(Refusal([&] { orvane::host::ParseScenario(blank, "the request", limits); }),
              "the request: the file is empty")
        << blank;
  }
}

TEST(ParseErrors, NameTheFileLineAndColumnInTheHostsWords) {
  struct Case {
    std::string name;
    std::string text;
    std::string at;  // "line:column"
    std::string why;
  };
  // Columns counted from the texts themselves, where the reader had to stop.
  const std::string huge_line = R"(  "comp": {"fps": 1e400},)";
  const Case cases[] = {
      {"number.json", "{\n" + huge_line + "\n  \"steps\": []\n}",
       "2:" + std::to_string(huge_line.find("1e400") + 1), "the number 1e400 is too large"},
      {"deepnumber.json", R"({"steps": [{"do": "render", "time": -2e999}]})",
       "1:" + std::to_string(std::string(R"({"steps": [{"do": "render", "time": )").size() + 1),
       "the number -2e999 is too large"},
      // A number that is the whole file starts at its first byte.
      {"alone.json", "1e400", "1:1", "the number 1e400 is too large"},
      {"open.json", "{\"steps\": [", "1:12", "the text ends before the JSON does"},
      {"letter.json", "{\n  \"steps\": [x]\n}", "2:13", "unexpected \"x\""},
      {"comma.json", "{\"steps\": [],}", "1:14", "unexpected \"}\""},
      {"tab.json", "{\"a\": \"x\ty\"}", "1:9", "unexpected control character 0x09"},
      {"unit.json", "{\"a\": \"x\x1fy\"}", "1:9", "unexpected control character 0x1F"},
      {"utf8.json", "{\"a\": \"\xC3(\"}", "1:9", "broken UTF-8"},
      // Past the lowest continuation byte, which the character needed one more of.
      {"utf8-continued.json", "{\"a\": \"\xE2\x80(\"}", "1:10", "broken UTF-8 (byte 0x28)"},
      {"delete.json", "{\"a\": \x7f}", "1:7", "unexpected byte 0x7F"},
      {"escape.json", "{\"a\": \"\\q\"}", "1:9", "a backslash that starts no valid escape"},
      {"escaped.json", "{\"a\": \"\\\\\"q}", "1:11", "unexpected \"q\""},
      {"trailing.json", "{}\n{}", "2:1", "unexpected \"{\""},
      // The reader goes on past every kind of value to the failure after them.
      {"values.json", R"({"a": [1, -1, 0.5, true, null, x]})",
       "1:" + std::to_string(std::string(R"({"a": [1, -1, 0.5, true, null, )").size() + 1),
       "unexpected \"x\""},
      // A blank is no control character, though it is where the reader stopped.
      {"blank.json", "{\"a\": tru }", "1:10", "unexpected \" \""},
      // Nothing comes before the first byte to look back at (long enough to be on the heap, where
      // a read before it is seen by the sanitizers).
      {"first.json", "x" + std::string(40, ' '), "1:1", "unexpected \"x\""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteTemp(c.name, c.text);
    ExpectOneClearLine(RunHost("run " + path), path + ":" + c.at + ": invalid JSON: " + c.why);
  }
}

TEST(ParseErrors, WrongTypesDeepInsideNameTheStep) {
  struct Case {
    std::string steps;
    std::string expected;
  };
  const Case cases[] = {
      {R"({"do": "mask", "vertices": [[0, 0], [1, "a"]]})", "step 1 (mask): vertex coordinates"},
      {R"({"do": "mask", "color": [255, 0, 0, 1e300]})",
       "step 1 (mask): \"color\" is [a, r, g, b]"},
      {R"({"do": "apply"}, {"do": "set", "param": "Center 1", "value": [1, [2]]})", "step 2 (set"},
      {R"({"do": "apply"}, {"do": "set", "param": "Number", "value": 1e300})", "step 2 (set"},
      {R"({"do": "apply"}, {"do": "drag", "points": [[0, 0], [1e300, 0]]})", "step 2 (drag)"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [1e300, 1]})", "step 2 (render)"},
      {R"({"do": "apply"}, {"param": "Number"})",
       "step 2: a step is an object with a \"do\" naming what to do"},
      {R"({"do": "apply"}, 5)", "step 2: a step is an object with a \"do\" naming what to do"},
  };
  int n = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.steps);
    const std::string path =
        WriteTemp("types" + std::to_string(n++) + ".json", "{\"steps\": [" + c.steps + "]}");
    ExpectOneClearLine(RunHost("run " + path), c.expected);
  }
}

TEST(Pictures, TheDefaultPictureIsTheReadmesAndACaptionOnlyAddsABand) {
  const std::string plain = ::testing::TempDir() + "plain",
                    captioned = ::testing::TempDir() + "cap";
  ASSERT_EQ(RunHost(std::string("run ") + ORVANE_EXAMPLES + "/demo.json -q --out " + plain).code,
            0);
  ASSERT_EQ(
      RunHost(std::string("run ") + ORVANE_EXAMPLES + "/demo.json -q --caption --out " + captioned)
          .code,
      0);
  // Compared as pixels: another libpng or zlib writes the same picture in other bytes.
  Picture readme(std::string(ORVANE_EXAMPLES) + "/../docs/overlay.png");
  Picture a(plain + "/overlay.png"), b(captioned + "/overlay.png");
  ASSERT_TRUE(readme.ok() && a.ok() && b.ok());
  ASSERT_EQ(readme.width(), a.width());
  ASSERT_EQ(readme.height(), a.height());
  EXPECT_TRUE(readme.Region(0, 0, a.width(), a.height()) == a.Region(0, 0, a.width(), a.height()))
      << "the default picture changed";
  // The demo's window: 1920 x 1080 at zoom 0.5.
  EXPECT_EQ(a.width(), 960);
  EXPECT_EQ(a.height(), 540);
  EXPECT_EQ(b.width(), 960);
  ASSERT_GT(b.height(), 540);
  EXPECT_TRUE(a.Region(0, 0, 960, 540) == b.Region(0, 0, 960, 540)) << "the window changed";
  EXPECT_GT(b.Bright(0, 540, 960, b.height()), 100) << "no caption text in the band";
}

// A 200 x 100 layer in its own window: the layer window's pictures, with and without masks.
std::string LayerWindowScenario(const std::string &view, const std::string &steps) {
  return R"({"comp": {"width": 200, "height": 100}, "layer": {"width": 200, "height": 100},
             "view": )" +
         view + R"(, "steps": [{"do": "apply"}, )" + steps + "]}";
}

TEST(Pictures, AClosedTwoVertexMaskShowsTheLayerInsideItAndDimsItOutside) {
  const std::string out = ::testing::TempDir() + "lens";
  // Two vertices whose tangents bow the two segments apart: a lens about (100, 50).
  const std::string path = WriteTemp("lens.json", LayerWindowScenario(R"({"zoom": 1})", R"(
        {"do": "png", "file": "plain.png", "window": "layer"},
        {"do": "mask", "closed": true,
         "vertices": [[50, 50, 0, 30, 0, -30], [150, 50, 0, -30, 0, 30]]},
        {"do": "png", "file": "lens.png", "window": "layer"})"));
  auto r = RunHost("run " + path + " -q --out " + out);
  ASSERT_EQ(r.code, 0) << r.out;
  Picture plain(out + "/plain.png"), lens(out + "/lens.png");
  ASSERT_TRUE(plain.ok() && lens.ok());
  EXPECT_EQ(lens.Region(95, 45, 105, 55), plain.Region(95, 45, 105, 55)) << "inside the lens";
  EXPECT_NE(lens.Region(5, 5, 15, 15), plain.Region(5, 5, 15, 15)) << "outside the lens";
}

// The same lens stood upright, bowed by tangents across: (100, 10) to (100, 90), the left arc
// through x = 77.5 and the right one through x = 122.5 at y = 50. A tangent of the wrong sign
// makes either arc an S, and the lens's sides leave the points beside its middle.
TEST(Pictures, TangentsAcrossBowAnUprightLensBothWays) {
  const std::string out = ::testing::TempDir() + "upright";
  const std::string path = WriteTemp("upright.json", LayerWindowScenario(R"({"zoom": 1})", R"(
        {"do": "png", "file": "plain.png", "window": "layer"},
        {"do": "mask", "closed": true,
         "vertices": [[100, 10, 30, 0, -30, 0], [100, 90, -30, 0, 30, 0]]},
        {"do": "png", "file": "lens.png", "window": "layer"})"));
  auto r = RunHost("run " + path + " -q --out " + out);
  ASSERT_EQ(r.code, 0) << r.out;
  Picture plain(out + "/plain.png"), lens(out + "/lens.png");
  ASSERT_TRUE(plain.ok() && lens.ok());
  EXPECT_EQ(lens.Region(83, 48, 88, 53), plain.Region(83, 48, 88, 53)) << "the left of the middle";
  EXPECT_EQ(lens.Region(112, 48, 117, 53), plain.Region(112, 48, 117, 53)) << "the right of it";
  EXPECT_NE(lens.Region(55, 45, 65, 55), plain.Region(55, 45, 65, 55)) << "left of the lens";
  EXPECT_NE(lens.Region(135, 45, 145, 55), plain.Region(135, 45, 145, 55)) << "right of it";
}

TEST(Pictures, TheViewOriginMovesTheWindowsPictureAcrossAndDown) {
  const std::string steps = R"({"do": "png", "file": "w.png", "window": "layer"})";
  const std::string still = ::testing::TempDir() + "still", moved = ::testing::TempDir() + "moved";
  ASSERT_EQ(RunHost("run " + WriteTemp("still.json", LayerWindowScenario(R"({"zoom": 1})", steps)) +
                    " -q --out " + still)
                .code,
            0);
  ASSERT_EQ(RunHost("run " +
                    WriteTemp("moved.json",
                              LayerWindowScenario(R"({"zoom": 1, "origin": [30, 10]})", steps)) +
                    " -q --out " + moved)
                .code,
            0);
  Picture a(still + "/w.png"), b(moved + "/w.png");
  ASSERT_TRUE(a.ok() && b.ok());
  ASSERT_EQ(b.width(), 230);
  ASSERT_EQ(b.height(), 110);
  // The layer 30 right and 10 down, the window's background above and left of it.
  EXPECT_EQ(b.Region(30, 10, 230, 110), a.Region(0, 0, 200, 100));
  int other = 0;
  for (int y = 0; y < 110; ++y) {
    for (int x = 0; x < 30; ++x) other += b.At(x, y) != b.At(0, 0);
  }
  EXPECT_EQ(other, 0) << "the strip left of the layer is not all background";
}

// A layer turned a quarter about its centre shows, at each point of the composition window, the
// layer's pixel a quarter turn back: a layer offset (dx, dy) lands at (-dy, dx). Compared at pixel
// centres well inside the layer, within two levels for the picture's resampling.
TEST(Pictures, ARotatedLayerIsDrawnTurnedAboutItsAnchor) {
  auto picture = [](const std::string &name, int degrees) {
    const std::string out = ::testing::TempDir() + name;
    const std::string path =
        WriteTemp(name + ".json", R"({"comp": {"width": 200, "height": 200}, "layer": {"width": 100,
             "height": 100, "rotation": )" +
                                      std::to_string(degrees) +
                                      R"(}, "view": {"zoom": 1}, "steps": [{"do": "apply"},
             {"do": "png", "file": "w.png", "window": "comp"}]})");
    EXPECT_EQ(RunHost("run " + path + " -q --out " + out).code, 0);
    return out + "/w.png";
  };
  Picture still(picture("unturned", 0)), turned(picture("turned", 90));
  ASSERT_TRUE(still.ok() && turned.ok());
  auto near = [](uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8) {
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
    }
    return true;
  };
  int differ = 0, checked = 0;
  for (int dy = -40; dy <= 40; dy += 8) {
    for (int dx = -40; dx <= 40; dx += 8) {
      ++checked;
      // The pixel centre (100 + dx + 0.5, 100 + dy + 0.5) turns to (99.5 - dy, 100.5 + dx).
      differ += !near(turned.At(99 - dy, 100 + dx), still.At(100 + dx, 100 + dy));
    }
  }
  EXPECT_EQ(differ, 0) << "of " << checked;
  // And the turn is visible: the pattern is not the same a quarter turn round.
  EXPECT_NE(turned.Region(60, 60, 140, 140), still.Region(60, 60, 140, 140));
}

// The layer's pattern as renders are handed it at a frame: a gradient with a checker of squares
// 64 wide, darker where ((x + frame) / 64 + y / 64) is even, one pixel further left each frame.
uint32_t PatternAt(int x, int y, int frame, int width, int height) {
  const double shade = (((x + frame) / 64) + (y / 64)) % 2 == 0 ? 0.75 : 1.0;
  auto byte = [](double unit) { return uint32_t(unit * 255.0 + 0.5); };
  return 0xFFu << 24 | byte(shade * (0.15 + 0.8 * x / (width - 1))) << 16 |
         byte(shade * (0.25 + 0.6 * y / (height - 1))) << 8 | byte(shade * 0.55);
}

TEST(Pictures, APictureShowsTheLayerAtItsOwnTime) {
  const std::string out = ::testing::TempDir() + "times";
  // Frame 64 at 30 fps, where each square has moved half its width.
  const std::string path = WriteTemp("times.json", LayerWindowScenario(R"({"zoom": 1})", R"(
        {"do": "png", "file": "f0.png", "window": "layer", "time": 0},
        {"do": "png", "file": "f64.png", "window": "layer", "time": 2.1333333333333333})"));
  auto r = RunHost("run " + path + " -q --out " + out);
  ASSERT_EQ(r.code, 0) << r.out;
  Picture f0(out + "/f0.png"), f64(out + "/f64.png");
  ASSERT_TRUE(f0.ok() && f64.ok());
  for (int x : {10, 40, 70, 100, 130}) {
    EXPECT_EQ(f0.At(x, 10), PatternAt(x, 10, 0, 200, 100)) << x;
    EXPECT_EQ(f64.At(x, 10), PatternAt(x, 10, 64, 200, 100)) << x;
  }
}

TEST(Pictures, EverySheetCellIsLabelledWithItsFrame) {
  const std::string out = ::testing::TempDir() + "sheet";
  ASSERT_EQ(RunHost(std::string("run ") + ORVANE_EXAMPLES + "/demo.json -q --out " + out).code, 0);
  Picture sheet(out + "/bake.png");
  ASSERT_TRUE(sheet.ok());
  // 2 s at 30 fps every 10 frames: 6 cells of 480 x 270 in 3 columns, 4 pixels apart, each over
  // a label band of 18.
  const int cell_w = 480, cell_h = 1080 * 480 / 1920, gap = 4, band = 18;
  EXPECT_EQ(sheet.width(), 3 * (cell_w + gap) + gap);
  EXPECT_EQ(sheet.height(), 2 * (cell_h + band + gap) + gap);
  std::string labels[6];
  for (int i = 0; i < 6; ++i) {
    const int x = gap + (i % 3) * (cell_w + gap),
              y = gap + (i / 3) * (cell_h + band + gap) + cell_h;
    EXPECT_GT(sheet.Bright(x, y, x + cell_w, y + band), 40) << "cell " << i << " has no label";
    // The label stays in its band: nothing of it in the gap below, above the next row or the
    // sheet's edge.
    EXPECT_EQ(sheet.Bright(x, y + band, x + cell_w, y + band + gap), 0) << "cell " << i;
    labels[i] = sheet.Region(x, y, x + 120, y + band);
  }
  for (int i = 1; i < 6; ++i) EXPECT_NE(labels[i], labels[0]) << "cell " << i;
}

// Where a layer smaller than its composition leaves a cell uncovered, the cell shows its own
// dark grey (0.2, 0.2, 0.22 of full), not black: a layer's black edge stays visible against it.
TEST(Pictures, ASheetCellIsGreyWhereTheLayerDoesNotCoverIt) {
  const std::string out = ::testing::TempDir() + "sheet-grey";
  const std::string path = WriteTemp("sheet-grey.json", R"({"comp": {"width": 64, "height": 36,
      "duration": 1}, "layer": {"width": 32, "height": 18}, "steps": [{"do": "apply"},
      {"do": "sheet", "file": "s.png", "every": 30, "cell_width": 64}]})");
  ASSERT_EQ(RunHost("run " + path + " -q --out " + out).code, 0);
  Picture sheet(out + "/s.png");
  ASSERT_TRUE(sheet.ok());
  // The layer, centred, covers (16, 9) to (48, 27) of the cell, which starts 4 pixels in.
  const uint32_t grey = 0xFFu << 24 | 51u << 16 | 51u << 8 | 56u;
  EXPECT_EQ(sheet.At(4 + 2, 4 + 2), grey);
  EXPECT_EQ(sheet.At(4 + 60, 4 + 32), grey);
  EXPECT_NE(sheet.At(4 + 32, 4 + 18), grey);
}

}  // namespace
