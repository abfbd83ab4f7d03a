// What the module asks of its layer in pre-render shows in the pixels it renders: the layer at
// the time asked for, and transparent pixels with their colour only when asked for. The layer's
// pixels are the host's test pattern: squares of 64 pixels, the top-left one dark at frame 0 and
// moved one pixel left a frame, on a gradient whose red is 0.15 at the left edge; the last column
// is transparent.
#include <gtest/gtest.h>

#include <cmath>

#include "HostFixture.h"

namespace orvane::test {
namespace {

class RenderRequest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    SmallComposition();
    ApplyEffect();
  }
  // The output's pixel after a render of the frame at composition time `t`.
  PF_Pixel Rendered(double t, A_long x, A_long y) {
    host::CommandContext at;
    at.time = t;
    host::RenderResult r = session().Render(at);
    EXPECT_TRUE(r.rendered);
    return session().render_state().output.At8(x, y);
  }
};

TEST_F(RenderRequest, TheLayerIsRenderedAtTheTimeTheModuleAsksFor) {
  // Red at the left edge: 0.15 of 255 in a light square, three quarters of that in a dark one.
  const int light = int(std::lround(0.15 * 255)), dark = int(std::lround(0.75 * 0.15 * 255));
  EXPECT_EQ(Rendered(0, 0, 0).red, dark);
  // 64 frames on (30 a second), the squares have moved by one.
  EXPECT_EQ(Rendered(64 / 30.0, 0, 0).red, light);
  EXPECT_EQ(Rendered(128 / 30.0, 0, 0).red, dark);
  // A layer that starts 1 s late is at its frame 68 at frame 98 of the composition: the edge
  // between a light square and the next dark one is at x = 128 - 68 = 60, not 128 - 98 = 30.
  auto red = [](double shade, int x) {
    return int(std::lround(shade * (0.15 + 0.8 * x / 639.0) * 255));
  };
  project().layer.start = 1;
  EXPECT_EQ(Rendered(98 / 30.0, 59, 0).red, red(1, 59));
  EXPECT_EQ(Rendered(98 / 30.0, 60, 0).red, red(0.75, 60));
  EXPECT_EQ(Rendered(98 / 30.0, 30, 0).red, red(1, 30));
}

TEST_F(RenderRequest, TransparentPixelsKeepTheirColourBecauseTheModuleAsksForIt) {
  // The effect passes its layer through, colour of transparent pixels included.
  const PF_Pixel edge = Rendered(0, 639, 0);
  EXPECT_EQ(edge.alpha, 0);
  // x = 639 is in the tenth square, light at frame 0 (the first is dark): red 0.95.
  EXPECT_EQ(edge.red, int(std::lround(0.95 * 255)));
  EXPECT_EQ(Rendered(0, 638, 0).alpha, 255);
}

}  // namespace
}  // namespace orvane::test
