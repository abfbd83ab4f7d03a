// Bakes at broadcast frame rates whose time scale is not the rate, and masks that hold the
// rectangle of the exact frame and resolution they were written for, curved outlines included.
#include <algorithm>
#include <cstdio>
#include <string>

#include "Expect.h"
#include "HostFixture.h"
#include "Params.h"

namespace orvane::test {
namespace {

// Every slot parameter animated on its own schedule, so a value read from the wrong stream or at
// the wrong time gives a visibly different rectangle.
struct SlotAnimation {
  Track cx, cy, width, height, angle;
};

const SlotAnimation kSlot1{{{{0.0, 40}, {2.0, 160}}},
                           {{{0.5, 30}, {1.5, 90}}},
                           {{{0.0, 20}, {1.0, 120}}},
                           {{{0.25, 70}, {1.75, 10}}},
                           {{{0.0, -10}, {2.0, 80}}}};
const SlotAnimation kSlot2{{{{0.0, 150}, {1.0, 60}}},
                           {{{0.0, 80}, {2.0, 20}}},
                           {{{0.5, 44}, {1.5, 4}}},
                           {{{0.0, 12}, {2.0, 52}}},
                           {{{0.0, 30}, {1.0, -60}}}};

class Timing : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    project().layer.width = 192;
    project().layer.height = 108;
  }
  void KeyTrack(int index, const Track &track, int component = 0, const Track *second = nullptr) {
    for (std::size_t i = 0; i < track.keys.size(); ++i) {
      host::StreamValue v;
      v.v[component] = track.keys[i].second;
      if (second) v.v[1] = second->keys[i].second;
      param(index).stream.SetKey(track.keys[i].first, A_Time{0, 1}, v);
    }
  }
  void Animate(int s, const SlotAnimation &a) {
    // Centre x and y keyed at the same times: the y track is sampled at x's key times.
    Track x = a.cx, y;
    for (auto &key : x.keys) y.keys.push_back({key.first, a.cy.At(key.first)});
    KeyTrack(PARAM_CENTER(s), x, 0, &y);
    KeyTrack(PARAM_WIDTH(s), a.width);
    KeyTrack(PARAM_HEIGHT(s), a.height);
    KeyTrack(PARAM_ANGLE(s), a.angle);
  }
  // The rectangle of an animation at layer time t; the centre's y follows the sampled track.
  static std::array<XY, 4> RectangleAt(const SlotAnimation &a, double t) {
    Track y;
    for (auto &key : a.cx.keys) y.keys.push_back({key.first, a.cy.At(key.first)});
    return Corners(a.cx.At(t), y.At(t), a.width.At(t), a.height.At(t), a.angle.At(t));
  }
  // A closed four-vertex mask with curved sides, linked to slot s.
  int CurvedMask(int s) {
    const int index = AddMask(true, {{10, 10}, {50, 10}, {50, 40}, {10, 40}});
    auto &vertices = project().layer.masks[std::size_t(index)].outline.value.vertices;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      vertices[i].tan_in_x = -3.0 - double(i);
      vertices[i].tan_in_y = 1.5 * double(i);
      vertices[i].tan_out_x = 2.0 + double(i);
      vertices[i].tan_out_y = -0.5 - double(i);
    }
    Set(PARAM_MASK_PATH(s), {double(project().layer.masks[std::size_t(index)].id)});
    return index;
  }
  static void ExpectTangentsKept(const std::vector<AEGP_MaskVertex> &v) {
    ASSERT_EQ(v.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(v[i].tan_in_x, -3.0 - double(i)) << "vertex " << i;
      EXPECT_EQ(v[i].tan_in_y, 1.5 * double(i)) << "vertex " << i;
      EXPECT_EQ(v[i].tan_out_x, 2.0 + double(i)) << "vertex " << i;
      EXPECT_EQ(v[i].tan_out_y, -0.5 - double(i)) << "vertex " << i;
    }
  }
  static void ExpectOn(const std::vector<AEGP_MaskVertex> &v, const std::array<XY, 4> &corners,
                       double tolerance) {
    ASSERT_EQ(v.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(v[i].x, corners[i].x, tolerance) << "vertex " << i;
      EXPECT_NEAR(v[i].y, corners[i].y, tolerance) << "vertex " << i;
    }
  }
};

