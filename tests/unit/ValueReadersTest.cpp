// A scenario's values for parameters and expressions: each refused with the message that says
// why, and each accepted as the number the project holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/Errors.h"
#include "scenario/JsonValues.h"
#include "scenario/Setup.h"
#include "scenario/ValueReaders.h"

namespace {

namespace host = orvane::host;
using host::Json;

host::EffectParam Point() {
  host::EffectParam p;
  p.name = "Center 1";
  p.def.param_type = PF_Param_POINT;
  return p;
}

host::EffectParam Param(PF_ParamType type, const char *name) {
  host::EffectParam p;
  p.name = name;
  p.def.param_type = type;
  return p;
}

// "Width 1" runs from -50 to 100, "Number" from 0 to 10 in whole steps.
host::EffectParam FloatSlider() {
  host::EffectParam p = Param(PF_Param_FLOAT_SLIDER, "Width 1");
  p.def.u.fs_d.valid_min = -50;
  p.def.u.fs_d.valid_max = 100;
  return p;
}

host::EffectParam Slider() {
  host::EffectParam p = Param(PF_Param_SLIDER, "Number");
  p.def.u.sd.valid_min = 0;
  p.def.u.sd.valid_max = 10;
  return p;
}

// What a check says: its refusal, or "taken".
template <typename Check>
std::string Said(Check check) {
  try {
    check();
  } catch (const host::BadInput &e) {
    return e.what();
  }
  return "taken";
}

// What reading an entered value says; the value read is handed back through `out`.
std::string Refusal(const host::EffectParam &param, const Json &value,
                    const host::Project &project = host::Project(),
                    host::StreamValue *out = nullptr) {
  return Said([&] {
    const host::StreamValue v = host::ParamValueFromJson(param, value, project);
    if (out) *out = v;
  });
}

// A value as a project file holds it: the numbers given, and 0 for the rest of the four.
host::StreamValue Held(const std::vector<double> &v) {
  host::StreamValue value;
  for (std::size_t i = 0; i < v.size(); ++i) value.v[i] = v[i];
  return value;
}

std::string HeldRefusal(const host::EffectParam &param, const std::vector<double> &v) {
  return Said([&] { host::CheckHeldValue(param, Held(v)); });
}

std::string HeldExpressionRefusal(const host::EffectParam &param, const std::vector<double> &v) {
  return Said([&] { host::CheckHeldExpression(param, Held(v)); });
}

std::vector<double> Numbers(const host::StreamValue &v) { return {v.v, v.v + 4}; }

TEST(ValueReaders, APointIsTwoNumbersWithinAMillionPixels) {
  const host::EffectParam point = Point();
  const std::string form = "\"Center 1\" takes a point [x, y] in layer pixels";
  // Two members that are not an array's, one number, three numbers.
  for (const char *bad : {R"({"x": 1, "y": 2})", "[1]", "[1, 2, 3]", "5"})
    EXPECT_EQ(Refusal(point, Json::parse(bad)), form) << bad;
  EXPECT_EQ(Refusal(point, Json::parse("[1500000, 0]")),
            "\"Center 1\" is too far outside the layer");
  EXPECT_EQ(Refusal(point, Json::parse("[0, -1000001]")),
            "\"Center 1\" is too far outside the layer");
  const host::StreamValue v =
      host::ParamValueFromJson(point, Json::parse("[1000000, -1000000]"), host::Project());
  EXPECT_EQ(v.v[0], 1e6);
  EXPECT_EQ(v.v[1], -1e6);
}

// Each kind of value takes both ends of its range and refuses what lies just past either.
TEST(ValueReaders, AnEnteredValueIsTakenAtEachEndOfItsRangeAndRefusedPastIt) {
  const host::EffectParam width = FloatSlider(), number = Slider();
  host::StreamValue v;
  EXPECT_EQ(Refusal(width, -50, {}, &v), "taken");
  EXPECT_EQ(v.v[0], -50);
  EXPECT_EQ(Refusal(width, 100, {}, &v), "taken");
  EXPECT_EQ(v.v[0], 100);
  for (double bad : {-50.001, 100.001})
    EXPECT_EQ(Refusal(width, bad), "\"Width 1\" must be from -50 to 100") << bad;
  EXPECT_EQ(Refusal(width, "7"), "\"Width 1\" must be a number");
  EXPECT_EQ(Refusal(Param(PF_Param_ANGLE, "Angle 1"), "7"),
            "\"Angle 1\" (degrees) must be a number");
  EXPECT_EQ(Refusal(Point(), Json::parse(R"(["1", 2])")), "\"Center 1\" x must be a number");
  EXPECT_EQ(Refusal(Point(), Json::parse(R"([1, "2"])")), "\"Center 1\" y must be a number");

  EXPECT_EQ(Refusal(number, 0, {}, &v), "taken");
  EXPECT_EQ(v.v[0], 0);
  EXPECT_EQ(Refusal(number, 10, {}, &v), "taken");
  EXPECT_EQ(v.v[0], 10);
  for (int bad : {-1, 11})
    EXPECT_EQ(Refusal(number, bad), "\"Number\" must be from 0 to 10") << bad;
  EXPECT_EQ(Refusal(number, 1.5), "\"Number\" takes a whole number from 0 to 10");

  const host::EffectParam on = Param(PF_Param_CHECKBOX, "On");
  EXPECT_EQ(Refusal(on, true, {}, &v), "taken");
  EXPECT_EQ(v.v[0], 1);
  EXPECT_EQ(Refusal(on, false, {}, &v), "taken");
  EXPECT_EQ(v.v[0], 0);
  EXPECT_EQ(Refusal(on, 1), "\"On\" takes true or false");

  // A colour's four bytes, each checked: a bad one last is as bad as one first.
  const host::EffectParam colour = Param(PF_Param_COLOR, "Mask Color 1");
  EXPECT_EQ(Refusal(colour, Json::parse("[255, 0, 51, 255]"), {}, &v), "taken");
  EXPECT_EQ(Numbers(v), std::vector<double>({1, 0, 0.2, 1}));
  for (const char *bad : {"[0, 0, 0, 256]", "[0, 0, 0, -1]", "[0, 0, 0, 1.5]", "[-1, 0, 0, 0]",
                          "[0, 0, 0]", "[0, 0, 0, 0, 0]"}) {
    EXPECT_EQ(Refusal(colour, Json::parse(bad)),
              "\"Mask Color 1\" takes a colour [a, r, g, b] of bytes 0 to 255")
        << bad;
  }

  EXPECT_EQ(Refusal(Param(PF_Param_BUTTON, "Create Mask"), 1),
            "\"Create Mask\" has no value to set; use {\"do\": \"press\"}");
  EXPECT_EQ(Refusal(Param(PF_Param_LAYER, "Input"), 1), "\"Input\" has no value to set");
}

// A mask parameter is set by the mask's index and holds that mask's id; null is none.
TEST(ValueReaders, AMaskIsNamedByItsIndexAmongTheLayersMasks) {
  const host::EffectParam mask = Param(PF_Param_PATH, "Mask 1");
  host::Project project;
  project.layer.masks.resize(2);
  project.layer.masks[0].id = 7;
  project.layer.masks[1].id = 9;
  host::StreamValue v;
  EXPECT_EQ(Refusal(mask, 0, project, &v), "taken");
  EXPECT_EQ(v.v[0], 7);
  EXPECT_EQ(Refusal(mask, 1, project, &v), "taken");
  EXPECT_EQ(v.v[0], 9);
  v.v[0] = 5;
  EXPECT_EQ(Refusal(mask, nullptr, project, &v), "taken");
  EXPECT_EQ(v.v[0], 0);
  for (const char *bad : {"2", "-1", "0.5", "\"0\""}) {
    EXPECT_EQ(Refusal(mask, Json::parse(bad), project),
              "\"Mask 1\" takes a mask index from 0 to 1, or null for none")
        << bad;
  }
  EXPECT_EQ(
      Refusal(mask, 0),
      "\"Mask 1\" takes a mask index from 0 to -1, or null for none (the layer has no masks)");
}

// What a project file holds is checked as strictly as what a user enters, in the units it is
// held in: colours as fractions, numbers past the first that the kind uses all 0.
TEST(ValueReaders, AHeldValueIsTakenAtEachEndOfItsRangeAndRefusedPastIt) {
  const host::EffectParam width = FloatSlider(), number = Slider();
  const host::EffectParam colour = Param(PF_Param_COLOR, "Mask Color 1");
  const host::EffectParam on = Param(PF_Param_CHECKBOX, "On"),
                          mask = Param(PF_Param_PATH, "Mask 1");
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(HeldRefusal(width, {1, 0, 0, inf}), "\"Width 1\" holds a number that is not finite");
  EXPECT_EQ(HeldRefusal(width, {std::nan("")}), "\"Width 1\" holds a number that is not finite");

  for (std::vector<double> good : {std::vector<double>{-50}, {100}})
    EXPECT_EQ(HeldRefusal(width, good), "taken") << good[0];
  for (double bad : {-50.5, 100.5})
    EXPECT_EQ(HeldRefusal(width, {bad}), "\"Width 1\" must be from -50 to 100") << bad;

  for (double good : {0.0, 10.0}) EXPECT_EQ(HeldRefusal(number, {good}), "taken") << good;
  for (double bad : {-1.0, 11.0, 2.5})
    EXPECT_EQ(HeldRefusal(number, {bad}), "\"Number\" takes a whole number from 0 to 10") << bad;

  EXPECT_EQ(HeldRefusal(colour, {0, 0, 0, 0}), "taken");
  EXPECT_EQ(HeldRefusal(colour, {1, 1, 1, 1}), "taken");
  for (std::vector<double> bad : {std::vector<double>{0, 0, 0, 1.001}, {-0.001, 0, 0, 0}})
    EXPECT_EQ(HeldRefusal(colour, bad), "\"Mask Color 1\" is a colour of fractions from 0 to 1");

  EXPECT_EQ(HeldRefusal(Point(), {1e6, -1e6}), "taken");
  for (std::vector<double> bad : {std::vector<double>{0, 1000001}, {-1000001, 0}})
    EXPECT_EQ(HeldRefusal(Point(), bad), "\"Center 1\" is too far outside the layer");

  for (double good : {0.0, 1.0}) EXPECT_EQ(HeldRefusal(on, {good}), "taken") << good;
  for (double bad : {0.5, 2.0, -1.0})
    EXPECT_EQ(HeldRefusal(on, {bad}), "\"On\" is 0 or 1 (off or on)") << bad;

  for (double good : {0.0, 4294967295.0}) EXPECT_EQ(HeldRefusal(mask, {good}), "taken") << good;
  for (double bad : {-1.0, 4294967296.0, 0.5}) {
    EXPECT_EQ(HeldRefusal(mask, {bad}),
              "\"Mask 1\" holds a mask's path id, a whole number (0 for none)")
        << bad;
  }

  // A choice is held as the module gave it; only its first number is used.
  EXPECT_EQ(HeldRefusal(Param(PF_Param_POPUP, "Mode"), {3}), "taken");
  EXPECT_EQ(HeldRefusal(Param(PF_Param_POPUP, "Mode"), {3, 1}),
            "\"Mode\" uses only the first number of the four; the others must be 0");
  EXPECT_EQ(HeldRefusal(width, {1, 0, 0, 2}),
            "\"Width 1\" uses only the first number of the four; the others must be 0");
  EXPECT_EQ(HeldRefusal(Point(), {1, 2, 0, 3}),
            "\"Center 1\" uses only the first two numbers of the four; the others must be 0");
}

// An expression adds an offset: a colour's in fractions of at most 1, any other of at most a
// million, whole for whole numbers, and none at all for a mask or a choice.
TEST(ValueReaders, AnExpressionsOffsetIsBoundedByItsKind) {
  const host::EffectParam width = FloatSlider(), number = Slider();
  const host::EffectParam colour = Param(PF_Param_COLOR, "Mask Color 1");
  const std::string on_width = "an expression on \"Width 1\"";
  for (double good : {1e6, -1e6}) EXPECT_EQ(HeldExpressionRefusal(width, {good}), "taken");
  EXPECT_EQ(HeldExpressionRefusal(width, {1000001}),
            on_width + " adds numbers of at most 1e+06 in size");
  EXPECT_EQ(HeldExpressionRefusal(Point(), {0, -1000001}),
            "an expression on \"Center 1\" adds numbers of at most 1e+06 in size");
  EXPECT_EQ(HeldExpressionRefusal(colour, {1, -1, 1, -1}), "taken");
  EXPECT_EQ(HeldExpressionRefusal(colour, {0, 0, 0, 1.01}),
            "an expression on \"Mask Color 1\" adds numbers of at most 1 in size");
  EXPECT_EQ(HeldExpressionRefusal(number, {1.5}),
            "an expression on \"Number\" adds a whole number");
  EXPECT_EQ(HeldExpressionRefusal(number, {-3}), "taken");
  EXPECT_EQ(HeldExpressionRefusal(width, {1, 1}),
            on_width + " uses only the first number of the four; the others must be 0");
  EXPECT_EQ(HeldExpressionRefusal(Param(PF_Param_PATH, "Mask 1"), {0}),
            "\"Mask 1\" takes no expression");
  EXPECT_EQ(HeldExpressionRefusal(Param(PF_Param_POPUP, "Mode"), {0}),
            "\"Mode\" takes no expression");

  // As entered: a colour's offset in bytes, read as fractions.
  const auto entered = [](const host::EffectParam &p, const char *json) {
    host::StreamValue v;
    const std::string said =
        Said([&] { v = host::ParamExpressionFromJson(p, Json::parse(json)).value(); });
    return said == "taken" ? Numbers(v) : std::vector<double>{};
  };
  EXPECT_EQ(entered(colour, "[255, -255, 0, 51]"), std::vector<double>({1, -1, 0, 0.2}));
  EXPECT_EQ(entered(Point(), "[-1e6, 1e6]"), std::vector<double>({-1e6, 1e6, 0, 0}));
  EXPECT_EQ(entered(number, "-2"), std::vector<double>({-2, 0, 0, 0}));
  EXPECT_EQ(entered(Param(PF_Param_CHECKBOX, "On"), "1"), std::vector<double>({1, 0, 0, 0}));
  EXPECT_FALSE(host::ParamExpressionFromJson(width, nullptr).has_value());
  const auto refusal = [](const host::EffectParam &p, const char *json) {
    return Said([&] { host::ParamExpressionFromJson(p, Json::parse(json)); });
  };
  const std::string bytes =
      "an expression on \"Mask Color 1\" adds a colour [a, r, g, b] in bytes (-255 to 255)";
  for (const char *bad : {"[0, 0, 0, 256]", "[0, 0, 0, -256]", "[0, 0, 0]", "[0, 0, 0, 0, 0]"})
    EXPECT_EQ(refusal(colour, bad), bytes) << bad;
  EXPECT_EQ(refusal(Point(), "[1]"), "an expression on \"Center 1\" adds a point [dx, dy]");
  EXPECT_EQ(refusal(Point(), "[1, 1000001]"),
            "an expression on \"Center 1\" must be a number of at most a million in size");
  EXPECT_EQ(refusal(number, "2.5"), "an expression on \"Number\" adds a whole number");
  EXPECT_EQ(refusal(Param(PF_Param_PATH, "Mask 1"), "1"), "\"Mask 1\" takes no expression");
  EXPECT_EQ(refusal(Param(PF_Param_BUTTON, "Bake Masks"), "1"),
            "\"Bake Masks\" takes no expression");
}

TEST(ValueReaders, VertexOffsetsAreTwoOrSixNumbersAndTheRestAreZero) {
  // A vertex as a mask step gives it: each of the six numbers in its own place.
  const AEGP_MaskVertex whole = host::VertexFromJson(Json::parse("[1, 2, 3, 4, 5, 6]"));
  EXPECT_EQ(std::vector<double>({whole.x, whole.y, whole.tan_in_x, whole.tan_in_y, whole.tan_out_x,
                                 whole.tan_out_y}),
            std::vector<double>({1, 2, 3, 4, 5, 6}));
  const AEGP_MaskVertex corner = host::VertexFromJson(Json::parse("[7, 8]"));
  EXPECT_EQ(std::vector<double>({corner.x, corner.y, corner.tan_in_x, corner.tan_in_y,
                                 corner.tan_out_x, corner.tan_out_y}),
            std::vector<double>({7, 8, 0, 0, 0, 0}));

  const auto e = host::OutlineExpressionFromJson(Json::parse("[[1, 2], [3, 4, 5, 6, 7, 8]]"));
  ASSERT_TRUE(e.has_value());
  EXPECT_FALSE(e->uniform);
  ASSERT_EQ(e->offsets.size(), 2u);
  const AEGP_MaskVertex &a = e->offsets[0], &b = e->offsets[1];
  EXPECT_EQ(std::vector<double>({a.x, a.y, a.tan_in_x, a.tan_in_y, a.tan_out_x, a.tan_out_y}),
            std::vector<double>({1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<double>({b.x, b.y, b.tan_in_x, b.tan_in_y, b.tan_out_x, b.tan_out_y}),
            std::vector<double>({3, 4, 5, 6, 7, 8}));
  const auto uniform = host::OutlineExpressionFromJson(Json::parse("[1, 2]"));
  ASSERT_TRUE(uniform.has_value());
  EXPECT_TRUE(uniform->uniform);
  ASSERT_EQ(uniform->offsets.size(), 1u);
  EXPECT_EQ(uniform->offsets[0].x, 1);
  EXPECT_EQ(uniform->offsets[0].y, 2);
  EXPECT_FALSE(host::OutlineExpressionFromJson(nullptr).has_value());
  for (const char *bad : {"[[1, 2, 3]]", "[]", "[[1, 2], 3]", "{}"})
    EXPECT_THROW(host::OutlineExpressionFromJson(Json::parse(bad)), host::BadInput) << bad;
  EXPECT_EQ(Said([] { host::OutlineExpressionFromJson(Json::parse("[[1, 2], [3, \"4\"]]")); }),
            "a vertex offset must be a number of at most a million in size");
}

// A layer's position, anchor, scale and rotation are each keyed on their own, the first three as
// [x, y] and rotation as one number, and each is linear between its keys.
TEST(ScenarioLayer, EachTransformPropertyIsKeyedOnItsOwn) {
  host::Project project;
  host::ConfigureProject(project, Json::parse(R"({"comp": {"duration": 2}, "layer": {
      "position": [{"time": 0, "value": [100, 200]}, {"time": 1, "value": [300, 200]}],
      "anchor": [{"time": 0, "value": [10, 20]}, {"time": 1, "value": [30, 40]}],
      "scale": [{"time": 0, "value": [100, 100]}, {"time": 1, "value": [200, 50]}],
      "rotation": [{"time": 0, "value": 0}, {"time": 1, "value": 90}]}})"));
  const host::Transform t = project.layer.TransformAt(0.5);
  EXPECT_DOUBLE_EQ(t.position[0], 200);
  EXPECT_DOUBLE_EQ(t.position[1], 200);
  EXPECT_DOUBLE_EQ(t.anchor[0], 20);
  EXPECT_DOUBLE_EQ(t.anchor[1], 30);
  EXPECT_DOUBLE_EQ(t.scale[0], 150);
  EXPECT_DOUBLE_EQ(t.scale[1], 75);
  EXPECT_DOUBLE_EQ(t.rotation, 45);
}

// A render step asks for 8 bits at full resolution unless it says otherwise; its divisors are
// each axis's own, a downsample of one over the divisor.
TEST(RenderRequest, IsFullResolutionAt8BitsUnlessTheStepSaysOtherwise) {
  const auto scale = [](const PF_RationalScale &r) {
    return std::to_string(r.num) + "/" + std::to_string(r.den);
  };
  const host::RenderRequest plain = host::RenderRequestFromJson(Json{{"do", "render"}});
  EXPECT_EQ(plain.depth, 8);
  EXPECT_EQ(scale(plain.downsample_x), "1/1");
  EXPECT_EQ(scale(plain.downsample_y), "1/1");
  const host::RenderRequest asked =
      host::RenderRequestFromJson(Json{{"do", "render"}, {"depth", 16}, {"downsample", {2, 3}}});
  EXPECT_EQ(asked.depth, 16);
  EXPECT_EQ(scale(asked.downsample_x), "1/2");
  EXPECT_EQ(scale(asked.downsample_y), "1/3");
  // The deepest and the smallest it may ask for; no depth between.
  const host::RenderRequest most =
      host::RenderRequestFromJson(Json{{"depth", 32}, {"downsample", {64, 64}}});
  EXPECT_EQ(most.depth, 32);
  EXPECT_EQ(scale(most.downsample_x), "1/64");
  EXPECT_EQ(scale(most.downsample_y), "1/64");
  EXPECT_EQ(Said([] {
              host::RenderRequestFromJson(Json{{"depth", 12}});
            }),
            "\"depth\" is 8, 16 or 32 bits per channel");
}

// The readers every section shares: what each refusal names, and each end of a range taken.
TEST(JsonValues, EachEndOfARangeIsTakenAndEachRefusalNamesWhatItGot) {
  const Json obj = Json::parse(
      R"({"n": 2, "s": "2", "b": true, "z": null, "a": [2], "o": {}, "p": [3, 4], "q": [3]})");
  EXPECT_EQ(host::Number(obj, "n", 7, "comp"), 2);
  EXPECT_EQ(host::Number(obj, "absent", 7, "comp"), 7);
  const std::pair<const char *, const char *> kinds[] = {
      {"s", "a string"}, {"b", "a boolean"}, {"z", "null"}, {"a", "an array"}, {"o", "an object"}};
  for (const auto &[key, kind] : kinds) {
    EXPECT_EQ(Said([&, key = key] { host::Number(obj, key, 0, "comp"); }),
              std::string("comp: \"") + key + "\" must be a number, not " + kind);
  }
  double pair[2] = {1, 1};
  host::Pair(obj, "absent", pair, "layer");
  EXPECT_EQ(std::vector<double>(pair, pair + 2), std::vector<double>({1, 1}));
  host::Pair(obj, "p", pair, "layer");
  EXPECT_EQ(std::vector<double>(pair, pair + 2), std::vector<double>({3, 4}));
  EXPECT_EQ(Said([&] { host::Pair(obj, "q", pair, "layer"); }),
            "layer: \"q\" must be a pair of numbers [x, y]");
  EXPECT_EQ(Said([&] { host::Section(obj, "a"); }), "\"a\" must be an object, not an array");
  EXPECT_TRUE(host::Section(obj, "absent").empty());

  EXPECT_EQ(Said([] { host::Positive(1e9, "fps"); }), "taken");
  EXPECT_EQ(Said([] { host::Positive(1e-9, "fps"); }), "taken");
  EXPECT_EQ(Said([] { host::Positive(0, "fps"); }), "fps must be a positive number");
  EXPECT_EQ(Said([] { host::Positive(std::nan(""), "fps"); }), "fps must be a positive number");

  host::Composition comp;
  comp.duration = 2;
  for (double t : {0.0, 2.0})
    EXPECT_EQ(Said([&] { host::InsideComposition(t, comp, "\"time\""); }), "taken") << t;
  EXPECT_EQ(Said([&] { host::InsideComposition(-0.001, comp, "\"time\""); }),
            "\"time\" is -0.001 s; the composition runs from 0 to 2 s");
  EXPECT_EQ(Said([&] { host::InsideComposition(2.001, comp, "\"time\""); }),
            "\"time\" is 2.001 s; the composition runs from 0 to 2 s");

  // Keys are compared whole: a known key's prefix is not known, and no place is named if none
  // is given.
  EXPECT_EQ(Said([] {
              host::KnownKeys(Json{{"fp", 1}}, "", {"fps", "width"});
            }),
            "unknown key \"fp\"; did you mean \"fps\"?");
  EXPECT_EQ(Said([] {
              host::KnownKeys(Json{{"fps", 1}, {"width", 2}}, "comp", {"fps", "width"});
            }),
            "taken");
}

// A mistyped name is answered with the names fewest edits away first (a letter added, dropped or
// changed, in either case), those equally far in the order they are known in.
TEST(Suggestions, TheNamesFewestEditsAwayComeFirst) {
  EXPECT_EQ(host::Closest("tiem", {"item", "tie", "time"}, 3), R"("tie", "item", "time")");
  EXPECT_EQ(host::Closest("time", {"xtime", "time"}, 1), R"("time")");
  EXPECT_EQ(host::Closest("WIDHT", {"height", "width"}, 1), R"("width")");
  EXPECT_EQ(host::Closest("fps", {"fps"}, 2), R"("fps")");
}

}  // namespace
