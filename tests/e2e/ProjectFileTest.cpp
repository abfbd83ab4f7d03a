// Saving and reopening: a module that keeps the project's state in statics between commands is
// shown up by a session that saves, and carries on in a new run from the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <nlohmann/json.hpp>

#include "HostProcess.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;

std::string Module(const char *fixture) {
  return fixture ? std::string(ORVANE_FIXTURES_DIR) + "/fixture_" + fixture + ".so"
                 : std::string(ORVANE_MODULE_PATH);
}

nlohmann::json Dump(const std::string &out) {
  std::ifstream in(out + "/project.json");
  return nlohmann::json::parse(in, nullptr, false);
}

// Create, then a colour change for the new slot: played whole, and split by a save after the
// Create. Returns the mask's colour each way.
std::pair<nlohmann::json, nlohmann::json> WholeAndSplit(const char *fixture,
                                                        const std::string &name) {
  const std::string colour = R"({"do": "set", "param": "Mask Color 1", "value": [255, 0, 0, 255]})";
  const std::string dir = ::testing::TempDir() + name;
  const std::string head = WriteTemp(name + "-head.json", R"({"comp": {"width": 64, "height": 36},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
                {"do": "save", "file": "saved.json"}, )" + colour +
                                                              "]}");
  const std::string tail = WriteTemp(name + "-tail.json", R"({"steps": [)" + colour + "]}");
  auto whole = RunHost("run " + head + " -q --module " + Module(fixture) + " --out " + dir + "/1");
  EXPECT_EQ(whole.code, 0) << whole.out;
  auto split = RunHost("run " + tail + " -q --module " + Module(fixture) + " --project " + dir +
                       "/1/saved.json --out " + dir + "/2");
  EXPECT_EQ(split.code, 0) << split.out;
  return {Dump(dir + "/1")["masks"][0]["color"], Dump(dir + "/2")["masks"][0]["color"]};
}

TEST(ProjectFile, ReopenedTheModuleCarriesOnAndAStaticCacheIsShownUp) {
  // Opaque blue, [a, r, g, b] as fractions: what the colour change gives the mask.
  const nlohmann::json blue = {1.0, 0.0, 0.0, 1.0};
  auto [whole, split] = WholeAndSplit(nullptr, "real");
  EXPECT_EQ(whole, blue);
  EXPECT_EQ(split, blue);
  // In one session the cache holds the slot, so the fault does not show...
  auto [cached_whole, cached_split] = WholeAndSplit("caches_slots_in_a_static", "cached");
  EXPECT_EQ(cached_whole, blue);
  // ...but a fresh module after reopening has an empty one, and leaves the mask as it was.
  EXPECT_NE(cached_split, blue);
}

// A bake's keys, one a frame, are each saved and read back as they were: 0.2 s at 30 frames a
// second is six of them.
TEST(ProjectFile, EveryKeyOfABakeIsSavedAndReopened) {
  const std::string dir = ::testing::TempDir() + "baked";
  const std::string bake =
      WriteTemp("baked-steps.json", R"({"comp": {"width": 64, "height": 36, "duration": 0.2},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
                {"do": "press", "param": "Bake Masks"}, {"do": "save", "file": "saved.json"}]})");
  const std::string none = WriteTemp("baked-none.json", R"({"steps": []})");
  auto made = RunHost("run " + bake + " -q --out " + dir + "/1");
  ASSERT_EQ(made.code, 0) << made.out;
  auto reopened =
      RunHost("run " + none + " -q --project " + dir + "/1/saved.json --out " + dir + "/2");
  ASSERT_EQ(reopened.code, 0) << reopened.out;
  const nlohmann::json keys = Dump(dir + "/1")["masks"][0]["keyframes"];
  EXPECT_EQ(keys.size(), 6u);
  EXPECT_EQ(Dump(dir + "/2")["masks"][0]["keyframes"], keys);
}