std::string Progress(double percent) {
  char line[64];
  std::snprintf(line, sizeof line, "Processing... %.2f%%", percent);
  return line;
}

TEST_F(Timing, BakeKeysEveryFrameAtRatesWhoseScaleIsNotTheRate) {
  struct Case {
    const char *name;
    double fps;
    A_u_long scale;
    double start, duration;  // seconds
  };
  const Case cases[] = {
      {"23.976", 24000.0 / 1001, 24000, 0, 2},
      {"29.97", 30000.0 / 1001, 30000, 0, 1},
      {"25 at scale 100", 25, 100, 0, 1.2},
      {"60 at scale 600", 60, 600, 0, 0.5},
      {"29.97 from 3.5 s", 30000.0 / 1001, 30000, 3.5, 1},
      {"25 from 2.2 s", 25, 25, 2.2, 0.64},
      {"a single frame at 60", 60, 600, 1.0, 1.0 / 60},
      {"less than a frame", 30, 3000, 0.5, 0.01},
      {"a frame every two seconds", 0.5, 10, 1, 4},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    project().comp.fps = c.fps;
    project().comp.time_scale = c.scale;
    project().comp.work_start = c.start;
    project().comp.work_duration = c.duration;
    ApplyEffect();
    Press(PARAM_CREATE_MASK);
    Press(PARAM_CREATE_MASK);
    project().info.Clear();
    Press(PARAM_BAKE_MASKS);
    ASSERT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);

    const A_long start = A_long(std::lround(c.start * c.scale));
    const double seconds = double(std::lround(c.duration * c.scale)) / c.scale;
    // Every frame of the work area, and at least one.
    const long frames = std::max(1L, std::lround(seconds * c.fps));
    for (int m = 0; m < 2; ++m) {
      const auto &keys = project().layer.masks[std::size_t(m)].outline.keys;
      ASSERT_EQ(long(keys.size()), frames) << "mask " << m;
      for (long i = 0; i < frames; ++i) {
        EXPECT_EQ(keys[std::size_t(i)].at.value,
                  start + A_long(std::lround(double(i) * double(c.scale) / c.fps)))
            << "frame " << i;
        EXPECT_EQ(keys[std::size_t(i)].at.scale, c.scale);
      }
    }
    const auto &info = project().info.lines();
    ASSERT_EQ(long(info.size()), frames + 1);
    // Progress runs from 0 to 100 % over the frames; a single frame is all of the work.
    for (long i = 0; i < frames; ++i) {
      EXPECT_EQ(info[std::size_t(i)],
                Progress(frames == 1 ? 100.0 : 100.0 * double(i) / double(frames - 1)));
    }
    EXPECT_EQ(info[info.size() - 2], "Processing... 100.00%");
    EXPECT_EQ(info.back(), "Completed");
    EXPECT_EQ(value(PARAM_ON), 0);
    ExpectNoProblems();
  }
}

TEST_F(Timing, AWorkAreaTooLongToBeRealIsRefusedBeforeAnyFrame) {
  // Fifteen million frames: no composition has them, and walking them would hang the application.
  project().comp.duration = 600000;
  project().comp.work_duration = 500000;
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  project().info.Clear();
  Press(PARAM_BAKE_MASKS);
  EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(project().info.lines().empty());
  EXPECT_TRUE(project().layer.masks[0].outline.keys.empty());
  EXPECT_EQ(value(PARAM_ON), 1);
  ExpectNoProblems();
}

