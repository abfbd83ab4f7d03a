// Scenarios a user mistypes or that describe a project the application cannot hold: each is
// refused with one line before anything is sent to the module, rather than run with a default in
// place of the misspelt value or with times the composition does not have.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "HostFixture.h"
#include "HostProcess.h"
#include "model/Errors.h"
#include "scenario/ScenarioRunner.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;
namespace host = orvane::host;

struct Case {
  const char *scenario;
  const char *expected;  // part of the one line
};

template <std::size_t N>
void ExpectRefused(const Case (&cases)[N], const std::string &stem) {
  int n = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.scenario);
    const std::string path = WriteTemp(stem + std::to_string(n++) + ".json", c.scenario);
    auto r = RunHost("run " + path + " --quiet");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
  }
}

TEST(ScenarioKeys, AMisspeltKeyIsNamedWithTheKeyItWasMeantToBe) {
  const Case cases[] = {
      {R"({"comp": {"widht": 640}})", R"(unknown key "widht" in "comp"; did you mean "width"?)"},
      {R"({"comp": {"fsp": 25}})", R"(unknown key "fsp" in "comp"; did you mean "fps"?)"},
      {R"({"layr": {"width": 100}})", R"(unknown key "layr"; did you mean "layer"?)"},
      {R"({"layer": {"dept": 8}})", R"(unknown key "dept" in "layer")"},
      {R"({"comp": {"work_area": {"strat": 1}}})",
       R"(unknown key "strat" in "comp.work_area"; did you mean "start"?)"},
      {R"({"view": {"zom": 2}})", R"(unknown key "zom" in "view"; did you mean "zoom"?)"},
      {R"({"host": {"ap": "AE"}})", R"(unknown key "ap" in "host"; did you mean "app"?)"},
      {R"({"layer": {"rotation": [{"time": 0, "valeu": 5}]}})", R"(unknown key "valeu")"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Number", "vlaue": 3}]})",
       R"(step 2 (set): unknown key "vlaue"; did you mean "value"?)"},
      {R"({"steps": [{"do": "apply"}, {"do": "render", "tim": 1}]})",
       R"(step 2 (render): unknown key "tim"; did you mean "time"?)"},
      // Its letters hold "do" in order too, but there are eight more of them than "do" has.
      {R"({"steps": [{"do": "apply"}, {"do": "render", "downsampel": [2, 2]}]})",
       R"(step 2 (render): unknown key "downsampel"; did you mean "downsample"?)"},
      {R"({"steps": [{"do": "apply", "param": "Number"}]})", R"(step 1 (apply): unknown key)"},
  };
  ExpectRefused(cases, "keys");
}

TEST(ScenarioKeys, TimesAndWorkAreasOutsideTheCompositionAreRefused) {
  // The default composition runs 10 s.
  const Case cases[] = {
      {R"({"comp": {"work_area": {"start": -5, "duration": 2}}})",
       "it must lie inside the composition, 0 to 10 s"},
      {R"({"comp": {"work_area": {"start": 100, "duration": 2}}})",
       "it must lie inside the composition"},
      {R"({"comp": {"work_area": {"start": 8, "duration": 3}}})",
       "it must lie inside the composition"},
      {R"({"comp": {"work_area": {"start": 2, "duration": -1}}})", "and last more than 0 s"},
      {R"({"comp": {"duration": -3}})", "comp duration must be a positive number"},
      {R"({"steps": [{"do": "apply"}, {"do": "render", "time": 1000000}]})",
       "step 2 (render): \"time\" is 1e+06 s; the composition runs from 0 to 10 s"},
      {R"({"steps": [{"do": "apply"}, {"do": "draw", "time": -0.5}]})",
       "step 2 (draw): \"time\" is -0.5 s"},
      {R"({"steps": [{"do": "apply"}, {"do": "key", "param": "Angle 1", "value": 2, "time": 11}]})",
       "step 2 (key): \"time\" is 11 s"},
      {R"({"layer": {"rotation": [{"time": 20, "value": 5}]}})",
       "a keyframe's time is 20 s; the composition runs from 0 to 10 s"},
  };
  ExpectRefused(cases, "times");
}

TEST(ScenarioKeys, TheCompositionsFirstAndLastInstantAreTimesItHas) {
  const std::string path = WriteTemp("edges.json", R"({
      "comp": {"duration": 4, "work_area": {"start": 1, "duration": 3}},
      "steps": [{"do": "apply"}, {"do": "key", "param": "Angle 1", "value": 2, "time": 0},
                {"do": "key", "param": "Angle 1", "value": 3, "time": 4},
                {"do": "render", "time": 4}]})");
  auto r = RunHost("run " + path + " --quiet");
  EXPECT_EQ(r.code, 0) << r.out;
}

