// Numbers a user types that the host could get silently wrong: frame rates without a time scale,
// fractions where whole numbers are meant, times that a stretched layer pushes past the ticks a
// time can hold, and time-outs that are not numbers.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include <nlohmann/json.hpp>

#include "HostFixture.h"
#include "HostProcess.h"
#include "model/Image.h"
#include "protocol/Suites.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;

bool OneLine(const std::string &text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

// A bake of one rectangle over the whole composition, as a dump.
nlohmann::json Bake(const std::string &name, const std::string &comp) {
  const std::string path = WriteTemp(name, R"({"comp": )" + comp + R"(, "steps": [
      {"do": "apply"}, {"do": "press", "param": "Create Mask"},
      {"do": "press", "param": "Bake Masks"}]})");
  auto r = RunHost("run " + path + " --json", false);
  EXPECT_EQ(r.code, 0);
  return nlohmann::json::parse(r.out, nullptr, false);
}

TEST(Numbers, BroadcastRatesWithoutATimeScaleBakeEveryFrameOnItsOwnTick) {
  struct Case {
    const char *fps;
    int frames;          // 2 s of frames, as the application counts them
    long ticks_a_frame;  // at the broadcast scale
    long scale;
  };
  for (const Case &c : {Case{"29.97", 60, 1001, 30000}, Case{"23.976", 48, 1001, 24000}}) {
    SCOPED_TRACE(c.fps);
    auto dump = Bake(std::string("rate") + c.fps + ".json",
                     std::string(R"({"fps": )") + c.fps + R"(, "duration": 2})");
    ASSERT_FALSE(dump.is_discarded());
    const auto &keys = dump["masks"][0]["keyframes"];
    ASSERT_EQ(keys.size(), std::size_t(c.frames));
    for (std::size_t k = 0; k < keys.size(); ++k) {
      EXPECT_EQ(keys[k]["scale"], c.scale);
      EXPECT_EQ(keys[k]["tick"], long(k) * c.ticks_a_frame) << "frame " << k;
    }
  }
}

TEST(Numbers, SlowAndOddRatesGetATimeScaleOrAskForOne) {
  // Half a frame a second: one tick a second, two ticks a frame; 4 s hold two frames.
  auto dump = Bake("half.json", R"({"fps": 0.5, "duration": 4})");
  ASSERT_FALSE(dump.is_discarded());
  const auto &keys = dump["masks"][0]["keyframes"];
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[1]["tick"], 2);
  EXPECT_EQ(keys[1]["scale"], 1);
  // 12.5 fps: 25 ticks a second, 2 a frame.
  dump = Bake("twelve.json", R"({"fps": 12.5, "duration": 1})");
  ASSERT_FALSE(dump.is_discarded());
  ASSERT_EQ(dump["masks"][0]["keyframes"].size(), 13u);
  EXPECT_EQ(dump["masks"][0]["keyframes"][12]["tick"], 24);

  // 2.4 fps: 12 ticks a second, 5 a frame, the first count of ticks past two that holds a frame.
  dump = Bake("five.json", R"({"fps": 2.4, "duration": 2.5})");
  ASSERT_FALSE(dump.is_discarded());
  ASSERT_EQ(dump["masks"][0]["keyframes"].size(), 6u);
  EXPECT_EQ(dump["masks"][0]["keyframes"][5]["tick"], 25);
  EXPECT_EQ(dump["masks"][0]["keyframes"][5]["scale"], 12);
  // 0.999 is the broadcast kin of 1 fps: 1000 ticks a second, 1001 a frame.
  dump = Bake("slowest-broadcast.json", R"({"fps": 0.999, "duration": 3})");
  ASSERT_FALSE(dump.is_discarded());
  ASSERT_EQ(dump["masks"][0]["keyframes"].size(), 3u);
  EXPECT_EQ(dump["masks"][0]["keyframes"][1]["tick"], 1001);
  EXPECT_EQ(dump["masks"][0]["keyframes"][1]["scale"], 1000);

  const std::string odd =
      WriteTemp("odd.json", R"({"comp": {"fps": 3.14159265}, "steps": [{"do": "apply"}]})");
  auto r = RunHost("run " + odd + " --quiet");
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(OneLine(r.out)) << r.out;
  EXPECT_NE(r.out.find("give comp \"time_scale\""), std::string::npos) << r.out;
}