TEST_F(Timing, ABakeWithEverySlotInUseKeysEveryMask) {
  project().comp.work_duration = 1.0 / 30;  // one frame
  ApplyEffect();
  Set(PARAM_ON, {0});  // no live update while the masks are made
  for (int s = 0; s < 50; ++s) Press(PARAM_CREATE_MASK);
  ASSERT_EQ(value(PARAM_NUMBER), 50);
  for (int s = 0; s < 50; ++s) Set(PARAM_CENTER(s), {double(2 * s), double(100 - s)});
  Set(PARAM_ON, {1});
  Press(PARAM_BAKE_MASKS);
  ASSERT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  for (int s = 0; s < 50; ++s) {
    const auto &keys = project().layer.masks[std::size_t(s)].outline.keys;
    ASSERT_EQ(keys.size(), 1u) << "slot " << s + 1;
    EXPECT_DOUBLE_EQ(keys[0].value.vertices[0].x, 2 * s - 320.0) << "slot " << s + 1;
  }
  ExpectNoProblems();
}

TEST_F(Timing, EveryBakedKeyIsTheRectangleOfItsOwnFrame) {
  // The layer starts late, so each key's composition time and the slot's layer time differ.
  project().layer.start = 0.25;
  project().comp.fps = 30000.0 / 1001;
  project().comp.time_scale = 30000;
  project().comp.work_start = 0.1;
  project().comp.work_duration = 2.2;
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  Set(PARAM_NUMBER, {2});
  const int curved = CurvedMask(1);
  Animate(0, kSlot1);
  Animate(1, kSlot2);
  Set(PARAM_ON, {1});
  Press(PARAM_BAKE_MASKS);
  ASSERT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);

  const SlotAnimation *animations[] = {&kSlot1, &kSlot2};
  const int masks[] = {0, curved};
  for (int s = 0; s < 2; ++s) {
    const auto &keys = project().layer.masks[std::size_t(masks[s])].outline.keys;
    ASSERT_EQ(keys.size(), 66u);
    for (const auto &key : keys) {
      const double layer_time = double(key.at.value) / double(key.at.scale) - 0.25;
      SCOPED_TRACE("slot " + std::to_string(s + 1) + " at " + std::to_string(layer_time));
      ExpectOn(key.value.vertices, RectangleAt(*animations[s], layer_time), 1e-6);
      if (s == 1) ExpectTangentsKept(key.value.vertices);
    }
  }
  ExpectNoProblems();
}

TEST_F(Timing, LiveUpdateIsTheRectangleOfTheRenderedFrameAtAnyResolution) {
  project().layer.start = 0.4;
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  Set(PARAM_NUMBER, {2});
  const int curved = CurvedMask(1);
  Animate(0, kSlot1);
  Animate(1, kSlot2);
  struct Case {
    double time;  // composition seconds, on a frame
    PF_RationalScale dx, dy;
  };
  const Case cases[] = {{0.4, {1, 1}, {1, 1}},
                        {0.9, {1, 2}, {1, 2}},
                        {1.3, {1, 4}, {1, 2}},
                        {1.8, {1, 2}, {1, 3}},
                        {2.6, {1, 1}, {1, 4}},
                        {0.1, {1, 3}, {1, 1}},
                        // Factors that mean nothing are full resolution, to the host as well.
                        {0.5, {0, 1}, {1, 0}},
                        {1.0, {-1, 2}, {1, 1}}};
  for (const Case &c : cases) {
    const double layer_time = c.time - 0.4;
    SCOPED_TRACE("at " + std::to_string(c.time) + " s, downsample 1/" + std::to_string(c.dx.den) +
                 " x 1/" + std::to_string(c.dy.den));
    host::CommandContext context;
    context.time = c.time;
    context.downsample_x = c.dx;
    context.downsample_y = c.dy;
    host::RenderResult r = session().Render(context);
    ASSERT_EQ(r.pre_render_err, PF_Err_NONE);
    // The centre comes in at the render's resolution, as 16.16 fixed point; the vertices are
    // back in full-resolution layer pixels.
    const double tolerance = 2e-4;
    ExpectOn(project().layer.masks[0].outline.At(layer_time).vertices,
             RectangleAt(kSlot1, layer_time), tolerance);
    const auto curved_now = project().layer.masks[std::size_t(curved)].outline.At(layer_time);
    ExpectOn(curved_now.vertices, RectangleAt(kSlot2, layer_time), tolerance);
    ExpectTangentsKept(curved_now.vertices);
    EXPECT_FALSE(curved_now.open);
  }
  ExpectNoProblems();
}

}  // namespace
}  // namespace orvane::test
