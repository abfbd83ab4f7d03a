// orvane-host as a user runs it: exit codes, messages and the JSON dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "HostProcess.h"
#include "Picture.h"

namespace {

using orvane::test::RunHost;

std::string WriteScenario(const std::string &name, const std::string &text) {
  return orvane::test::WriteTemp(name, text);
}

TEST(Cli, ApplyDumpsEveryNamedParameterWithItsDefault) {
  std::string path = WriteScenario("apply.json", R"({"steps": [{"do": "apply"}]})");
  auto r = RunHost("run " + path + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  auto dump = nlohmann::json::parse(r.out);
  ASSERT_EQ(dump["steps"].size(), 1u);
  EXPECT_EQ(dump["steps"][0]["do"], "apply");
  EXPECT_EQ(dump["steps"][0]["commands"][0], (nlohmann::json{{"cmd", 1}, {"err", 0}}));
  const auto &params = dump["params"];
  EXPECT_EQ(params.size(), 306u);  // 308 parameters less the two unnamed group ends
  EXPECT_EQ(params["Mask Color 1"]["value"], (nlohmann::json{255, 255, 255, 255}));
  EXPECT_EQ(params["Center 50"]["value"], (nlohmann::json{960.0, 540.0}));
  EXPECT_EQ(params["Width 7"]["value"], 640.0);
  EXPECT_EQ(params["Height 7"]["value"], 360.0);
  EXPECT_EQ(params["Angle 3"]["value"], 0.0);
  EXPECT_EQ(params["Mask 12"]["value"], 0);
  EXPECT_EQ(params["Number"]["value"], 0);
  EXPECT_EQ(params["On"]["value"], true);
  EXPECT_TRUE(params["Create Mask"]["value"].is_null());
  EXPECT_TRUE(params["Width 7"]["keyframes"].empty());
  EXPECT_TRUE(dump["host"]["problems"].empty());
  // The suites the module asked for, each given back as often as taken; none it never asked for
  // (the host provides the drawing suites, which only events use).
  const auto &suites = dump["host"]["suites"];
  ASSERT_FALSE(suites.empty());
  for (const auto &suite : suites) {
    EXPECT_GT(suite["acquired"].get<int>(), 0) << suite.dump();
    EXPECT_EQ(suite["acquired"], suite["released"]) << suite.dump();
    EXPECT_NE(suite["name"].get<std::string>().rfind("DRAWBOT", 0), 0u) << suite.dump();
  }
}

TEST(Cli, BadInputExitsWithTwoAndNamesTheProblem) {
  struct Case {
    std::string scenario;
    std::string expected;
  };
  const Case cases[] = {
      {"{\"steps\": [", "invalid JSON"},
      {"{\"steps\": [{\"do\": \"jump\"}]}", "step 1: unknown step \"jump\""},
      {"[1, 2]", "a scenario is a JSON object"},
      {"", "empty"},
      {"{\"comp\": {\"fps\": \"fast\"}}", "\"fps\" must be a number"},
  };
  int n = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.scenario);
    std::string path = WriteScenario("bad" + std::to_string(n++) + ".json", c.scenario);
    auto r = RunHost("run " + path);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
  }
  auto missing = RunHost("run /nonexistent/scenario.json");
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.out.find("no such file"), std::string::npos) << missing.out;
}

// A mask parameter set by the mask's index holds that mask's path id: of two hand-made masks,
// the second.
TEST(Cli, AMaskParameterSetByIndexHoldsThatMasksId) {
  const std::string path = WriteScenario("mask-by-index.json", R"({"steps": [{"do": "apply"},
      {"do": "mask"}, {"do": "mask"}, {"do": "set", "param": "Mask 1", "value": 1}]})");
  auto r = RunHost("run " + path + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  const auto dump = nlohmann::json::parse(r.out);
  ASSERT_EQ(dump["masks"].size(), 2u);
  ASSERT_NE(dump["masks"][0]["id"], dump["masks"][1]["id"]);
  EXPECT_EQ(dump["params"]["Mask 1"]["value"], dump["masks"][1]["id"]);
}

