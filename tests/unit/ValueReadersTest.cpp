// A scenario's values for parameters and expressions: each refused with the message that says
// why, and each accepted as the number the project holds.
#include <gtest/gtest.h>

#include <string>

#include "model/Errors.h"
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

}  // namespace