// The same refusals, and the scenarios one step or number inside them that are taken, played in
// this process: every step's own check, the "host", "layer", "comp" and "view" set-up, and the
// values a step gives a parameter.
class ScenarioRefusals : public orvane::test::HostTest {
 protected:
  // The message a scenario is refused with, or "ran".
  std::string Outcome(const std::string &text) {
    try {
      host::Session session(module());
      host::ScenarioRunner runner(session, host::Json::parse(text));
      runner.SetWritesFiles(true);
      runner.SetOutputDir(::testing::TempDir());
      runner.Run();
      runner.Finish();
    } catch (const host::BadInput &e) {
      return e.what();
    }
    return "ran";
  }
  void Expect(std::initializer_list<std::pair<const char *, const char *>> cases) {
    for (const auto &[scenario, expected] : cases) {
      const std::string outcome = Outcome(scenario);
      if (std::string(expected) == "ran") {
        EXPECT_EQ(outcome, "ran") << scenario;
      } else {
        EXPECT_NE(outcome.find(expected), std::string::npos) << scenario << "\n  " << outcome;
      }
    }
  }
};

TEST_F(ScenarioRefusals, EachStepSaysWhatItNeeds) {
  Expect({
      {R"({"steps": [{"do": "render"}]})",
       R"(step 1 (render): the effect is not applied yet: add {"do": "apply"} first)"},
      {R"({"steps": [{"do": "draw"}]})",
       R"(step 1 (draw): the effect is not applied yet: add {"do": "apply"} first)"},
      {R"({"steps": [{"do": "apply"}, {"do": "png"}]})",
       R"(step 2 (png): "png" needs a "file" name)"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Mask 1", "value": 1}]})",
       R"("Mask 1" takes no expression)"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Center 1",
           "value": [1, -2e6]}]})",
       R"(an expression on "Center 1" must be a number of at most a million in size)"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Angle 1", "value": 1e6}]})",
       "ran"},
      {R"({"steps": [{"do": "apply"}, {"do": "apply"}]})",
       "step 2 (apply): the effect is already applied"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Number"}]})",
       R"(step 2 (set): "set" needs a "value")"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "value": 1}]})",
       R"("param" must name a parameter, e.g. "Center 1")"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Centre 1", "value": [1, 2]}]})",
       R"(unknown parameter "Centre 1"; did you mean "Center 1")"},
      {R"({"steps": [{"do": "apply"}, {"do": "key", "param": "Angle 1", "time": 1}]})",
       R"("key" needs a "value")"},
      {R"({"steps": [{"do": "apply"}, {"do": "key", "param": "Angle 1", "value": 1}]})",
       R"("key" needs a "time" in seconds)"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Angle 1"}]})",
       R"("expression" needs a "value": the offset it adds, or null for none)"},
      {R"({"steps": [{"do": "mask"}, {"do": "expression", "mask": 1, "value": [1, 2]}]})",
       R"("mask" must be a mask index from 0 to 0)"},
      {R"({"steps": [{"do": "mask"}, {"do": "expression", "mask": -1, "value": [1, 2]}]})",
       R"("mask" must be a mask index from 0 to 0)"},
      {R"({"steps": [{"do": "mask"}, {"do": "expression", "mask": 0, "value": [1, 2]}]})", "ran"},
      {R"({"steps": [{"do": "mask", "closed": "yes"}]})", R"("closed" is true or false)"},
      {R"({"steps": [{"do": "mask", "vertices": "square"}]})",
       R"("vertices" is an array of [x, y] points)"},
      {R"({"steps": [{"do": "mask", "vertices": [[1, 2, 3]]}]})",
       "a vertex is [x, y] or [x, y, in_x, in_y, out_x, out_y]"},
      {R"({"steps": [{"do": "mask", "vertices": [[0, 0], [1, 0, 1, 1, 1, "1"]]}]})",
       "vertex coordinates must be numbers"},
      {R"({"steps": [{"do": "mask", "color": [255, 0, 256, 0]}]})",
       R"("color" is [a, r, g, b] of bytes 0 to 255)"},
      {R"({"steps": [{"do": "mask", "color": [255, 0, 255, 0], "closed": true,
           "vertices": [[0, 0], [1, 0, 1, 1, 1, 1]]}]})",
       "ran"},
      {R"({"steps": [{"do": "mask"}, {"do": "delete_mask", "index": 1}]})",
       R"("index" must be a mask index from 0 to 0)"},
      {R"({"steps": [{"do": "mask"}, {"do": "delete_mask", "index": -1}]})",
       R"("index" must be a mask index from 0 to 0)"},
      {R"({"steps": [{"do": "mask"}, {"do": "delete_mask", "index": 0}]})", "ran"},
      {R"({"steps": [{"do": "apply"}, {"do": "click"}]})",
       R"("click" needs a "point" [x, y] in window pixels)"},
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1]]}]})",
       R"("drag" needs "points": at least two window points [x, y])"},
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1], [2, 2]]}]})", "ran"},
      // Each number of a point is one, and at most a million pixels from the window's corner.
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1], ["2", 2]]}]})",
       R"(each of "points" is a window point [x, y] in pixels)"},
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1], [2, "2"]]}]})",
       R"(each of "points" is a window point [x, y] in pixels)"},
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1], [1000001, 2]]}]})",
       R"(each of "points" is a window point [x, y] in pixels)"},
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1], [2, -1000001]]}]})",
       R"(each of "points" is a window point [x, y] in pixels)"},
      {R"({"steps": [{"do": "apply"}, {"do": "drag", "points": [[1, 1], [1e6, -1e6]]}]})", "ran"},
      {R"({"steps": [{"do": "apply"}, {"do": "draw", "window": "top"}]})",
       R"("window" is "comp" or "layer")"},
      {R"({"steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png", "every": 0.5}]})",
       R"("every" is at least 1, "columns" 1 to 64 and "cell_width" 16 to 4096)"},
      {R"({"steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png", "columns": 65}]})",
       R"("columns" 1 to 64)"},
      {R"({"steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png", "cell_width": 15}]})",
       R"("cell_width" 16 to 4096)"},
      {R"({"steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png", "cell_width": 4097}]})",
       R"("cell_width" 16 to 4096)"},
      // Each at the end of its range is taken.
      {R"({"comp": {"duration": 0.2}, "steps": [{"do": "apply"}, {"do": "sheet",
           "file": "s.png", "every": 1, "columns": 64, "cell_width": 16}]})",
       "ran"},
      {R"({"comp": {"duration": 0.2}, "steps": [{"do": "apply"}, {"do": "sheet",
           "file": "s.png", "every": 1e9}]})",
       "ran"},
      {R"({"steps": [{"do": "apply"}, {"do": "sheet", "file": "s.png", "every": 1.5e9}]})",
       R"("every" is at least 1)"},
  });
}