TEST(Cli, MaskSessionDumpsMasksUndoAndVisibility) {
  auto r = RunHost(std::string("run ") + ORVANE_SCENARIOS + "/masks.json --json");
  ASSERT_EQ(r.code, 0) << r.out;
  auto dump = nlohmann::json::parse(r.out);
  ASSERT_EQ(dump["masks"].size(), 2u);
  const auto &second = dump["masks"][1];
  EXPECT_EQ(second["closed"], true);
  EXPECT_EQ(second["id"], dump["params"]["Mask 2"]["value"]);
  // At t = 1 the angle is halfway to 90: the 200 x 100 rectangle about (400, 300) turned by 45.
  const auto &v = second["vertices"];
  ASSERT_EQ(v.size(), 4u);
  EXPECT_NEAR((v[0][0].get<double>() + v[2][0].get<double>()) / 2, 400, 1e-6);
  EXPECT_NEAR((v[0][1].get<double>() + v[2][1].get<double>()) / 2, 300, 1e-6);
  EXPECT_NEAR(v[1][0].get<double>() - v[0][0].get<double>(), 200 * std::cos(M_PI / 4), 1e-6);
  EXPECT_EQ(dump["masks"][0]["color"], (nlohmann::json{1.0, 0.0, 0.0, 1.0}));
  EXPECT_EQ(dump["params"]["Angle 2"]["keyframes"].size(), 2u);
  EXPECT_EQ(dump["params"]["Center 2"]["hidden"], false);
  EXPECT_EQ(dump["params"]["Center 3"]["hidden"], true);
  EXPECT_EQ(dump["params"]["Number"]["value"], 2);
  EXPECT_EQ(dump["undo"][0], "Create Masks");
  EXPECT_NE(std::find(dump["undo"].begin(), dump["undo"].end(), "Move Masks"), dump["undo"].end());
  EXPECT_TRUE(dump["host"]["problems"].empty());
}

TEST(Cli, ARenderIsAtTheDepthItsStepNames) {
  for (int depth : {8, 16, 32, 17}) {
    SCOPED_TRACE(depth);
    const std::string path = WriteScenario(
        "depth.json", R"({"comp": {"width": 64, "height": 36}, "steps": [{"do": "apply"},
          {"do": "render", "depth": )" +
                          std::to_string(depth) + "}]}");
    auto r = RunHost("run " + path);
    if (depth == 17) {
      EXPECT_EQ(r.code, 2) << r.out;
      EXPECT_NE(r.out.find("\"depth\" is 8, 16 or 32 bits per channel"), std::string::npos)
          << r.out;
    } else {
      EXPECT_EQ(r.code, 0) << r.out;
      EXPECT_NE(r.out.find("rendered at " + std::to_string(depth) + " bits"), std::string::npos)
          << r.out;
    }
  }
}

// A contact sheet shows the composition as it is: the window's zoom and scroll do not move it.
TEST(Cli, AContactSheetIsTheSameWhateverTheWindowShows) {
  std::string sheets[2];
  for (int zoomed = 0; zoomed < 2; ++zoomed) {
    const std::string dir = ::testing::TempDir() + "sheet" + std::to_string(zoomed);
    const std::string path = WriteScenario(
        "sheet.json", std::string(R"({"comp": {"width": 64, "height": 36, "duration": 2},)") +
                          (zoomed ? R"("view": {"zoom": 2, "origin": [20, 10]},)" : "") +
                          R"("steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
                              {"do": "sheet", "file": "s.png", "every": 30}]})");
    auto r = RunHost("run " + path + " -q --out " + dir);
    ASSERT_EQ(r.code, 0) << r.out;
    std::ifstream in(dir + "/s.png", std::ios::binary);
    sheets[zoomed].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_GT(sheets[0].size(), 100u);
  EXPECT_TRUE(sheets[0] == sheets[1]) << "the zoomed window's sheet differs";
}

// A sheet's step that says nothing else shows every 10th frame in 6 columns of cells 320 wide:
// of the 61 frames of 6.1 s at 10 fps, 7 cells in 2 rows. Each cell is as high as the 64 x 36
// composition is at that width (180), with its label (18) and a gap of 4 all round.
TEST(Cli, ASheetIsEveryTenthFrameInSixColumns320WideUnlessTheStepSaysOtherwise) {
  const std::string dir = ::testing::TempDir() + "sheet-defaults";
  const std::string path = WriteScenario(
      "sheet-defaults.json", R"({"comp": {"width": 64, "height": 36, "fps": 10, "duration": 6.1},
          "steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png"}]})");
  auto r = RunHost("run " + path + " -q --out " + dir);
  ASSERT_EQ(r.code, 0) << r.out;
  const orvane::test::Picture sheet(dir + "/s.png");
  ASSERT_TRUE(sheet.ok());
  EXPECT_EQ(sheet.width(), 6 * (320 + 4) + 4);
  EXPECT_EQ(sheet.height(), 2 * (180 + 18 + 4) + 4);
}