// A parameter's keys and expression are saved as the user made them, each key at its time in the
// composition and in the layer (which starts 1 s in) and on the composition's ticks (30 a
// second), and read back as they were.
TEST(ProjectFile, KeysAndExpressionsOfParametersAndMasksAreSavedAndReopened) {
  const std::string dir = ::testing::TempDir() + "keyed";
  const std::string keyed = WriteTemp("keyed-steps.json", R"({"layer": {"start": 1}, "steps": [
      {"do": "apply"}, {"do": "key", "param": "Angle 1", "value": 10, "time": 2},
      {"do": "key", "param": "Angle 1", "value": 20, "time": 3},
      {"do": "expression", "param": "Angle 1", "value": 5},
      {"do": "expression", "param": "Center 1", "value": [1.5, -2]},
      {"do": "expression", "param": "Mask Color 1", "value": [5, 10, -20, 30]},
      {"do": "mask"}, {"do": "expression", "mask": 0, "value": [3, -4]},
      {"do": "save", "file": "saved.json"}]})");
  auto made = RunHost("run " + keyed + " -q --out " + dir + "/1");
  ASSERT_EQ(made.code, 0) << made.out;
  std::ifstream in(dir + "/1/saved.json");
  const nlohmann::json saved = nlohmann::json::parse(in, nullptr, false);
  ASSERT_TRUE(saved.is_object());
  const nlohmann::json &angle = saved["params"]["Angle 1"];
  nlohmann::json expected = nlohmann::json::array();
  for (double t : {2.0, 3.0}) {
    const double v = t == 2 ? 10 : 20;
    expected.push_back({{"time", t},
                        {"value", v},
                        {"layer_time", t - 1},
                        {"tick", int(t * 30)},
                        {"scale", 30},
                        {"raw", {v, 0.0, 0.0, 0.0}}});
  }
  EXPECT_EQ(angle["keyframes"], expected);
  EXPECT_EQ(angle["expression"], 5.0);
  EXPECT_EQ(angle["raw_expression"], nlohmann::json({5.0, 0.0, 0.0, 0.0}));
  EXPECT_EQ(saved["params"]["Center 1"]["expression"], nlohmann::json({1.5, -2.0}));
  const nlohmann::json &colour = saved["params"]["Mask Color 1"]["expression"];  // in bytes
  ASSERT_EQ(colour.size(), 4u);
  const double bytes[] = {5, 10, -20, 30};
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(colour[c].get<double>(), bytes[c], 1e-9) << c;
  EXPECT_FALSE(saved["params"]["Width 1"].contains("expression"));
  EXPECT_EQ(saved["masks"][0]["expression"], nlohmann::json({3.0, -4.0}));

  const std::string again = WriteTemp("keyed-again.json", R"({"steps": [
      {"do": "save", "file": "again.json"}]})");
  auto reopened =
      RunHost("run " + again + " -q --project " + dir + "/1/saved.json --out " + dir + "/2");
  ASSERT_EQ(reopened.code, 0) << reopened.out;
  std::ifstream back_in(dir + "/2/again.json");
  const nlohmann::json back = nlohmann::json::parse(back_in, nullptr, false);
  ASSERT_TRUE(back.is_object());
  EXPECT_EQ(back["params"], saved["params"]);
  EXPECT_EQ(back["masks"], saved["masks"]);
}

