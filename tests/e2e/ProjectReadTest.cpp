// A saved project is read back exactly as it was written, or refused with one line and exit
// code 2: each file below is one a user could hand the host (written by hand or edited), and
// each case is one the reader once accepted and misread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "HostProcess.h"
#include "scenario/ProjectOpen.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using orvane::test::RunHost;
using orvane::test::WriteTemp;

// A project of a 64 x 36 composition of 2 s at 30 fps with nothing in it; the cases add to it.
json Base() {
  return json::parse(R"({"orvane_project": 1, "comp": {"width": 64, "height": 36, "duration": 2},
      "layer": {}, "time": 0, "params": {}, "masks": [], "next_mask": {"id": 1, "palette": 0}})");
}

// A closed square mask, id 1, with keys at the given layer times (s), each `size` wide.
json Key(double layer_time, double size) {
  return {{"tick", std::llround(layer_time * 30)},
          {"scale", 30},
          {"layer_time", layer_time},
          {"closed", true},
          {"vertices", {{0, 0}, {size, 0}, {size, size}, {0, size}}}};
}
json Square(const json &keys) {
  return {{"index", 0},
          {"id", 1},
          {"color", {1, 1, 1, 1}},
          {"closed", true},
          {"vertices", json::array()},
          {"keyframes", keys}};
}

// The base project with one such square, keyed by `keys`.
json WithSquare(const json &keys) {
  json p = Base();
  p["masks"] = {Square(keys)};
  p["next_mask"]["id"] = 2;
  return p;
}

struct Opened {
  int code;
  std::string out;
  json dump;  // the project dump when it opened
};

// Files of the test's own, as the tests of this file run side by side.
std::string Name(const char *what) {
  return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + what;
}

Opened Open(const json &project, const std::string &steps = R"({"steps": []})") {
  const std::string file = WriteTemp(Name("project.json"), project.dump());
  const std::string scenario = WriteTemp(Name("steps.json"), steps);
  auto r = RunHost("run " + scenario + " --json --project " + file, false);
  Opened o{r.code, r.out, json()};
  if (r.code == 0) o.dump = json::parse(r.out, nullptr, false);
  return o;
}