TEST(Cli, StepsThatCannotBeCarriedOutNameTheStep) {
  struct Case {
    std::string steps;
    std::string expected;
  };
  const Case cases[] = {
      {R"({"do": "press", "param": "Bake Masks"})", "not applied yet"},
      {R"({"do": "apply"}, {"do": "set", "param": "Centre 1", "value": [1, 2]})",
       "did you mean \"Center 1\""},
      {R"({"do": "apply"}, {"do": "set", "param": "Number", "value": 51})", "must be from 0 to 50"},
      {R"({"do": "apply"}, {"do": "set", "param": "Width 1", "value": -1})",
       "must be from 0 to 50000"},
      {R"({"do": "apply"}, {"do": "key", "param": "Number", "time": 1, "value": 2})",
       "cannot be animated"},
      {R"({"do": "apply"}, {"do": "set", "param": "Mask 1", "value": 0})",
       "the layer has no masks"},
      {R"({"do": "apply"}, {"do": "press", "param": "Number"})", "is not a button"},
      {R"({"do": "delete_mask", "index": 0})", "mask index"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [0, 1]})", "whole divisors from 1 to 64"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [1, 0]})", "whole divisors from 1 to 64"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [1.5, 2]})",
       "whole divisors from 1 to 64"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [2, 1.5]})",
       "whole divisors from 1 to 64"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [65, 1]})",
       "whole divisors from 1 to 64"},
      {R"({"do": "apply"}, {"do": "render", "downsample": [1, 65]})",
       "whole divisors from 1 to 64"},
  };
  int n = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.steps);
    std::string path =
        WriteScenario("step" + std::to_string(n++) + ".json", "{\"steps\": [" + c.steps + "]}");
    auto r = RunHost("run " + path);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("step "), std::string::npos) << r.out;
  }
}

// The help states the limits as docs/scenarios.md publishes them, each one a user may rely on.
TEST(Cli, TheHelpStatesThePublishedLimits) {
  auto r = RunHost("run --help");
  ASSERT_EQ(r.code, 0) << r.out;
  for (const char *limit :
       {"30,000 x 30,000 pixels, 1,000,000 frames", "a render: 8.0 GiB at once",
        "a run: 931.3 GiB of pixels",  // 10^12 bytes
        "16,384 pixels a side; a sheet 400 frames and 40,000,000,000 layer pixels",
        "a scenario: 64 MiB, 100,000 steps, nested 64 deep",
        "a project file: 100,000 masks, 1,000,000 keyframes a mask or parameter, 60,000,000 "
        "keyframes and 250,000,000 keyframe vertices in all",
        "a drag: 10,000 points; a mask: 10,000 vertices", "rotation within 1,000,000"}) {
    EXPECT_NE(r.out.find(limit), std::string::npos) << limit << "\n" << r.out;
  }
}

// A mask's colour is its four bytes, each in its place: [a, r, g, b] of 255 as fractions.
TEST(Cli, AMasksColourIsEachOfItsFourBytes) {
  std::string path = WriteScenario("colour.json", R"({"steps": [
      {"do": "mask", "color": [255, 51, 102, 204]}]})");
  auto r = RunHost("run " + path + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  const auto colour = nlohmann::json::parse(r.out)["masks"][0]["color"];
  ASSERT_EQ(colour.size(), 4u);
  const double expected[4] = {1.0, 0.2, 0.4, 0.8};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(colour[i].get<double>(), expected[i], 1e-12) << i;
}

// The ends of a range are values a user may set, a number's and a whole number's alike.
TEST(Cli, TheEndsOfARangeAreSet) {
  std::string path = WriteScenario("ends.json", R"({"steps": [{"do": "apply"},
      {"do": "set", "param": "Width 1", "value": 50000},
      {"do": "set", "param": "Height 1", "value": 0},
      {"do": "set", "param": "Number", "value": 50}]})");
  auto r = RunHost("run " + path + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  const auto params = nlohmann::json::parse(r.out)["params"];
  EXPECT_EQ(params["Width 1"]["value"], 50000.0);
  EXPECT_EQ(params["Height 1"]["value"], 0.0);
  EXPECT_EQ(params["Number"]["value"], 50);
}