TEST_F(ScenarioRefusals, TheSetUpSaysWhatItTakes) {
  Expect({
      {R"({"host": 5})", R"("host" must be an object)"},
      // A time scale or a frame rate of a billion is the most a composition may have.
      {R"({"comp": {"time_scale": 1000000000, "duration": 2}})", "ran"},
      {R"({"comp": {"fps": 1000000000, "duration": 0.000001}})", "ran"},
      // Too slow for a broadcast rate's kin, and a frame of a thousand ticks is too few for it.
      {R"({"comp": {"fps": 0.0001}})",
       "comp fps 0.0001 is no whole number of ticks a frame at any time scale up to 1,000 ticks"},
      {R"({"host": {"app": "FCP"}})",
       R"(host: "app" is "AE" (After Effects) or "PrMr" (Premiere Pro))"},
      {R"({"host": {"app": "PrMr", "refusal": "null"}})", "ran"},
      {R"({"host": {"refusal": "error"}, "steps": [{"do": "apply"}]})", "ran"},
      {R"({"comp": null})", R"("comp" must be an object, not null)"},
      {R"({"layer": true})", R"("layer" must be an object, not a boolean)"},
      {R"({"host": {"refusal": "maybe"}})", R"(host: "refusal" is "error" (an error, no table))"},
      {R"({"host": {"withhold": "all"}})", R"(host: "withhold" is a list of suites)"},
      {R"({"host": {"withhold": [5]}})", R"(host: each of "withhold" is a suite name)"},
      {R"({"host": {"withhold": ["No Such Suite"]}})",
       R"(host: "withhold" names no suite this host publishes: "No Such Suite" (it publishes )"
       R"("AEGP Comp Suite", "AEGP Dynamic Stream Suite", "AEGP Effect Suite", )"},
      {R"({"host": {"withhold": ["AEGP Stream Suite", {"name": "DRAWBOT Draw Suite", "version": 1},
           "AEGP Layer*"]}})",
       "ran"},
      {R"({"layer": {"position": [2e6, 0]}})",
       "layer position, anchor, scale and rotation are at most 1,000,000 in size"},
      {R"({"layer": {"position": [0, 2e6]}})", "layer position, anchor, scale"},
      {R"({"layer": {"anchor": [-2e6, 0]}})", "layer position, anchor, scale"},
      {R"({"layer": {"anchor": [0, -2e6]}})", "layer position, anchor, scale"},
      {R"({"layer": {"scale": [2e6, 100]}})", "layer position, anchor, scale"},
      {R"({"layer": {"scale": [100, 2e6]}})", "layer position, anchor, scale"},
      {R"({"layer": {"rotation": 2e6}})", "layer position, anchor, scale"},
      {R"({"layer": {"stretch": 0.5}})", R"(layer: "stretch" is a percentage from 1 to 100000)"},
      {R"({"layer": {"stretch": 100001}})", R"(layer: "stretch" is a percentage)"},
      {R"({"layer": {"stretch": 1}})", "ran"},
      {R"({"layer": {"stretch": 100000}})", "ran"},
      {R"({"layer": {"anchor": [{"time": 0}]}})",
       R"(layer: "anchor": each keyframe is {"time": seconds, "value": ...})"},
      {R"({"layer": {"scale": [{"time": 0, "value": 100}]}})",
       R"(layer: "scale": a keyframe's value is [x, y])"},
      {R"({"layer": {"scale": [{"time": 0, "value": [100, "100"]}]}})",
       R"(layer: "scale": a keyframe's value is [x, y])"},
      {R"({"comp": {"work_area": 5}})", R"(comp: "work_area" must be an object)"},
      // A work area starts inside the composition, lasts, and may end where the composition does.
      {R"({"comp": {"duration": 3, "work_area": {"start": 3}}})",
       "comp work_area runs from 3 s for 0 s; it must lie inside the composition, 0 to 3 s"},
      {R"({"comp": {"duration": 3, "work_area": {"start": 1, "duration": 0}}})",
       "and last more than 0 s"},
      {R"({"comp": {"duration": 3, "work_area": {"start": 1, "duration": 2}}})", "ran"},
      {R"({"comp": {"duration": 3, "work_area": {"start": 0, "duration": 3}}})", "ran"},
      {R"({"host": {"withhold": [{"name": "DRAWBOT Draw Suite", "version": 99}]}})",
       R"(names no suite this host publishes: "DRAWBOT Draw Suite" 99 (it publishes )"},
      // A work area given its start alone runs to the composition's end.
      {R"({"comp": {"duration": 3, "work_area": {"start": 1}}})", "ran"},
      {R"({"view": {"zoom": 0}})", "view zoom must be above 0 and at most 64"},
      {R"({"view": {"zoom": 64.5}})", "view zoom must be above 0 and at most 64"},
      {R"({"view": {"zoom": 64}})", "ran"},
      {R"({"view": {"origin": [0, -100001]}})", "view origin is out of range"},
      {R"({"view": {"origin": [-100000, 100000]}})", "ran"},
  });
}