// A file of `text` opened as the project: exit code 2 with one line on stderr that names the
// file (with the line and column where the reader stopped, for a fault of its JSON) and says
// `says`.
void RefusedText(const std::string &text, const std::string &says) {
  const std::string file = WriteTemp(Name("refused.json"), text);
  const std::string scenario = WriteTemp(Name("refused-steps.json"), R"({"steps": []})");
  auto r = RunHost("run " + scenario + " -q --project " + file);
  EXPECT_EQ(r.code, 2) << text << "\n" << r.out;
  EXPECT_NE(r.out.find(says), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
  EXPECT_EQ(r.out.rfind("orvane-host: " + file + ":", 0), 0u) << r.out;
}

// The same, of a file that holds `project`.
void Refused(const json &project, const std::string &says) { RefusedText(project.dump(), says); }

TEST(ProjectRead, TheBaseProjectOpens) {
  Opened o = Open(Base());
  ASSERT_EQ(o.code, 0) << o.out;
  EXPECT_TRUE(o.dump["masks"].empty());
}

TEST(ProjectRead, ATickOutsideThe32BitRangeIsRefusedNotWrapped) {
  // Read as signed these were -1, the smallest integer (whose size is undefined) and 0.
  for (const char *tick : {"18446744073709551615", "-9223372036854775808", "9223372036854775808",
                           "2147483648", "-2147483648"}) {
    json key = Key(0, 10);
    key["tick"] = json::parse(tick);
    Refused(WithSquare(json::array({key})),
            "\"tick\" is a whole number of ticks within the 32-bit range");
    // The same on a parameter's key.
    json q = Base();
    q["params"]["Angle 1"] = {
        {"raw", {0, 0, 0, 0}},
        {"hidden", false},
        {"keyframes",
         {{{"layer_time", 0}, {"tick", json::parse(tick)}, {"scale", 30}, {"raw", {0, 0, 0, 0}}}}}};
    Refused(q, "\"tick\" is a whole number of ticks within the 32-bit range");
  }
  // A scale is the ticks in a second, so there is none of 0.
  json key = Key(0, 10);
  key["scale"] = 0;
  Refused(WithSquare(json::array({key})),
          "\"scale\" the ticks a second, a whole number from 1 to 1,000,000,000");
}

TEST(ProjectRead, TheEdgesOfEachRangeAndNumbersOfEveryLeadingDigitOpen) {
  // One tick a second is the smallest scale; the lowest tick a 32-bit time holds is allowed (at
  // the composition's 30 a second, as the key's time must fit those ticks too).
  json p = Base();
  const json low = {{"layer_time", -2147483647 / 30.0},
                    {"tick", -2147483647},
                    {"scale", 30},
                    {"raw", {0, 0, 0, 0}}};
  const json one = {{"layer_time", 1}, {"tick", 1}, {"scale", 1}, {"raw", {9.75, 0, 0, 0}}};
  p["params"]["Angle 1"] = {{"raw", {0, 0, 0, 0}}, {"hidden", false}, {"keyframes", {low, one}}};
  // The same edges on a mask's keys, which a reader of their own takes.
  json lowest = Key(0, 10);
  lowest["tick"] = -2147483647;
  lowest["layer_time"] = -2147483647 / 30.0;
  json key = Key(1, 10);
  key["tick"] = 1;
  key["scale"] = 1;
  key["vertices"] = {{9, 90}, {19.5, 9e1}, {-9, 0.9}, {1234567.8, 0}};
  p["masks"] = {Square(json::array({lowest, key}))};
  p["next_mask"]["id"] = 4294967295u;  // the last id of 32 bits
  Opened o = Open(p);
  ASSERT_EQ(o.code, 0) << o.out;
  const json &keys = o.dump["params"]["Angle 1"]["keyframes"];
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_NEAR(keys[0]["time"].get<double>(), -2147483647 / 30.0, 1e-6);
  EXPECT_EQ(keys[1]["time"], 1.0);
  EXPECT_EQ(keys[1]["value"], 9.75);
  const json &mask_keys = o.dump["masks"][0]["keyframes"];
  ASSERT_EQ(mask_keys.size(), 2u);
  EXPECT_EQ(mask_keys[0]["tick"], -2147483647);
  EXPECT_EQ(mask_keys[1]["scale"], 1);
  EXPECT_EQ(mask_keys[1]["vertices"],
            json({{9.0, 90.0}, {19.5, 90.0}, {-9.0, 0.9}, {1234567.8, 0.0}}));
}

TEST(ProjectRead, MaskKeysAreReadInTimeOrderAndOneTimeHoldsOneKey) {
  // At 0.5 s, halfway between a key 10 wide at 0 s and one 30 wide at 1 s, the square is 20 wide,
  // in whichever order the file lists the keys.
  for (bool swapped : {false, true}) {
    json p = Base();
    p["time"] = 0.5;
    p["masks"] = {Square(swapped ? json{Key(1, 30), Key(0, 10)} : json{Key(0, 10), Key(1, 30)})};
    // What a key holds beyond what the host reads (a note of the user's) is passed over.
    p["masks"][0]["keyframes"][0]["note"] = {{"by", "hand"}, {"values", {1, 2}}};
    p["next_mask"]["id"] = 2;
    Opened o = Open(p);
    ASSERT_EQ(o.code, 0) << o.out;
    const json &mask = o.dump["masks"][0];
    EXPECT_EQ(mask["vertices"][2], json({20.0, 20.0})) << swapped;
    EXPECT_EQ(mask["keyframes"][0]["tick"], 0) << swapped;
    EXPECT_EQ(mask["keyframes"][1]["tick"], 30) << swapped;
  }
  // A parameter's keys likewise: "Angle 1" is 5 halfway between 0 at 0 s and 10 at 1 s.
  for (bool swapped : {false, true}) {
    json p = Base();
    p["time"] = 0.5;
    const json early = {{"layer_time", 0}, {"tick", 0}, {"scale", 30}, {"raw", {0, 0, 0, 0}}};
    const json late = {{"layer_time", 1}, {"tick", 30}, {"scale", 30}, {"raw", {10, 0, 0, 0}}};
    p["params"]["Angle 1"] = {{"raw", {0, 0, 0, 0}},
                              {"hidden", false},
                              {"keyframes", swapped ? json{late, early} : json{early, late}}};
    Opened o = Open(p);
    ASSERT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(o.dump["params"]["Angle 1"]["value"], 5.0) << swapped;
    EXPECT_EQ(o.dump["params"]["Angle 1"]["keyframes"][0]["time"], 0.0) << swapped;
  }
  Refused(WithSquare({Key(1, 30), Key(1, 10)}), "mask 0 has two keyframes at 1 s");
  // A parameter's keys likewise: the second would silently replace the first.
  json q = Base();
  json key = {{"layer_time", 1}, {"tick", 30}, {"scale", 30}, {"raw", {10, 0, 0, 0}}};
  q["params"]["Angle 1"] = {{"raw", {0, 0, 0, 0}}, {"hidden", false}, {"keyframes", {key, key}}};
  Refused(q, "parameter \"Angle 1\" has two keyframes at 1 s");
  // A key's "closed" is read as written, false as well as true, and nothing else stands for it.
  json open = WithSquare(json::array({Key(0, 10)}));
  open["masks"][0]["keyframes"][0]["closed"] = false;
  Opened o = Open(open);
  ASSERT_EQ(o.code, 0) << o.out;
  EXPECT_EQ(o.dump["masks"][0]["closed"], false);
  open["masks"][0]["keyframes"][0]["closed"] = 0;
  Refused(open, "keyframe 0: \"closed\" is true or false");
}

TEST(ProjectRead, TheNextMaskIdIsGreaterThanEveryMasksId) {
  for (int next : {0, 1}) {
    json p = Base();
    p["masks"] = {Square(json::array())};
    p["next_mask"]["id"] = next;
    Refused(p, "\"next_mask\" \"id\" " + std::to_string(next) +
                   " must be greater than every mask's id (mask 0 has 1)");
  }
  // A mask may hold the last id of 32 bits, though then no next id is greater; one more is no id.
  json last = Base();
  last["masks"] = {Square(json::array())};
  last["masks"][0]["id"] = 4294967295u;
  last["next_mask"]["id"] = 4294967295u;
  Refused(last,
          "\"next_mask\" \"id\" 4294967295 must be greater than every mask's id (mask 0 "
          "has 4294967295)");
  last["masks"][0]["id"] = 4294967296u;
  Refused(last, "mask 0: \"id\" is a whole number from 1");
  // With 2 a Create makes a mask of its own id.
  json p = Base();
  p["masks"] = {Square(json::array())};
  p["next_mask"]["id"] = 2;
  Opened o = Open(p, R"({"steps": [{"do": "press", "param": "Create Mask"}]})");
  ASSERT_EQ(o.code, 0) << o.out;
  EXPECT_EQ(o.dump["masks"][0]["id"], 1);
  EXPECT_EQ(o.dump["masks"][1]["id"], 2);
}

// The masks, a mask's keys, and the keys and vertices of the whole file are counted from the
// first: as many as the limits allow are read and one more is refused. Small limits stand in for
// the real ones (a file may hold 60,000,000 keys and 250,000,000 vertices).
TEST(ProjectRead, AFileHoldsAsManyMasksKeysAndVerticesAsTheLimitsAllow) {
  orvane::host::Limits limits;
  const auto read = [&](int keys, int masks = 1) -> std::string {
    json k = json::array();
    for (int i = 0; i < keys; ++i) k.push_back(Key(i / 30.0, 10));
    json p = WithSquare(k);
    for (int m = 1; m < masks; ++m) {
      json square = Square(k);
      square["index"] = m;
      square["id"] = m + 1;
      p["masks"].push_back(square);
    }
    p["next_mask"]["id"] = masks + 1;
    const std::string path = WriteTemp(Name("counted.json"), p.dump());
    try {
      orvane::host::ReadProjectFile(path, limits);
      return "read";
    } catch (const std::exception &e) {
      return e.what();
    }
  };
  limits.max_project_keys = 3;
  EXPECT_EQ(read(3), "read");
  EXPECT_NE(read(4).find("the file holds more than 3 keyframes"), std::string::npos);
  EXPECT_NE(read(2, 2).find("the file holds more than 3 keyframes"), std::string::npos);
  limits.max_project_keys = 10;
  limits.max_project_vertices = 12;  // three keys of four
  EXPECT_EQ(read(3), "read");
  EXPECT_NE(read(4).find("the file holds more than 12 keyframe vertices"), std::string::npos);
  limits = orvane::host::Limits();
  limits.max_keys = 3;
  EXPECT_EQ(read(3, 2), "read");
  EXPECT_NE(read(4).find("mask 0 has more than 3 keyframes"), std::string::npos);
  limits = orvane::host::Limits();
  limits.max_masks = 2;
  EXPECT_EQ(read(1, 2), "read");
  EXPECT_NE(read(1, 3).find("the file holds more than 2 masks"), std::string::npos);
}

// Each part of a project a hand could get wrong is refused for what is wrong with it.
TEST(ProjectRead, EachMisshapenPartIsNamedForWhatIsWrongWithIt) {
  auto with_param = [](const char *name, const json &raw, const json &keys) {
    json p = Base();
    p["params"][name] = {{"raw", raw}, {"hidden", false}, {"keyframes", keys}};
    return p;
  };
  Refused(with_param("Width 1", {1, 2, 3}, json::array()),
          "parameter \"Width 1\": \"raw\" is the four numbers the project holds");
  Refused(with_param("Width 1", {1, 2, 3, nullptr}, json::array()),
          "parameter \"Width 1\": \"raw\" is the four numbers the project holds");
  Refused(with_param("Width 1", {1, 0, 0, 0},
                     {{{"tick", 0}, {"scale", 30}, {"layer_time", "0"}, {"raw", {1, 0, 0, 0}}}}),
          "parameter \"Width 1\" keyframe 0: \"layer_time\" must be a time in seconds");
  Refused(with_param("Number", {1, 0, 0, 0},
                     {{{"tick", 0}, {"scale", 30}, {"layer_time", 0}, {"raw", {1, 0, 0, 0}}}}),
          "parameter \"Number\" cannot be animated, so it has no keyframes");
  Refused(with_param("Width 1", {1, 0, 0, 0}, json::object()),
          "parameter \"Width 1\": \"keyframes\" must be a list");
  // A button holds no value, and a name this effect does not have holds none either.
  for (const char *name : {"Create Mask", "Width 99"}) {
    Refused(with_param(name, {0, 0, 0, 0}, json::array()),
            "parameter \"" + std::string(name) +
                "\" is not a parameter of this effect that holds a value");
  }
  json params = Base();
  params["params"] = json::array();
  Refused(params, "\"params\" must be an object");
  Refused(json::array({Base()}), ":1:1: a project file is a JSON object");

  json p = Base();
  p["masks"] = {Square(json::array())};
  p["masks"][0]["index"] = 1;
  Refused(p, "mask 0: \"index\" is 1; masks are listed in the order of their indices, from 0");
  p["masks"][0]["index"] = 0;
  p["masks"][0]["id"] = 0;
  Refused(p, "mask 0: \"id\" is a whole number from 1");
  p["masks"] = {Square(json::array()), Square(json::array())};
  p["masks"][1]["index"] = 1;
  p["next_mask"]["id"] = 2;
  Refused(p, "mask 1: id 1 is another mask's");
  p["masks"] = {Square(json::array())};
  p["masks"][0].erase("keyframes");
  Refused(p, "mask 0 has no \"keyframes\"");
  p["masks"][0]["keyframes"] = json::object();
  Refused(p, "mask 0: \"keyframes\" must be a list");
  p["masks"][0]["keyframes"] = {Key(0, 1)};
  p["masks"][0]["keyframes"][0]["vertices"] = "square";
  Refused(p, "mask 0 keyframe 0: \"vertices\" is a list of vertices");
  p["masks"] = {Square(json::array())};
  p["masks"][0]["vertices"] = json::array();
  for (int i = 0; i < 10001; ++i) p["masks"][0]["vertices"].push_back({i, 0});
  Refused(p, "mask 0: \"vertices\" is a list of at most 10,000 vertices");
  // A keyframe's outline is held to the same count.
  p["masks"][0]["keyframes"] = {Key(0, 1)};
  p["masks"][0]["keyframes"][0]["vertices"] = p["masks"][0]["vertices"];
  p["masks"][0]["vertices"] = json::array();
  Refused(p, "\"vertices\" is a list of at most 10,000 vertices");
  for (const json &id : {json(1.5), json(4294967296u)}) {
    p = Base();
    p["next_mask"]["id"] = id;
    Refused(p, "\"next_mask\" is the next mask's \"id\" and \"palette\" index, whole numbers");
  }
}

// Each of what a mask's key must hold is named when it is missing; a vertex is two or six numbers
// and no other count; and nothing but blanks follows the project's object.
TEST(ProjectRead, AKeysEveryPartIsNeededAndTheFileEndsWithItsObject) {
  for (const char *part : {"tick", "scale", "layer_time", "closed", "vertices"}) {
    json p = WithSquare(json::array({Key(0, 10)}));
    p["masks"][0]["keyframes"][0].erase(part);
    Refused(p, "mask 0 keyframe 0 has no \"" + std::string(part) + "\"");
  }
  for (const json &vertex : {json{1, 2, 3}, json{1, 2, 3, 4, 5, 6, 7}, json{1}}) {
    json p = WithSquare(json::array({Key(0, 10)}));
    p["masks"][0]["keyframes"][0]["vertices"][1] = vertex;
    Refused(p,
            "mask 0 keyframe 0: a vertex is [x, y] or [x, y, in_x, in_y, out_x, out_y] of "
            "numbers");
  }
  RefusedText(Base().dump() + "\n \n{}", ".json:3:1: invalid JSON: text after the end of the JSON");
  EXPECT_EQ(Open(Base()).code, 0);
}

// A mask's colour is four fractions from 0 to 1, alpha first, each read as written.
TEST(ProjectRead, AMasksColourIsFourFractionsEachHeldToItsRange) {
  for (const json &colour : {json({1.5, 1, 1, 1}), json({1, 1, 1, -0.5}), json({1, 1, 1})}) {
    json p = Base();
    p["masks"] = {Square(json::array())};
    p["masks"][0]["color"] = colour;
    p["next_mask"]["id"] = 2;
    Refused(p, "\"color\" is [a, r, g, b]");
  }
  json p = Base();
  p["masks"] = {Square(json::array())};
  p["masks"][0]["color"] = {0.25, 0.5, 0.75, 1};
  p["next_mask"]["id"] = 2;
  Opened o = Open(p);
  ASSERT_EQ(o.code, 0) << o.out;
  EXPECT_EQ(o.dump["masks"][0]["color"], json({0.25, 0.5, 0.75, 1.0}));
}

TEST(ProjectRead, TimesOutsideTheCompositionOrTheTicksAreRefused) {
  for (double time : {1e8, 2.5, -1.0}) {
    json p = Base();
    p["time"] = time;
    Refused(p, "\"time\" is ");
  }
  // A key may lie outside the composition, as a module may put one there, but not beyond the
  // ticks: 1e8 s is 3e9 ticks at 30 a second.
  json far = Key(0, 10);
  far["layer_time"] = 1e8;
  Refused(WithSquare(json::array({far})),
          "\"layer_time\" is 1e+08 s, which at a time_scale of 30 is more than");
  // A key's tick is its time: one that says another time is a file edited in one place only.
  json other = Key(0.5, 10);
  other["tick"] = 0;
  Refused(WithSquare(json::array({other})),
          "\"tick\" 0 at \"scale\" 30 is 0 s, but \"layer_time\" 0.5 s is 0.5 s");
  // Within the ticks, 10 s after the composition's end, it opens and stays where it was.
  Opened o = Open(WithSquare(json::array({Key(12, 10)})));
  ASSERT_EQ(o.code, 0) << o.out;
  EXPECT_EQ(o.dump["masks"][0]["keyframes"][0]["tick"], 360);
}

TEST(ProjectRead, SavedValuesAreHeldToTheRangeASetStepIsHeldTo) {
  struct Case {
    const char *param;
    json raw;
    const char *says;
  };
  const Case cases[] = {
      {"Width 1", {-1e300, 0, 0, 0}, "\"Width 1\" must be from"},
      {"Number", {2.5, 0, 0, 0}, "\"Number\" takes a whole number from 0 to 50"},
      {"Number", {51, 0, 0, 0}, "\"Number\" takes a whole number from 0 to 50"},
      {"On", {0.5, 0, 0, 0}, "\"On\" is 0 or 1"},
      {"Mask Color 1", {1, 1.5, 0, 0}, "\"Mask Color 1\" is a colour of fractions from 0 to 1"},
      {"Center 1", {1, 2, 3, 0}, "\"Center 1\" uses only the first two numbers of the four"},
      {"Center 1", {2e6, 0, 0, 0}, "\"Center 1\" is too far outside the layer"},
      {"Mask 1", {-1, 0, 0, 0}, "\"Mask 1\" holds a mask's path id"},
      {"Mask 1", {4294967296.0, 0, 0, 0}, "\"Mask 1\" holds a mask's path id"},
  };
  for (const Case &c : cases) {
    json p = Base();
    p["params"][c.param] = {{"raw", c.raw}, {"hidden", false}, {"keyframes", json::array()}};
    Refused(p, c.says);
  }
  // The last id of 32 bits is one a mask parameter may hold.
  json last = Base();
  last["params"]["Mask 1"] = {
      {"raw", {4294967295.0, 0, 0, 0}}, {"hidden", false}, {"keyframes", json::array()}};
  const Opened held = Open(last);
  EXPECT_EQ(held.code, 0) << held.out;
  // In a key, and in an expression, likewise.
  json p = Base();
  p["params"]["Width 1"] = {
      {"raw", {10, 0, 0, 0}},
      {"hidden", false},
      {"keyframes", {{{"layer_time", 0}, {"tick", 0}, {"scale", 30}, {"raw", {-5, 0, 0, 0}}}}}};
  Refused(p, "\"Width 1\" must be from");
  const auto with_expression = [](const char *param, const json &raw, const json &offset) {
    json e = Base();
    e["params"][param] = {
        {"raw", raw}, {"hidden", false}, {"keyframes", json::array()}, {"raw_expression", offset}};
    return e;
  };
  Refused(with_expression("Number", {1, 0, 0, 0}, {0.5, 0, 0, 0}),
          "an expression on \"Number\" adds a whole number");
  // An expression adds at most a million to a number it uses (a colour's, at most 1), that
  // much itself allowed; a mask reference takes none.
  EXPECT_EQ(Open(with_expression("Center 1", {0, 0, 0, 0}, {1e6, -1e6, 0, 0})).code, 0);
  Refused(with_expression("Center 1", {0, 0, 0, 0}, {0, -1000000.5, 0, 0}),
          "an expression on \"Center 1\" adds numbers of at most 1e+06 in size");
  EXPECT_EQ(Open(with_expression("Mask Color 1", {1, 1, 1, 1}, {0, -1, 1, 0})).code, 0);
  Refused(with_expression("Mask Color 1", {1, 1, 1, 1}, {0, 0, 0, 1.25}),
          "an expression on \"Mask Color 1\" adds numbers of at most 1 in size");
  Refused(with_expression("Mask 1", {0, 0, 0, 0}, {0, 0, 0, 0}), "\"Mask 1\" takes no expression");
  // The range's own ends, each of them, are values a user sets.
  for (const auto &[number, width] : {std::pair{0, 0}, std::pair{50, 50000}}) {
    json r = Base();
    r["params"]["Number"] = {
        {"raw", {number, 0, 0, 0}}, {"hidden", false}, {"keyframes", json::array()}};
    r["params"]["Width 1"] = {
        {"raw", {width, 0, 0, 0}}, {"hidden", false}, {"keyframes", json::array()}};
    Opened o = Open(r);
    ASSERT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(o.dump["params"]["Number"]["value"], number);
    EXPECT_EQ(o.dump["params"]["Width 1"]["value"], width);
  }
}

// A key's tick is its time rounded, and a double's time at a billion ticks a second is off by a
// few: a difference of half a tick and a billionth of the ticks is allowed, and no more. At
// 2 s that is 2.5 ticks.
TEST(ProjectRead, AKeysTickMayBeItsTimeRoundedAtAFineScale) {
  for (long long tick : {2000000002LL, 1999999998LL, 2000000003LL, 1999999997LL}) {
    SCOPED_TRACE(tick);
    json p = Base();
    const json key = {
        {"layer_time", 2}, {"tick", tick}, {"scale", 1000000000}, {"raw", {5, 0, 0, 0}}};
    p["params"]["Angle 1"] = {{"raw", {0, 0, 0, 0}}, {"hidden", false}, {"keyframes", {key}}};
    if (std::llabs(tick - 2000000000LL) <= 2) {
      Opened o = Open(p);
      ASSERT_EQ(o.code, 0) << o.out;
      EXPECT_EQ(o.dump["params"]["Angle 1"]["keyframes"][0]["time"], 2.0);
    } else {
      Refused(p, "\"tick\" " + std::to_string(tick) + " at \"scale\" 1000000000 is");
    }
  }
}

// The project of a 20,000 x 20,000 layer: each render of it is 1.6 GB of pixels, so 700 steps
// are beyond the 1 TB a run may render, as they are for the same scenario without a project.
TEST(ProjectRead, TheRunLimitsHoldForTheOpenedProjectsLayer) {
  const std::string dir = ::testing::TempDir() + "read-big";
  fs::create_directories(dir);
  json big = Base();
  big["comp"] = {{"width", 20000}, {"height", 20000}, {"duration", 2}};
  std::ofstream(dir + "/big.json") << big.dump();
  json steps = json::array();
  for (int i = 0; i < 700; ++i) steps.push_back({{"do", "undo"}});
  const char *says = "the run would render about";
  // The scenario with the same composition is refused before it starts...
  json same = {{"comp", big["comp"]}, {"steps", steps}};
  auto r = RunHost("run " + WriteTemp("read-big-same.json", same.dump()) + " -q");
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find(says), std::string::npos) << r.out;
  // ...and so is it with the composition from --project...
  r = RunHost("run " + WriteTemp("read-big-steps.json", json({{"steps", steps}}).dump()) +
              " -q --project " + dir + "/big.json");
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find(says), std::string::npos) << r.out;
  // ...or from an "open" step.
  json opening = steps;
  opening[0] = {{"do", "open"}, {"file", "big.json"}};
  r = RunHost("run " + WriteTemp("read-big-open.json", json({{"steps", opening}}).dump()) +
              " -q --out " + dir);
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find("step 1 (open): " + dir + "/big.json: " + says), std::string::npos) << r.out;

  // An open later on counts the steps from it on, itself among them: of 100,000 steps it is the
  // second, which leaves 99,999 renders of a 2,500 x 1,000 layer (10 MB each), within the 1 TB.
  // The run goes on to its third step, an undo with nothing to undo.
  json wide = Base();
  wide["comp"] = {{"width", 2500}, {"height", 1000}, {"duration", 2}};
  std::ofstream(dir + "/wide.json") << wide.dump();
  json later = json::array({{{"do", "apply"}}, {{"do", "open"}, {"file", "wide.json"}}});
  while (later.size() < 100000) later.push_back({{"do", "undo"}});
  r = RunHost("run " + WriteTemp("read-wide-open.json", json({{"steps", later}}).dump()) +
              " -q --out " + dir);
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find("step 3 (undo): there is nothing to undo"), std::string::npos) << r.out;
}

// A project file is held to what it holds, not to its bytes: one of more than the 64 MiB a
// scenario may be opens (an hour's bake is gigabytes), and a key given twice, which a reader of
// whole JSON values would let the second replace, is refused.
TEST(ProjectRead, AFileIsHeldToWhatItHoldsNotToItsBytes) {
  const std::string text = Base().dump();
  const std::string file = ::testing::TempDir() + "read-padded.json";
  {
    std::ofstream out(file, std::ios::binary);
    out << text.substr(0, 1) << std::string(65 << 20, ' ') << text.substr(1);
  }
  auto r = RunHost("run " + WriteTemp("read-padded-steps.json", R"({"steps": []})") +
                   " -q --project " + file);
  EXPECT_EQ(r.code, 0) << r.out;
  fs::remove(file);
  std::string twice = text;
  twice.insert(1, R"("time": 1.5, )");
  const std::string path = WriteTemp("read-twice.json", twice);
  r = RunHost("run " + WriteTemp("read-twice-steps.json", R"({"steps": []})") + " -q --project " +
              path);
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find(path + ":1:"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"time\" is given twice in one object"), std::string::npos) << r.out;
}

}  // namespace