TEST(Cli, AnApplyTheModuleFailsEndsTheRunWithItsError) {
  // Without the AEGP suites the module cannot register at global setup: every later step
  // would only say that the effect is not applied.
  const std::string path = WriteScenario("apply-fails.json", R"({"host": {"withhold": ["AEGP*"]},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"}]})");
  auto r = RunHost("run " + path + " --out " + ::testing::TempDir() + "apply-fails");
  EXPECT_EQ(r.code, 1) << r.out;
  EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
  EXPECT_EQ(
      r.out.rfind("orvane-host: step 1 (apply): the module's GLOBAL_SETUP returned error 516", 0),
      0u)
      << r.out;
  EXPECT_NE(r.out.find("so the effect is not applied"), std::string::npos) << r.out;
}

TEST(Cli, AClickAtAnotherTimeMeetsTheMasksOfThatFrame) {
  // Slot 1 is 100 x 50 about a centre keyed from (100, 100) at 0 s to (300, 100) at 1 s; the
  // last render was at 0 s. At 1 s its corner is at (300 - 50, 100 - 25) in the window (the
  // layer fills a 640 x 360 window at zoom 1), where at 0 s there is no mask at all.
  const std::string path = WriteScenario("click-time.json", R"({
      "comp": {"width": 640, "height": 360, "duration": 2},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
                {"do": "set", "param": "Width 1", "value": 100},
                {"do": "set", "param": "Height 1", "value": 50},
                {"do": "key", "param": "Center 1", "time": 0, "value": [100, 100]},
                {"do": "key", "param": "Center 1", "time": 1, "value": [300, 100]},
                {"do": "click", "point": [250, 75], "time": 1},
                {"do": "click", "point": [250, 75], "time": 1}]})");
  auto r = RunHost("run " + path);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("  7  click\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("changed: rendered the frame at 1 s first; handle grabbed"),
            std::string::npos)
      << r.out;
  // The second click is at the time of the last render: nothing to render first.
  const std::size_t eighth = r.out.find("  8  click\n");
  ASSERT_NE(eighth, std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("rendered the frame", eighth), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("handle grabbed", eighth), std::string::npos) << r.out;
}

TEST(Cli, OverlaySessionDragsDrawsAndWritesAPicture) {
  const std::string out = ::testing::TempDir() + "overlay_out";
  auto r = RunHost(std::string("run ") + ORVANE_SCENARIOS + "/overlay.json --json --out " + out);
  ASSERT_EQ(r.code, 0) << r.out;
  auto dump = nlohmann::json::parse(r.out);
  // The bottom-right corner went from (420, 230) to (440, 240): 240 x 120 about the centre.
  EXPECT_EQ(dump["params"]["Width 1"]["value"], 240.0);
  EXPECT_EQ(dump["params"]["Height 1"]["value"], 120.0);
  ASSERT_EQ(dump["draw"].size(), 5u);
  EXPECT_EQ(dump["draw"][0]["op"], "stroke");
  EXPECT_EQ(dump["draw"][0]["size"], 5.0);
  EXPECT_EQ(dump["draw"][0]["path"][0], (nlohmann::json{200.0, 120.0}));
  EXPECT_EQ(dump["draw"][1]["op"], "rect");
  EXPECT_EQ(dump["draw"][1]["rect"], (nlohmann::json{196.0, 116.0, 8.0, 8.0}));
  std::ifstream png(out + "/overlay.png", std::ios::binary);
  char magic[8] = {};
  png.read(magic, 8);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  EXPECT_TRUE(std::ifstream(out + "/project.json").good());
}

