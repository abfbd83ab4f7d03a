// What the project hands the module between keys and after a click: switches and mask links
// keep a key's value until the next key, a click that changes the project is followed by a fresh
// frame, and a key the module sets reports the frame it was set on.
#include <cmath>

#include "HostFixture.h"
#include "Params.h"
#include "model/Units.h"

namespace orvane::test {
namespace {

using host::Point2;
using host::WindowKind;

class HeldValues : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    SmallComposition();
    ApplyEffect();
  }
  void Key(int index, double seconds, double v) {
    host::StreamValue value;
    value.v[0] = v;
    param(index).stream.SetKey(seconds, host::Ticks(seconds, project().comp.time_scale), value);
  }
  void RenderAt(double seconds) {
    project().time = seconds;
    session().Render(session().context());
  }
  Point2 Corner(int mask, int vertex) {
    const auto v = project().layer.masks[std::size_t(mask)].outline.At(project().time).vertices;
    return {v[std::size_t(vertex)].x, v[std::size_t(vertex)].y};
  }
};

// "On" keyed off at 0 s and on at 2 s is still off at 1 s: a render there moves no mask.
TEST_F(HeldValues, ASwitchKeyedOffThenOnIsOffUntilItsNextKey) {
  Press(PARAM_CREATE_MASK);
  const Point2 created = Corner(0, 0);
  Key(PARAM_ON, 0, 0);
  Key(PARAM_ON, 2, 1);
  Set(PARAM_CENTER(0), {100, 90});
  RenderAt(1);
  EXPECT_EQ(Corner(0, 0).x, created.x);
  EXPECT_EQ(Corner(0, 0).y, created.y);
  // At the second key the switch is on, and the mask follows its rectangle.
  RenderAt(2);
  const double w = value(PARAM_WIDTH(0)), h = value(PARAM_HEIGHT(0));
  const Point2 moved = Corner(0, 0);
  EXPECT_NEAR(std::fabs(moved.x - 100), w / 2, 1e-6);
  EXPECT_NEAR(std::fabs(moved.y - 90), h / 2, 1e-6);
  ExpectNoProblems();
}

// A slot's mask link keyed to the first mask at 0 s and to the third at 2 s links the first at
// 1 s, never the second mask whose id lies between.
TEST_F(HeldValues, AMaskLinkKeyedFromOneMaskToAnotherNeverNamesAMaskBetween) {
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  const auto &masks = project().layer.masks;
  ASSERT_EQ(masks.size(), 3u);
  Key(PARAM_MASK_PATH(0), 0, masks[0].id);
  Key(PARAM_MASK_PATH(0), 2, masks[2].id);
  ASSERT_EQ(masks[1].id, (masks[0].id + masks[2].id) / 2);
  // Only the first slot counts, so no other slot moves the second mask back.
  Set(PARAM_NUMBER, {1});
  Set(PARAM_CENTER(0), {100, 90});
  const Point2 second = Corner(1, 0);
  RenderAt(1);
  EXPECT_EQ(Corner(1, 0).x, second.x) << "the second mask was moved";
  EXPECT_EQ(Corner(1, 0).y, second.y);
  EXPECT_NEAR(std::fabs(Corner(0, 0).x - 100), value(PARAM_WIDTH(0)) / 2, 1e-6);
  ExpectNoProblems();
}

// A click just beside a corner resizes the rectangle on release; the mask follows at once, as it
// does after a drag.
TEST_F(HeldValues, AClickWhoseReleaseResizesIsFollowedByAFreshFrame) {
  Press(PARAM_CREATE_MASK);
  Set(PARAM_CENTER(0), {320, 180});
  Set(PARAM_WIDTH(0), {200});
  Set(PARAM_HEIGHT(0), {100});
  Set(PARAM_ANGLE(0), {0});
  // The corner at (420, 230), in the layer window at zoom 1.
  const Point2 at{422, 233};
  ASSERT_TRUE(session().Drag(WindowKind::Layer, {at}, 0));
  ASSERT_NE(value(PARAM_WIDTH(0)), 200) << "the click's release did not resize";
  EXPECT_NEAR(value(PARAM_WIDTH(0)), 2 * (422 - 320), 1e-4);
  EXPECT_NEAR(value(PARAM_HEIGHT(0)), 2 * (233 - 180), 1e-4);
  bool corner_there = false;
  for (int v = 0; v < 4; ++v) {
    const Point2 c = Corner(0, v);
    corner_there = corner_there || (std::fabs(c.x - 422) < 0.6 && std::fabs(c.y - 233) < 0.6);
  }
  EXPECT_TRUE(corner_there) << "the mask stayed where it was";
  ExpectNoProblems();
}

// A keyed mask that the live update reshapes gets a key on the frame it was rendered at, in
// composition ticks.
TEST_F(HeldValues, AKeyTheModuleSetsReportsTheFrameItWasSetOn) {
  Press(PARAM_CREATE_MASK);
  auto &outline = project().layer.masks[0].outline;
  outline.SetKey(0, host::Ticks(0, 30), outline.value);
  outline.SetKey(1, host::Ticks(1, 30), outline.value);
  Set(PARAM_CENTER(0), {200, 100});
  RenderAt(0.5);
  const auto &keys = project().layer.masks[0].outline.keys;
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_DOUBLE_EQ(keys.time(1), 0.5);
  EXPECT_EQ(keys.at(1).value, 15);
  EXPECT_EQ(keys.at(1).scale, 30u);
  ExpectNoProblems();
}

}  // namespace
}  // namespace orvane::test