TEST(Numbers, FractionsWhereWholeNumbersAreMeantAreRefusedAndWholeOnesTaken) {
  struct Case {
    std::string scenario, expected;
  };
  const Case cases[] = {
      {R"({"comp": {"fps": 30, "time_scale": 29.5}, "steps": [{"do": "apply"}]})",
       "comp time_scale is 29.5"},
      {R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Number", "value": 2.5}]})",
       "whole number"},
      {R"({"steps": [{"do": "apply"}, {"do": "expression", "param": "Number", "value": 0.5}]})",
       "adds a whole number"},
  };
  int n = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.scenario);
    auto r = RunHost("run " + WriteTemp("whole" + std::to_string(n++) + ".json", c.scenario) +
                     " --quiet");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(OneLine(r.out)) << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
  }
  const std::string whole = WriteTemp("whole.json", R"({"steps": [{"do": "apply"},
      {"do": "set", "param": "Number", "value": 3},
      {"do": "expression", "param": "Number", "value": -2}]})");
  auto r = RunHost("run " + whole + " --quiet");
  EXPECT_EQ(r.code, 0) << r.out;
}

TEST(Numbers, TheTickLimitCountsTheLayersStretch) {
  // At 1 % stretch, 800,000 s of composition time are 80,000,000 s of layer time: 2.4 billion
  // ticks at 30 a second, past the 2,147,483,647 a time holds. Without the stretch it fits.
  // One frame a second keeps the million seconds within the frame limit.
  const std::string stretched = WriteTemp("stretched.json", R"({"layer": {"stretch": 1},
      "comp": {"fps": 1, "time_scale": 30, "duration": 1000000},
      "steps": [{"do": "apply"}, {"do": "render", "time": 800000}]})");
  auto r = RunHost("run " + stretched + " --quiet");
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(OneLine(r.out)) << r.out;
  EXPECT_NE(r.out.find("in layer time"), std::string::npos) << r.out;
  const std::string plain = WriteTemp("plain.json", R"({"layer": {"stretch": 100},
      "comp": {"fps": 1, "time_scale": 30, "duration": 1000000},
      "steps": [{"do": "apply"}, {"do": "render", "time": 800000}]})");
  r = RunHost("run " + plain + " --quiet");
  EXPECT_EQ(r.code, 0) << r.out;
}

TEST(Numbers, ATimeMayBeTheLastTickA32BitTimeHoldsAndNotTheNext) {
  // One tick a second: a layer starting 2,147,483,647 s in is on the last tick.
  const auto starting = [](const std::string &start) {
    return WriteTemp("start-" + start + ".json", R"({"layer": {"start": )" + start + R"(},
        "comp": {"fps": 1, "time_scale": 1, "duration": 2},
        "steps": [{"do": "apply"}]})");
  };
  auto r = RunHost("run " + starting("2147483647") + " --quiet");
  EXPECT_EQ(r.code, 0) << r.out;
  r = RunHost("run " + starting("2147483648") + " --quiet");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(
      r.out.find("layer start is 2,147,483,648 s, which at a time_scale of 1 is more than the "
                 "2,147,483,647 ticks a time can hold"),
      std::string::npos)
      << r.out;
}

TEST(Numbers, ATimeOutIsAFinitePositiveNumber) {
  const std::string path = WriteTemp("timeout.json", R"({"steps": [{"do": "apply"}]})");
  for (const char *seconds : {"nan", "NaN", "inf", "-1", "0", "1e400", "5s"}) {
    SCOPED_TRACE(seconds);
    auto r = RunHost("run " + path + " --quiet --timeout " + seconds);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("--timeout"), std::string::npos) << r.out;
    r = RunHost(std::string("validate ") + ORVANE_MODULE_PATH +
                " --reproduce parameters --timeout " + seconds);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("--timeout"), std::string::npos) << r.out;
  }
  auto r = RunHost("run " + path + " --quiet --timeout 0.5e1");
  EXPECT_EQ(r.code, 0) << r.out;
}

// The copy callback takes its rectangles from the module: sides whose difference does not fit
// 32 bits are an empty rectangle, not a wrapped width that copies rows.
class CopyCallback : public orvane::test::HostTest {};

