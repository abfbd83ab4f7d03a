// What the host keeps of the calls a module makes: nothing per call unless asked, every call with
// its arguments in a trace file when asked, and a project dump written as it is produced that
// reads exactly as the one built whole.
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "HostFixture.h"
#include "HostProcess.h"
#include "report/Dump.h"
#include "scenario/ScenarioFile.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::test {
namespace {

TEST(Trace, ARunWithoutATraceKeepsNoCallsInMemory) {
  host::Module module(ORVANE_MODULE_PATH);
  host::Session s(module);
  ASSERT_EQ(s.Apply(), PF_Err_NONE);
  PF_UserChangedParamExtra extra{2};
  s.Send(PF_Cmd_UPDATE_PARAMS_UI, &extra);
  EXPECT_GT(s.trace().calls(), 300u);
  EXPECT_TRUE(s.trace().entries().empty());
}

// The trace file names the undo group the module opens for "Create Mask", identifies each
// handle the same way from the call that uses it to the one that gives it back, and shows every
// suite given back that was taken.
TEST(Trace, TheTraceFileCarriesEachCallsArguments) {
  const std::string scenario = WriteTemp("trace.json", R"({"steps": [
      {"do": "apply"}, {"do": "press", "param": "Create Mask"}]})");
  const std::string file = ::testing::TempDir() + "trace.jsonl";
  auto r = RunHost("run " + scenario + " --trace " + file);
  ASSERT_EQ(r.code, 0) << r.out;
  std::ifstream in(file);
  std::vector<nlohmann::json> calls;
  std::string text;
  for (std::string line; std::getline(in, line);) {
    calls.push_back(nlohmann::json::parse(line));
    text += line + "\n";
  }
  ASSERT_GT(calls.size(), 100u);
  // People search a trace as text: names are written as they are, spaces and all.
  EXPECT_NE(text.find("\"Create Masks\""), std::string::npos);
  EXPECT_NE(text.find("\"AEGP Layer Mask Suite\""), std::string::npos);

  std::vector<std::string> undo_groups;
  std::set<std::string> masks_used;
  std::map<std::string, int> suites;  // acquired less released, in the press step
  long last_call = 0;
  for (const auto &call : calls) {
    if (call.contains("call")) {
      EXPECT_EQ(call["call"].get<long>(), last_call + 1) << call.dump();
      last_call = call["call"];
    }
    if (call.value("step", 0) != 2) continue;
    const std::string fn = call["fn"];
    if (fn == "AEGP_StartUndoGroup") {
      undo_groups.push_back(call["args"][0]);
      EXPECT_EQ(call["result"], 0);
    }
    if (fn == "AEGP_GetMaskID" || fn == "AEGP_SetMaskColor" || fn == "AEGP_GetNewMaskStream") {
      const auto &mask = fn == "AEGP_GetNewMaskStream" ? call["args"][1] : call["args"][0];
      masks_used.insert(mask.get<std::string>());
    }
    if (fn == "AEGP_DisposeMask") {
      const std::string mask = call["args"][0];
      EXPECT_EQ(mask.rfind("mask reference #", 0), 0u) << mask;
      EXPECT_EQ(masks_used.count(mask), 1u) << mask << " given back but never used";
    }
    if (fn == "AcquireSuite") ++suites[call["args"].dump()];
    if (fn == "ReleaseSuite") --suites[call["args"].dump()];
  }
  // The press, then the render that follows it with "On" set.
  EXPECT_EQ(undo_groups, (std::vector<std::string>{"Create Masks", "Move Masks"}));
  EXPECT_FALSE(masks_used.empty());
  EXPECT_FALSE(suites.empty());
  for (const auto &[suite, balance] : suites) EXPECT_EQ(balance, 0) << suite;
  EXPECT_NE(r.out.find("wrote: " + file), std::string::npos) << r.out;
}