TEST(ProjectFile, AFileThatIsNoProjectIsOneLineAndExitCode2) {
  const std::string steps = WriteTemp("steps.json", R"({"steps": []})");
  // An empty project of version 1 with this composition and these parameters.
  const auto saved = [](const std::string &comp, const std::string &params) {
    return R"({"orvane_project": 1, "comp": )" + comp + R"(, "layer": {}, "time": 0, "params": )" +
           params + R"(, "masks": [], "next_mask": {"id": 1, "palette": 0}})";
  };
  struct Case {
    std::string text;
    const char *says;
  };
  const Case cases[] = {
      {R"({"params": {}})", "not a saved project"},
      {R"({"orvane_project": 2})", "version 2 is not one this host reads"},
      {saved(R"({"width": -4})", "{}"), "comp width"},
      {saved(R"({"width": 100000})", "{}"), "comp width is 100,000 pixels; the limit is 30,000"},
      {saved("{}", R"({"Nope": {}})"), "parameter \"Nope\" is not a parameter of this effect"},
  };
  for (const Case &c : cases) {
    const std::string file = WriteTemp("bad-project.json", c.text);
    auto r = RunHost("run " + steps + " -q --project " + file);
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
  }
  // A project brings its own composition and layer; a scenario that also gives one is refused.
  const std::string project = WriteTemp("good-project.json", saved("{}", "{}"));
  for (const char *part : {"comp", "layer"}) {
    const std::string own =
        WriteTemp("own-comp.json", std::string(R"({")") + part + R"(": {}, "steps": []})");
    auto r = RunHost("run " + own + " -q --project " + project);
    EXPECT_EQ(r.code, 2) << part;
    EXPECT_EQ(r.out, "orvane-host: " + own +
                         ": with --project the composition and layer are the project's: leave "
                         "out \"comp\" and \"layer\"\n")
        << part;
  }
  EXPECT_EQ(RunHost("run " + steps + " -q --project " + project).code, 0);
}

TEST(Golden, ItPassesOnItsOwnGoldenAndNamesThePathOfAValueThatDiffers) {
  const std::string dir = ::testing::TempDir() + "golden";
  const std::string scenario = WriteTemp("golden-s.json", R"({"comp": {"width": 64, "height": 36},
      "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
                {"do": "set", "param": "Width 1", "value": 20}]})");
  const std::string golden = dir + "-golden.json";
  std::remove(golden.c_str());
  EXPECT_EQ(RunHost("run " + scenario + " -q --expect " + golden).code, 2);  // none to read yet
  auto r = RunHost("run " + scenario + " -q --expect " + golden + " --bless");
  ASSERT_EQ(r.code, 0) << r.out;
  r = RunHost("run " + scenario + " -q --expect " + golden);
  EXPECT_EQ(r.code, 0) << r.out;
  // One value changed by a millionth: beyond the default tolerance, within a looser one.
  std::ifstream in(golden);
  nlohmann::json g = nlohmann::json::parse(in);
  in.close();
  // The rectangle 20 wide about the layer's centre (32, 18) starts at x 22.
  ASSERT_EQ(g["masks"][0]["vertices"][0][0], 22.0);
  g["masks"][0]["vertices"][0][0] = 22.000022;
  const std::string changed = WriteTemp("golden-changed.json", g.dump());
  r = RunHost("run " + scenario + " -q --expect " + changed);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("in 1 place:\n  $.masks[0].vertices[0][0]: golden 22.000022, run 22.0"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(RunHost("run " + scenario + " -q --expect " + changed + " --tolerance 1e-5").code, 0);
  // --bless writes the golden and nothing the run reads.
  r = RunHost("run " + scenario + " -q --expect " + scenario + " --bless");
  EXPECT_EQ(r.code, 2) << r.out;
  std::ifstream again(scenario);
  EXPECT_TRUE(nlohmann::json::parse(again).contains("steps"));
}

TEST(Golden, TheToleranceIsAFiniteNumberFromZeroToOne) {
  const std::string scenario = WriteTemp("golden-t.json", R"({"steps": []})");
  const std::string golden = WriteTemp("golden-t-golden.json", R"({"params": {}, "masks": []})");
  for (const char *t : {"nan", "inf", "-0.5", "2", "x"}) {
    auto r = RunHost("run " + scenario + " -q --expect " + golden + " --tolerance " + t);
    EXPECT_EQ(r.code, 2) << t << ": " << r.out;
    EXPECT_NE(r.out.find("a tolerance is a number from 0 to 1"), std::string::npos) << r.out;
  }
}

}  // namespace