TEST_F(CopyCallback, RectanglesWhoseSidesWouldWrapCopyNothing) {
  PF_InData in{};
  PF_UtilCallbacks utils{};
  orvane::host::InstallCallbacks(in, utils);
  orvane::host::Image from(8, 8, 8), to(8, 8, 8);
  std::fill(from.data.begin(), from.data.end(), uint8_t(0x11));
  std::fill(to.data.begin(), to.data.end(), uint8_t(0x22));
  PF_EffectWorld src = from.World(), dst = to.World();
  PF_Rect wrapping_source{5, 0, INT_MIN, 8};  // right - left is below INT_MIN
  PF_Rect wrapping_target{1, 0, INT_MIN, 8};
  PF_Rect whole{0, 0, 8, 8};
  EXPECT_EQ(utils.copy(session().effect_ref(), &src, &dst, &wrapping_source, &whole), PF_Err_NONE);
  EXPECT_EQ(utils.copy(session().effect_ref(), &src, &dst, &whole, &wrapping_target), PF_Err_NONE);
  EXPECT_EQ(std::count(to.data.begin(), to.data.end(), 0x22), long(to.data.size()));
  // The same call with sound rectangles does copy: the test above is not vacuous.
  EXPECT_EQ(utils.copy(session().effect_ref(), &src, &dst, &whole, &whole), PF_Err_NONE);
  EXPECT_EQ(to.Row(7)[0], 0x11);
}

// A copy takes the overlap of its two rectangles, cut to both worlds: a source side left of the
// world starts at its edge, a destination left of or above its world copies nothing, and worlds
// of different pixel sizes are refused.
TEST_F(CopyCallback, CopiesTheOverlapOfItsRectanglesCutToBothWorlds) {
  PF_InData in{};
  PF_UtilCallbacks utils{};
  orvane::host::InstallCallbacks(in, utils);
  orvane::host::Image from(8, 8, 8);
  for (A_long y = 0; y < 8; ++y) {
    for (A_long x = 0; x < 32; ++x) from.Row(y)[x] = uint8_t(16 * y + x / 4);  // pixel (x, y)
  }
  PF_EffectWorld src = from.World();
  // Each case: the rectangles, and where the source's left top lands and how much is copied.
  struct Case {
    PF_Rect s, d;
    int from_x, from_y, to_x, to_y, width, height;
  };
  const Case cases[] = {
      {{2, 1, 5, 4}, {4, 3, 8, 8}, 2, 1, 4, 3, 3, 3},
      {{6, 0, 12, 2}, {0, 0, 6, 2}, 6, 0, 0, 0, 2, 2},   // cut to the source's width
      {{0, 5, 8, 8}, {5, 6, 8, 8}, 0, 5, 5, 6, 3, 2},    // cut to the destination
      {{-3, -2, 2, 1}, {1, 1, 8, 8}, 0, 0, 1, 1, 2, 1},  // the source starts at its edge
      {{0, 0, 8, 8}, {1, 2, 3, 5}, 0, 0, 1, 2, 2, 3},    // cut to the destination's rectangle
      {{0, 0, 8, 8}, {-1, 0, 8, 8}, 0, 0, 0, 0, 0, 0},   // nothing
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.d.left << "," << c.d.top);
    orvane::host::Image to(8, 8, 8);
    std::fill(to.data.begin(), to.data.end(), uint8_t(0xEE));
    PF_EffectWorld dst = to.World();
    PF_Rect s = c.s, d = c.d;
    ASSERT_EQ(utils.copy(session().effect_ref(), &src, &dst, &s, &d), PF_Err_NONE);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool inside =
            x >= c.to_x && x < c.to_x + c.width && y >= c.to_y && y < c.to_y + c.height;
        const int expected = inside ? 16 * (c.from_y + y - c.to_y) + c.from_x + x - c.to_x : 0xEE;
        ASSERT_EQ(to.Row(y)[4 * x], expected) << x << "," << y;
      }
    }
  }
  orvane::host::Image whole(8, 8, 8), deep(8, 8, 16);
  PF_EffectWorld dst = whole.World(), deep_world = deep.World();
  EXPECT_EQ(utils.copy(session().effect_ref(), &src, &deep_world, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(utils.copy(session().effect_ref(), &src, &dst, nullptr, nullptr), PF_Err_NONE);
  EXPECT_EQ(whole.data, from.data);
  // No world, a world without pixels, or a call from no effect copies nothing.
  PF_EffectWorld empty = dst;
  empty.data = nullptr;
  int not_the_effect = 0;
  EXPECT_EQ(utils.copy(session().effect_ref(), nullptr, &dst, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(utils.copy(session().effect_ref(), &src, &empty, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(utils.copy(reinterpret_cast<PF_ProgPtr>(&not_the_effect), &src, &dst, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  // The C library's absolute value, which the application hands over with the copy.
  EXPECT_EQ(utils.ansi.fabs(-2.5), 2.5);
  EXPECT_EQ(utils.ansi.fabs(3.25), 3.25);
}

}  // namespace