// A mask's colour is traced as the module gives it: alpha, red, green and blue.
TEST(Trace, AMasksColourIsTracedAlphaFirst) {
  const std::string scenario = WriteTemp("trace-colour.json", R"({"steps": [
      {"do": "apply"}, {"do": "press", "param": "Create Mask"},
      {"do": "set", "param": "Mask Color 1", "value": [255, 255, 51, 0]}]})");
  const std::string file = ::testing::TempDir() + "trace-colour.jsonl";
  auto r = RunHost("run " + scenario + " -q --trace " + file);
  ASSERT_EQ(r.code, 0) << r.out;
  std::ifstream in(file);
  int set = 0;
  for (std::string line; std::getline(in, line);) {
    const nlohmann::json call = nlohmann::json::parse(line);
    if (call["fn"] != "AEGP_SetMaskColor") continue;
    ++set;
    const nlohmann::json &colour = call["args"][1];
    ASSERT_EQ(colour.size(), 4u) << line;
    EXPECT_EQ(colour[0], 1.0);
    EXPECT_EQ(colour[1], 1.0);
    EXPECT_NEAR(colour[2].get<double>(), 51 / 255.0, 1e-6);
    EXPECT_EQ(colour[3], 0.0);
  }
  EXPECT_EQ(set, 1);
}

// A drawing's context is shown as the window it belongs to, each window's as its own, with the
// points it maps; and the layer is checked out a frame's ticks at a time: 100 a second at 25
// frames is 4. The rectangle's outline is traced as the module draws it: one move to its first
// corner, a curve to each of the four corners after it (the last back to the first), one
// stroke, and a square for each of its four handles.
TEST(Trace, EachDrawingContextIsNamedForItsWindow) {
  const std::string scenario = WriteTemp("trace-windows.json", R"({
      "comp": {"fps": 25, "time_scale": 100}, "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
      {"do": "draw", "window": "comp"}, {"do": "draw", "window": "layer"}]})");
  const std::string file = ::testing::TempDir() + "trace-windows.jsonl";
  auto r = RunHost("run " + scenario + " -q --trace " + file);
  ASSERT_EQ(r.code, 0) << r.out;
  std::ifstream in(file);
  std::map<int, std::set<std::string>> named;  // by step
  std::set<std::vector<double>> corners;       // the points the comp window maps, as traced
  std::map<std::string, int> drawn;            // calls of the comp window's draw
  int checkouts = 0;
  for (std::string line; std::getline(in, line);) {
    const auto call = nlohmann::json::parse(line);
    if (call.value("step", 0) == 3) ++drawn[call["fn"].get<std::string>()];
    // Each window maps its points to the frame on the context it draws in.
    if (call.value("fn", "") == "PF_GetDrawingReference" ||
        call.value("fn", "") == "source_to_frame")
      named[call["step"].get<int>()].insert(call["fn"].get<std::string>() + " in " +
                                            call["args"][0].get<std::string>());
    if (call.value("fn", "") == "layer_to_comp" && call["step"] == 3)
      corners.insert(call["args"][3].get<std::vector<double>>());
    if (call.value("fn", "") == "checkout_layer") {
      ++checkouts;
      EXPECT_EQ(call["args"][5], 4) << call.dump();
      EXPECT_EQ(call["args"][6], 100) << call.dump();
    }
  }
  EXPECT_GT(checkouts, 0);
  EXPECT_EQ(
      named,
      (std::map<int, std::set<std::string>>{
          {3, {"PF_GetDrawingReference in comp window", "source_to_frame in comp window"}},
          {4, {"PF_GetDrawingReference in layer window", "source_to_frame in layer window"}}}));
  // The mask Create made on the 1920 x 1080 layer, a third of it each way around its centre, as
  // the comp window's points are mapped from layer to composition.
  EXPECT_EQ(corners,
            (std::set<std::vector<double>>{{640, 360}, {1280, 360}, {1280, 720}, {640, 720}}));
  EXPECT_EQ(drawn["MoveTo"], 1);
  EXPECT_EQ(drawn["BezierTo"], 4);
  EXPECT_EQ(drawn["StrokePath"], 1);
  EXPECT_EQ(drawn["PaintRect"], 4);
}

