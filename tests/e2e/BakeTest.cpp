// The bake through the loaded module: one key per frame of the work area, progress, "On"
// cleared, which masks take part, and what a failure leaves behind.
#include <cmath>
#include <cstring>

#include "FaultSweep.h"
#include "HostFixture.h"
#include "Params.h"

namespace orvane::test {
namespace {

class Bake : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    project().layer.width = 192;  // the size plays no part here; a small layer renders quickly
    project().layer.height = 108;
  }
  void WorkArea(double fps, A_u_long scale, double start, double duration) {
    project().comp.fps = fps;
    project().comp.time_scale = scale;
    project().comp.work_start = start;
    project().comp.work_duration = duration;
  }
  void PressBake() {
    project().undo.Clear();
    project().info.Clear();
    session().trace().Reset();
    Press(PARAM_BAKE_MASKS);
  }
  std::vector<A_long> Ticks(int mask) {
    std::vector<A_long> ticks;
    for (const auto &key : project().layer.masks.at(std::size_t(mask)).outline.keys)
      ticks.push_back(key.at.value);
    return ticks;
  }
  std::size_t Calls(const char *function) {
    std::size_t n = 0;
    for (const auto &e : session().trace().entries()) n += std::strcmp(e.function, function) == 0;
    return n;
  }
  void Link(int s, int mask) {
    Set(PARAM_MASK_PATH(s), {double(project().layer.masks.at(std::size_t(mask)).id)});
  }
};

std::vector<A_long> Range(A_long from, A_long to) {
  std::vector<A_long> out;
  for (A_long t = from; t <= to; ++t) out.push_back(t);
  return out;
}

TEST_F(Bake, OneKeyOnEveryFrameAt30And25Fps) {
  struct Case {
    double fps;
    A_long frames;
  };
  for (Case c : {Case{30, 30}, Case{25, 25}}) {
    SCOPED_TRACE(c.fps);
    SetUp();
    WorkArea(c.fps, A_u_long(c.fps), 0, 1);
    ApplyEffect();
    Press(PARAM_CREATE_MASK);
    PressBake();
    EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
    EXPECT_EQ(Ticks(0), Range(0, c.frames - 1));
    const auto &info = project().info.lines();
    ASSERT_EQ(info.size(), std::size_t(c.frames + 1));
    EXPECT_EQ(info.front(), "Processing... 0.00%");
    EXPECT_EQ(info[info.size() - 2], "Processing... 100.00%");
    EXPECT_EQ(info.back(), "Completed");
    EXPECT_EQ(value(PARAM_ON), 0);
    EXPECT_EQ(project().undo.entries(), (std::vector<std::string>{"Bake Masks"}));
    ExpectNoProblems();
  }
}

TEST_F(Bake, EachKeyHoldsTheRectangleOfItsOwnFrame) {
  WorkArea(10, 10, 0.5, 1);  // frames at 0.5 s .. 1.4 s
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  host::EffectParam &center = param(PARAM_CENTER(0));
  center.stream.SetKey(0.0, A_Time{0, 10}, host::StreamValue{{0, 100, 0, 0}});
  center.stream.SetKey(2.0, A_Time{20, 10}, host::StreamValue{{200, 100, 0, 0}});
  param(PARAM_WIDTH(0)).stream.SetKey(0.0, A_Time{0, 10}, host::StreamValue{{10, 0, 0, 0}});
  param(PARAM_WIDTH(0)).stream.SetKey(2.0, A_Time{20, 10}, host::StreamValue{{30, 0, 0, 0}});
  PressBake();
  const auto &keys = project().layer.masks[0].outline.keys;
  ASSERT_EQ(keys.size(), 10u);
  EXPECT_EQ(Ticks(0), Range(5, 14));
  for (const auto &key : keys) {
    const double t = key.at.value / 10.0;
    const auto &v = key.value.vertices;
    SCOPED_TRACE(t);
    EXPECT_NEAR((v[0].x + v[2].x) / 2, 100 * t, 1e-9);
    EXPECT_NEAR(v[1].x - v[0].x, 10 + 10 * t, 1e-9);
  }
}

TEST_F(Bake, LayerTimeAndCompositionTimeDiffer) {
  // The layer starts 1 s into the composition: the key on composition frame 0 of the work area
  // reads the slot at layer time -1 s.
  project().layer.start = 1.0;
  WorkArea(10, 10, 1.0, 0.5);
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  host::EffectParam &center = param(PARAM_CENTER(0));
  center.stream.SetKey(0.0, A_Time{10, 10}, host::StreamValue{{0, 0, 0, 0}});
  center.stream.SetKey(1.0, A_Time{20, 10}, host::StreamValue{{100, 0, 0, 0}});
  PressBake();
  EXPECT_EQ(Ticks(0), Range(10, 14));
  const auto &keys = project().layer.masks[0].outline.keys;
  EXPECT_DOUBLE_EQ(keys.front().time, 0.0);  // layer time of composition tick 10
  EXPECT_NEAR((keys[2].value.vertices[0].x + keys[2].value.vertices[2].x) / 2, 20, 1e-9);
}

TEST_F(Bake, WithNoSlotInUseItStillReportsAndClearsOn) {
  WorkArea(30, 30, 0, 0.1);
  ApplyEffect();
  PressBake();
  EXPECT_EQ(project().undo.entries(), (std::vector<std::string>{"Bake Masks"}));
  EXPECT_EQ(project().info.lines().size(), 4u);
  EXPECT_EQ(project().info.lines().back(), "Completed");
  EXPECT_EQ(value(PARAM_ON), 0);
  EXPECT_EQ(Calls("AEGP_AddKeyframes"), 0u);
}