TEST(Cli, NewMasksTakeTheEightPaletteColoursInTurnHoweverTheyAreMade) {
  // Nine masks by hand, then nine through the module's Create Mask: one colour sequence.
  std::string steps = R"({"do": "apply"})";
  for (int i = 0; i < 9; ++i) steps += R"(, {"do": "mask"})";
  for (int i = 0; i < 9; ++i) steps += R"(, {"do": "press", "param": "Create Mask"})";
  std::string path = WriteScenario("palette.json", "{\"steps\": [" + steps + "]}");
  auto r = RunHost("run " + path + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  const auto masks = nlohmann::json::parse(r.out)["masks"];
  ASSERT_EQ(masks.size(), 18u);
  for (std::size_t i = 8; i < 18; ++i) EXPECT_EQ(masks[i]["color"], masks[i % 8]["color"]) << i;
  // Goldens people record hold the colours new masks take, so the palette is kept as it is.
  const nlohmann::json palette = {{1.0, 0.957, 0.788, 0.176}, {1.0, 0.263, 0.631, 0.965},
                                  {1.0, 0.925, 0.349, 0.404}, {1.0, 0.420, 0.839, 0.392},
                                  {1.0, 0.733, 0.424, 0.925}, {1.0, 0.992, 0.604, 0.255},
                                  {1.0, 0.353, 0.863, 0.847}, {1.0, 0.965, 0.494, 0.769}};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(masks[i]["color"], palette[i]) << i;
}

// A suite named in "withhold" is the one refused to the module, and every other it asks for is
// handed over (its Create then fails, exit code 1).
TEST(Cli, AWithheldSuiteIsTheOneTheModuleIsRefused) {
  std::string path =
      WriteScenario("withhold.json", R"({"host": {"withhold": ["AEGP Layer Mask Suite"]},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"}]})");
  auto r = RunHost("run " + path + " --json");
  EXPECT_EQ(r.code, 1);
  const auto suites = nlohmann::json::parse(r.out, nullptr, false)["host"]["suites"];
  ASSERT_GT(suites.size(), 1u) << r.out;
  std::set<std::string> refused;
  for (const auto &suite : suites) {
    if (suite["refused"].get<bool>()) refused.insert(suite["name"].get<std::string>());
  }
  EXPECT_EQ(refused, std::set<std::string>{"AEGP Layer Mask Suite"});
}

TEST(Cli, ValidatePassesTheModulesTwelveProperties) {
  auto r = RunHost(
      std::string("validate ") + ORVANE_MODULE_PATH + " --json --reproduce property_list", false);
  ASSERT_EQ(r.code, 0) << r.out;
  const auto check = nlohmann::json::parse(r.out)["checks"][0];
  EXPECT_EQ(check["id"], "property_list");
  EXPECT_EQ(check["outcome"], "passed") << check.dump(2);
  EXPECT_EQ(check["figures"]["properties"], 12);
}

TEST(Cli, InfoShowsThePropertyListAndAbout) {
  auto r = RunHost(std::string("info ") + ORVANE_MODULE_PATH + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  auto info = nlohmann::json::parse(r.out);
  EXPECT_EQ(info["name"], "OrvaneTavolin");
  EXPECT_EQ(info["category"], "OrvaneUtility");
  EXPECT_EQ(info["version"], 0x80601);
  EXPECT_EQ(info["out_flags"], 0x6008000);
  EXPECT_EQ(info["out_flags2"], 0x1400);
  EXPECT_EQ(info["about"].get<std::string>().rfind("OrvaneTavolin, v1.00\r", 0), 0u);
  EXPECT_TRUE(info["property_list_problems"].empty());
}

TEST(Cli, InfoInTextPutsEachFieldOnALineAndTheAboutTextOnLinesOfItsOwn) {
  auto json = RunHost(std::string("info ") + ORVANE_MODULE_PATH + " --json");
  ASSERT_EQ(json.code, 0) << json.out;
  std::string about = nlohmann::json::parse(json.out)["about"].get<std::string>();
  ASSERT_NE(about.find('\r'), std::string::npos);  // the module breaks its lines with CR
  std::replace(about.begin(), about.end(), '\r', '\n');

  auto r = RunHost(std::string("info ") + ORVANE_MODULE_PATH);
  ASSERT_EQ(r.code, 0) << r.out;
  // 0x80601: version 1, subversion 0, bug 0, stage 3 (release), build 1.
  const std::string expected = std::string("module:   ") + ORVANE_MODULE_PATH +
                               "\n"
                               "name:     OrvaneTavolin\n"
                               "category: OrvaneUtility\n"
                               "version:  1.0.0 release build 1\n"
                               "flags:    0x6008000, 0x1400\n"
                               "about:    " +
                               about + "\n";
  EXPECT_EQ(r.out, expected);
}

TEST(Cli, ValidateOnAModuleThatCannotBeLoadedSaysWhatInfoSays) {
  const std::string text = orvane::test::WriteTemp("not-a-module.so", "plain text\n");
  for (const std::string &module : {std::string("/nonexistent/module.so"), text}) {
    SCOPED_TRACE(module);
    auto info = RunHost("info " + module);
    auto validate = RunHost("validate " + module);
    EXPECT_EQ(info.code, 2);
    EXPECT_EQ(validate.code, 2);
    EXPECT_EQ(validate.out.find('\n'), validate.out.size() - 1) << validate.out;
    EXPECT_EQ(validate.out, info.out);
  }
}

}  // namespace