// A drag renders at the resolution the window is shown at, as the application's "Auto" does (a
// half from 50 %, a third from 33 %), and its release at full resolution: the layer the module
// checks out for each render is that size. The render of a draw is at full resolution too.
TEST(Trace, ADragRendersAtTheWindowsResolutionAndItsReleaseAtFull) {
  struct Case {
    double zoom;
    int factor;
  };
  for (const Case c : {Case{0.5, 2}, Case{0.3, 3}, Case{1, 1}}) {
    SCOPED_TRACE(c.zoom);
    // From the first corner of the mask Create makes, (640, 360) in the composition.
    const double x = 640 * c.zoom, y = 360 * c.zoom;
    nlohmann::json scenario = {{"view", {{"zoom", c.zoom}}},
                               {"steps",
                                {{{"do", "apply"}},
                                 {{"do", "press"}, {"param", "Create Mask"}},
                                 {{"do", "drag"},
                                  {"window", "comp"},
                                  {"points", {{x, y}, {x + 10, y + 10}, {x + 20, y + 20}}}}}}};
    const std::string path = WriteTemp("trace-zoom.json", scenario.dump());
    const std::string file = ::testing::TempDir() + "trace-zoom.jsonl";
    auto r = RunHost("run " + path + " -q --trace " + file);
    ASSERT_EQ(r.code, 0) << r.out;
    std::ifstream in(file);
    std::vector<nlohmann::json> rects;
    for (std::string line; std::getline(in, line);) {
      const auto call = nlohmann::json::parse(line);
      if (call.value("fn", "") == "checkout_layer" && call["step"] == 3)
        rects.push_back(call["args"][2]);
    }
    EXPECT_EQ(rects, (std::vector<nlohmann::json>{{0, 0, 1920 / c.factor, 1080 / c.factor},
                                                  {0, 0, 1920, 1080}}));
  }
}

// Every host function the module calls is in the trace: a bake of two rectangles over ten frames
// reads and writes each of the four corners of each mask at each frame and adds a key for each.
TEST(Trace, ABakeTracesEveryCornerItWritesAndEveryKeyItAdds) {
  const std::string scenario = WriteTemp("bake_trace.json", R"({
      "comp": {"width": 640, "height": 360, "fps": 10, "duration": 1},
      "layer": {"width": 640, "height": 360},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
                {"do": "press", "param": "Create Mask"}, {"do": "press", "param": "Bake Masks"}]})");
  const std::string file = ::testing::TempDir() + "bake_trace.jsonl";
  auto r = RunHost("run " + scenario + " --json --trace " + file, false);
  ASSERT_EQ(r.code, 0) << r.out;
  std::map<std::string, int> in_bake;
  long calls = 0;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    const auto call = nlohmann::json::parse(line);
    calls += call.contains("call");
    if (call.value("step", 0) == 4) ++in_bake[call["fn"].get<std::string>()];
  }
  EXPECT_EQ(in_bake["AEGP_AddKeyframes"], 2 * 10);
  EXPECT_EQ(in_bake["AEGP_SetAddKeyframe"], 2 * 10);
  EXPECT_EQ(in_bake["AEGP_SetMaskOutlineVertexInfo"], 2 * 10 * 4);
  EXPECT_GE(in_bake["AEGP_GetMaskOutlineVertexInfo"], 2 * 10 * 4);
  EXPECT_EQ(in_bake["PF_InfoDrawText"], 10 + 1);  // its progress at each frame, then "Completed"
  // Each mask's outline is looked at before its keys: only closed four-vertex ones are baked.
  EXPECT_GE(in_bake["AEGP_IsMaskOutlineOpen"], 2);
  EXPECT_GE(in_bake["AEGP_GetMaskOutlineNumSegments"], 2);
  // The keys go in through batches, each started one ended, at least one a mask.
  EXPECT_EQ(in_bake["AEGP_StartAddKeyframes"], in_bake["AEGP_EndAddKeyframes"]);
  EXPECT_GE(in_bake["AEGP_StartAddKeyframes"], 2);
  // The dump counts the same calls.
  EXPECT_EQ(nlohmann::json::parse(r.out)["host"]["host_calls"], calls);
}

