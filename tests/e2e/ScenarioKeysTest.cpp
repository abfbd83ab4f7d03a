// Scenarios a user mistypes or that describe a project the application cannot hold: each is
// refused with one line before anything is sent to the module, rather than run with a default in
// place of the misspelt value or with times the composition does not have.
#include <gtest/gtest.h>

#include <string>

#include "HostProcess.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;

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

}  // namespace
