// A scenario's values for parameters and expressions: each refused with the message that says
// why, and each accepted as the number the project holds.
#include <gtest/gtest.h>

#include <string>

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

std::string Refusal(const host::EffectParam &param, const Json &value) {
  try {
    host::ParamValueFromJson(param, value, host::Project());
  } catch (const host::BadInput &e) {
    return e.what();
  }
  return "taken";
}

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

TEST(ValueReaders, VertexOffsetsAreTwoOrSixNumbersAndTheRestAreZero) {
  const auto e = host::OutlineExpressionFromJson(Json::parse("[[1, 2], [3, 4, 5, 6, 7, 8]]"));
  ASSERT_TRUE(e.has_value());
  EXPECT_FALSE(e->uniform);
  ASSERT_EQ(e->offsets.size(), 2u);
  const AEGP_MaskVertex &a = e->offsets[0], &b = e->offsets[1];
  EXPECT_EQ(std::vector<double>({a.x, a.y, a.tan_in_x, a.tan_in_y, a.tan_out_x, a.tan_out_y}),
            std::vector<double>({1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<double>({b.x, b.y, b.tan_in_x, b.tan_in_y, b.tan_out_x, b.tan_out_y}),
            std::vector<double>({3, 4, 5, 6, 7, 8}));
  EXPECT_THROW(host::OutlineExpressionFromJson(Json::parse("[[1, 2, 3]]")), host::BadInput);
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