TEST(Trace, TheDumpWrittenAsItIsMadeIsTheDumpBuiltWhole) {
  host::Module module(ORVANE_MODULE_PATH);
  for (const char *name : {"/bake.json", "/overlay.json", "/masks.json"}) {
    SCOPED_TRACE(name);
    host::Session s(module);
    const std::string path = std::string(ORVANE_SCENARIOS) + name;
    host::ScenarioRunner runner(s, host::ParseScenario(host::ReadScenarioFile(path), path));
    runner.SetOutputDir(::testing::TempDir());
    runner.Run();
    runner.Finish();
    std::ostringstream streamed;
    host::WriteProject(streamed, s, runner.steps());
    const std::string whole = host::DumpProject(s, runner.steps()).dump(2) + "\n";
    EXPECT_EQ(streamed.str(), whole);
    EXPECT_GT(whole.size(), 1000u);
  }
}

TEST(Trace, TheDumpWrittenAsItIsMadeIsTheDumpBuiltWholeForEveryKindOfKey) {
  // Keys no scenario makes, for every branch of the streaming writer: tangents, an empty outline,
  // numbers that are not finite, negative and fractional times, expressions on a mask and on a
  // parameter, a keyed parameter, and lines in the Info panel.
  host::Module module(ORVANE_MODULE_PATH);
  host::Session s(module);
  ASSERT_EQ(s.Apply(), PF_Err_NONE);
  host::Project &p = s.project();
  p.layer.start = 2;
  host::Outline curved;
  curved.vertices = {{0, 0, 1.5, -2, 3, 4}, {10, 0, 0, 0, 0, 0}, {10, 10, 0, 0, -1e-7, 0}};
  curved.open = false;
  host::Outline odd;
  odd.vertices = {{-0.0, 1e300, 0, 0, 0, 0},
                  {std::numeric_limits<double>::infinity(), 0.1, 0, 0, 0,
                   std::numeric_limits<double>::quiet_NaN()}};
  host::Mask a = p.layer.NewMask();
  a.outline.SetKey(-1.5, A_Time{-45, 30}, curved);
  a.outline.SetKey(0, A_Time{60, 30}, host::Outline());
  a.outline.SetKey(1.0 / 3, A_Time{70, 30}, odd);
  a.expression = host::OutlineExpression{true, {{2, -3, 0, 0, 0, 0}}};
  p.layer.masks.push_back(a);
  host::Mask b = p.layer.NewMask();  // no keys, no vertices
  p.layer.masks.push_back(b);
  const int angle = p.effect.FindParam("Angle 1");
  ASSERT_GT(angle, 0);
  host::StreamValue turn;
  turn.v[0] = 45;
  p.effect.params[std::size_t(angle)].stream.SetKey(0.5, A_Time{75, 30}, turn);
  p.effect.params[std::size_t(angle)].expression = turn;
  p.info.Show("Processing... 50.00%", "Completed");

  std::ostringstream streamed;
  host::WriteProject(streamed, s, {});
  const std::string whole = host::DumpProject(s, {}).dump(2) + "\n";
  EXPECT_EQ(streamed.str(), whole);
  for (const char *part :
       {"1.5", "1e+300", "-1e-07", "\"vertices\": []", "\"tick\": -45", "Completed"})
    EXPECT_NE(whole.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace orvane::test