TEST_F(ScenarioRefusals, EachValueIsOfItsParametersKind) {
  Expect({
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Mask Color 1",
           "value": [255, 0, 0, 256]}]})",
       R"("Mask Color 1" takes a colour [a, r, g, b] of bytes 0 to 255)"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Mask Color 1",
           "value": [255, 0, 0, 255]}]})",
       "ran"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Create Mask", "value": 1}]})",
       R"("Create Mask" has no value to set; use {"do": "press"})"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Mask 1", "value": 0}]})",
       "takes a mask index from 0 to -1, or null for none (the layer has no masks)"},
      {R"({"steps": [{"do": "apply"}, {"do": "mask"}, {"do": "set", "param": "Mask 1", "value": 1}]})",
       "takes a mask index from 0 to 0, or null for none"},
      {R"({"steps": [{"do": "apply"}, {"do": "mask"}, {"do": "set", "param": "Mask 1", "value": 0}]})",
       "ran"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Center 1", "value": [1]}]})",
       R"(an expression on "Center 1" adds a point [dx, dy])"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Center 1",
           "value": [1, "2"]}]})",
       R"(an expression on "Center 1" adds a point [dx, dy])"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Mask Color 1",
           "value": [0, 0, 0, 256]}]})",
       R"(an expression on "Mask Color 1" adds a colour [a, r, g, b] in bytes (-255 to 255))"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Mask Color 1",
           "value": [0, 0]}]})",
       R"(adds a colour [a, r, g, b] in bytes (-255 to 255))"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Mask Color 1",
           "value": [-255, 0, 0, 255]}]})",
       "ran"},
  });
}

}  // namespace