TEST_F(Bake, WithOnClearedNothingHappens) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  Set(PARAM_ON, {0});
  PressBake();
  EXPECT_TRUE(project().undo.entries().empty());
  EXPECT_TRUE(project().info.lines().empty());
  EXPECT_EQ(Calls("AEGP_GetCompFramerate"), 0u);
  EXPECT_TRUE(project().layer.masks[0].outline.keys.empty());
}

TEST_F(Bake, WhichOutlinesTakePart) {
  WorkArea(10, 10, 0, 0.2);
  ApplyEffect();
  const int pentagon = AddMask(true, {{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}});
  const int open_four = AddMask(false, {{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}});
  const int open_three = AddMask(false, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const int triangle = AddMask(true, {{0, 0}, {10, 0}, {5, 10}});
  Set(PARAM_NUMBER, {4});
  Link(0, pentagon);
  Link(1, open_four);
  Link(2, open_three);
  Link(3, triangle);
  PressBake();
  EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  // A closed pentagon: the first four vertices follow the rectangle, the fifth keeps its place.
  const auto &pk = project().layer.masks[std::size_t(pentagon)].outline.keys;
  ASSERT_EQ(pk.size(), 2u);
  EXPECT_DOUBLE_EQ(pk[0].value.vertices[0].x, 96 - 320);
  EXPECT_DOUBLE_EQ(pk[0].value.vertices[4].x, 0);
  EXPECT_DOUBLE_EQ(pk[0].value.vertices[4].y, 10);
  EXPECT_EQ(project().layer.masks[std::size_t(open_four)].outline.keys.size(), 2u);
  EXPECT_TRUE(project().layer.masks[std::size_t(open_three)].outline.keys.empty());
  // A closed triangle gets its three vertices written, and the bake goes on.
  const auto &tk = project().layer.masks[std::size_t(triangle)].outline.keys;
  ASSERT_EQ(tk.size(), 2u);
  EXPECT_EQ(tk[0].value.vertices.size(), 3u);
  EXPECT_DOUBLE_EQ(tk[0].value.vertices[2].x, 96 + 320);
  ExpectNoProblems();
}

TEST_F(Bake, KeysOutsideTheWorkAreaStay) {
  WorkArea(10, 10, 1.0, 0.3);
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  host::Outline early = project().layer.masks[0].outline.value;
  project().layer.masks[0].outline.SetKey(0.0, A_Time{0, 10}, early);
  project().layer.masks[0].outline.SetKey(5.0, A_Time{50, 10}, early);
  Set(PARAM_ON, {1});
  PressBake();
  EXPECT_EQ(Ticks(0), (std::vector<A_long>{0, 10, 11, 12, 50}));
}

TEST_F(Bake, AFrameRateOrDurationThatIsNotPositiveBakesNothing) {
  struct Case {
    double fps;
    double duration;
  };
  for (Case c : {Case{0, 1}, Case{-30, 1}, Case{std::nan(""), 1}, Case{30, 0}, Case{30, -2}}) {
    SCOPED_TRACE(std::to_string(c.fps) + " fps, " + std::to_string(c.duration) + " s");
    SetUp();
    ApplyEffect();
    Press(PARAM_CREATE_MASK);
    project().comp.fps = c.fps;
    project().comp.work_duration = c.duration;
    PressBake();
    EXPECT_NE(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
    EXPECT_TRUE(project().layer.masks[0].outline.keys.empty());
    EXPECT_EQ(value(PARAM_ON), 1);
    EXPECT_TRUE(project().info.lines().empty());
    EXPECT_EQ(
        [&] {
          const auto undo = project().undo.entries();
          return std::count(undo.begin(), undo.end(), "Bake Masks");
        }(),
        0);
    ExpectNoProblems();
  }
}

TEST(BakeFaults, AFailureLeavesNoBatchOrGroupOpenAndOnSet) {
  static host::Module module(ORVANE_MODULE_PATH);
  SweepCase c;
  c.setup = [](host::Session &s) {
    s.project().layer.width = 64;
    s.project().layer.height = 36;
    s.project().comp.work_duration = 3.0 / 30;
    ASSERT_EQ(s.Apply(), PF_Err_NONE);
    s.ParamChanged(PARAM_CREATE_MASK);
    s.ParamChanged(PARAM_CREATE_MASK);
  };
  c.command = [](host::Session &s) {
    PF_UserChangedParamExtra extra{PARAM_BAKE_MASKS};
    PF_Err err = s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
    if (err) {
      // Keys are added only as their batch ends, and "On" is cleared by the bake's one stream
      // write: a failure before either leaves the project without keys and with "On" set.
      bool committed = false, on_written = false;
      for (const auto &call : s.trace().entries()) {
        if (call.injected) break;
        committed = committed || std::strcmp(call.function, "AEGP_EndAddKeyframes") == 0;
        on_written = on_written || std::strcmp(call.function, "AEGP_SetStreamValue") == 0;
      }
      if (!on_written) {
        EXPECT_EQ(s.project().effect.params[PARAM_ON].stream.value.v[0], 1);
      }
      if (!committed) {
        for (const auto &mask : s.project().layer.masks) EXPECT_TRUE(mask.outline.keys.empty());
      }
    }
    return err;
  };
  EXPECT_GT(SweepFaults(module, c), 60u);
}

}  // namespace
}  // namespace orvane::test
