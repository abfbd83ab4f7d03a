// The mask commands through the loaded module: create, recolour, live update, render, slot
// visibility, and what a failing host call leaves behind.
#include <cstring>
#include <string>

#include "FaultSweep.h"
#include "HostFixture.h"
#include "protocol/HandleObjects.h"
#include "Params.h"

namespace orvane::test {
namespace {

class Masks : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ApplyEffect();
  }
  // Links slot s (0-based) to the layer mask at `index` through its path parameter.
  void Link(int s, int index) {
    Set(PARAM_MASK_PATH(s), {double(project().layer.masks.at(std::size_t(index)).id)});
  }
  std::vector<std::pair<double, double>> Points(int mask) {
    std::vector<std::pair<double, double>> out;
    for (const auto &v : project().layer.masks.at(std::size_t(mask)).outline.At(0).vertices)
      out.emplace_back(v.x, v.y);
    return out;
  }
  void ExpectCorners(int mask, std::vector<std::pair<double, double>> expected) {
    auto got = Points(mask);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].first, expected[i].first, 1e-6) << "vertex " << i;
      EXPECT_NEAR(got[i].second, expected[i].second, 1e-6) << "vertex " << i;
    }
  }
  std::size_t Calls(const char *function) {
    std::size_t n = 0;
    for (const auto &e : session().trace().entries()) n += std::strcmp(e.function, function) == 0;
    return n;
  }
};

TEST_F(Masks, CreateAddsALinkedClosedFourVertexMaskToTheNextSlot) {
  for (int i = 0; i < 3; ++i) Press(PARAM_CREATE_MASK);
  ASSERT_EQ(value(PARAM_NUMBER), 3);
  project().undo.Clear();

  Press(PARAM_CREATE_MASK);
  const auto &create = LastCommand(PF_Cmd_USER_CHANGED_PARAM);
  EXPECT_EQ(create.err, PF_Err_NONE);
  EXPECT_TRUE(create.out_flags & PF_OutFlag_FORCE_RERENDER);
  ASSERT_EQ(project().layer.masks.size(), 4u);
  const host::Mask &mask = project().layer.masks[3];
  EXPECT_FALSE(mask.outline.value.open);
  EXPECT_EQ(mask.outline.value.vertices.size(), 4u);
  EXPECT_EQ(value(PARAM_MASK_PATH(3)), mask.id);
  EXPECT_EQ(value(PARAM_NUMBER), 4);
  const AEGP_ColorVal &given = host::PaletteColor(3);
  for (int c = 0; c < 4; ++c) {
    const double expected[] = {given.alphaF, given.redF, given.greenF, given.blueF};
    EXPECT_DOUBLE_EQ(value(PARAM_MASK_COLOR(3), c), expected[c]);
  }
  ASSERT_FALSE(project().undo.entries().empty());
  EXPECT_EQ(project().undo.entries().front(), "Create Masks");
  EXPECT_EQ(
      std::count(project().undo.entries().begin(), project().undo.entries().end(), "Create Masks"),
      1);
  // The slot's controls are shown once Number counts it.
  EXPECT_FALSE(param(PARAM_CENTER(3)).hidden);
  EXPECT_TRUE(param(PARAM_CENTER(4)).hidden);
  ExpectNoProblems();
}

TEST_F(Masks, CreateWithAllFiftySlotsInUseChangesNothing) {
  Set(PARAM_NUMBER, {50});
  project().undo.Clear();
  session().trace().Reset();
  Press(PARAM_CREATE_MASK);
  const auto &create = LastCommand(PF_Cmd_USER_CHANGED_PARAM);
  EXPECT_EQ(create.err, PF_Err_NONE);
  EXPECT_TRUE(create.out_flags & PF_OutFlag_FORCE_RERENDER);
  EXPECT_TRUE(project().layer.masks.empty());
  EXPECT_EQ(value(PARAM_NUMBER), 50);
  EXPECT_EQ(Calls("AEGP_CreateNewMask"), 0u);
}

TEST_F(Masks, ColourChangeRecoloursOnlyTheLinkedMask) {
  for (int i = 0; i < 7; ++i) Press(PARAM_CREATE_MASK);
  const AEGP_ColorVal before = project().layer.masks[5].color;
  Set(PARAM_MASK_COLOR(6), {1.0, 128 / 255.0, 0.0, 1.0});
  EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  const AEGP_ColorVal &c = project().layer.masks[6].color;
  EXPECT_EQ(c.alphaF, 1.0);
  EXPECT_EQ(c.redF, 0.501960813999176);  // 128 / 255 in single precision, widened
  EXPECT_EQ(c.greenF, 0.0);
  EXPECT_EQ(c.blueF, 1.0);
  EXPECT_EQ(project().layer.masks[5].color.redF, before.redF);
}

TEST_F(Masks, ColourChangeWithoutALiveLinkDoesNothing) {
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  const AEGP_ColorVal first = project().layer.masks[0].color;
  // Slot 3 links nothing; slot 2's mask is deleted.
  Set(PARAM_NUMBER, {3});
  Set(PARAM_MASK_COLOR(2), {1, 0, 0, 0});
  EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  project().layer.masks.erase(project().layer.masks.begin() + 1);
  Set(PARAM_MASK_COLOR(1), {1, 0, 0, 0});
  EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  EXPECT_EQ(project().layer.masks[0].color.redF, first.redF);
  ExpectNoProblems();
}

TEST_F(Masks, OtherParameterIndicesOnlyAskForARender) {
  for (PF_ParamIndex index :
       {PARAM_RECTANGLES_END, PARAM_CENTER(0), PARAM_MASK_PATH(0), 1, 5000, -3}) {
    SCOPED_TRACE(index);
    session().trace().Reset();
    PF_UserChangedParamExtra extra{index};
    PF_OutData out{};
    EXPECT_EQ(session().Send(PF_Cmd_USER_CHANGED_PARAM, &extra, &out), PF_Err_NONE);
    EXPECT_TRUE(out.out_flags & PF_OutFlag_FORCE_RERENDER);
    EXPECT_EQ(Calls("AEGP_StartUndoGroup"), 0u);
  }
  EXPECT_TRUE(project().layer.masks.empty());
}

TEST_F(Masks, LiveUpdatePutsALinkedMaskOnItsRectangle) {
  Press(PARAM_CREATE_MASK);
  ExpectCorners(0, {{640, 360}, {1280, 360}, {1280, 720}, {640, 720}});

  Set(PARAM_CENTER(0), {100, 50});
  Set(PARAM_WIDTH(0), {4});
  Set(PARAM_HEIGHT(0), {2});
  Set(PARAM_ANGLE(0), {90});
  ExpectCorners(0, {{101, 48}, {101, 52}, {99, 52}, {99, 48}});
  ExpectNoProblems();
}

TEST_F(Masks, LiveUpdateFollowsKeyframesAtTheRenderTime) {
  Press(PARAM_CREATE_MASK);
  host::EffectParam &center = param(PARAM_CENTER(0));
  center.stream.SetKey(0.0, A_Time{0, 30}, host::StreamValue{{400, 300, 0, 0}});
  center.stream.SetKey(1.0, A_Time{30, 30}, host::StreamValue{{800, 300, 0, 0}});
  host::CommandContext at;
  at.time = 0.5;
  session().Render(at);
  auto v = project().layer.masks[0].outline.At(0).vertices;
  EXPECT_NEAR((v[0].x + v[2].x) / 2, 600, 1e-6);
  EXPECT_NEAR((v[0].y + v[2].y) / 2, 300, 1e-6);
}

TEST_F(Masks, LiveUpdateUndoesTheDownsampleForTheCentreOnly) {
  Press(PARAM_CREATE_MASK);
  Set(PARAM_CENTER(0), {200, 100});
  host::CommandContext half;
  half.downsample_x = half.downsample_y = PF_RationalScale{1, 2};
  host::RenderResult r = session().Render(half);
  ASSERT_EQ(r.pre_render_err, PF_Err_NONE);
  // The checkout gave (100, 50); the mask is centred at (200, 100) and keeps 640 x 360.
  ExpectCorners(0, {{-120, -80}, {520, -80}, {520, 280}, {-120, 280}});
}

TEST_F(Masks, LiveUpdateLeavesOtherOutlinesAlone) {
  const int pentagon = AddMask(true, {{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}});
  const int open_four = AddMask(false, {{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}});
  Set(PARAM_NUMBER, {2});
  Link(0, pentagon);
  Link(1, open_four);
  auto before_pentagon = Points(pentagon), before_open = Points(open_four);
  session().Render(session().context());
  EXPECT_EQ(Points(pentagon), before_pentagon);
  EXPECT_EQ(Points(open_four), before_open);
  ExpectNoProblems();
}

TEST_F(Masks, WithOnClearedPreRenderTouchesNoMask) {
  Press(PARAM_CREATE_MASK);
  Set(PARAM_ON, {0});
  Set(PARAM_CENTER(0), {10, 10});
  project().undo.Clear();
  session().trace().Reset();
  host::RenderResult r = session().Render(session().context());
  EXPECT_EQ(r.pre_render_err, PF_Err_NONE);
  EXPECT_TRUE(project().undo.entries().empty());
  EXPECT_EQ(Calls("AEGP_StartUndoGroup"), 0u);
  EXPECT_EQ(Calls("AEGP_GetLayerMaskByIndex"), 0u);
  EXPECT_EQ(Calls("checkout_layer"), 1u);
  EXPECT_EQ(r.result_rect.right, 1920);
  EXPECT_EQ(r.max_result_rect.bottom, 1080);
  ExpectCorners(0, {{640, 360}, {1280, 360}, {1280, 720}, {640, 720}});
}

// Each pre-render opens its group; one that writes nothing leaves nothing to undo.
TEST_F(Masks, WithNoSlotInUseEachPreRenderOpensAGroupThatLeavesNoEntry) {
  project().undo.Clear();
  session().trace().Reset();
  session().Render(session().context());
  EXPECT_EQ(Calls("AEGP_StartUndoGroup"), 1u);
  EXPECT_TRUE(project().undo.entries().empty());
}

// Each render after the last at another depth or size, one of them changed at a time: the
// output is made anew for it.
TEST_F(Masks, RenderedOutputEqualsInputAtEveryDepthAndSize) {
  struct Render {
    int depth;
    A_u_long across, down;  // downsample factors, 1/n
  };
  for (const Render &r : {Render{8, 1, 1}, Render{16, 2, 2}, Render{32, 1, 1}, Render{32, 2, 1},
                          Render{32, 2, 2}, Render{8, 2, 2}}) {
    SCOPED_TRACE(std::to_string(r.depth) + " bits at 1/" + std::to_string(r.across) + " by 1/" +
                 std::to_string(r.down));
    host::CommandContext context = session().context();
    context.downsample_x = PF_RationalScale{1, r.across};
    context.downsample_y = PF_RationalScale{1, r.down};
    host::RenderResult result = session().Render(context, r.depth);
    EXPECT_TRUE(result.rendered);
    EXPECT_TRUE(result.output_equals_input);
    // A downsampled size is rounded up.
    const host::Image &output = session().render_state().output;
    EXPECT_EQ(output.width, (project().layer.width + A_long(r.across) - 1) / A_long(r.across));
    EXPECT_EQ(output.height, (project().layer.height + A_long(r.down) - 1) / A_long(r.down));
    EXPECT_EQ(output.depth, r.depth);
  }
}

TEST_F(Masks, SlotControlsFollowNumber) {
  auto hidden = [&](int index) { return param(index).hidden; };
  for (int i = 2; i <= 251; ++i) ASSERT_TRUE(hidden(i)) << i;  // Number 0 after apply
  Set(PARAM_NUMBER, {3});
  for (int i = 2; i <= 16; ++i) EXPECT_FALSE(hidden(i)) << i;
  for (int i = 17; i <= 251; ++i) EXPECT_TRUE(hidden(i)) << i;
  Set(PARAM_NUMBER, {50});
  for (int i = 2; i <= 251; ++i) EXPECT_FALSE(hidden(i)) << i;
  Set(PARAM_NUMBER, {1});
  EXPECT_TRUE(hidden(PARAM_CENTER(1)));
  // Path parameters, groups and the controls outside the slots are never hidden.
  for (int i : {1, 252, 253, 254, 255, 280, 304, 305, 306, 307, 308}) EXPECT_FALSE(hidden(i)) << i;
  EXPECT_TRUE(LastCommand(PF_Cmd_UPDATE_PARAMS_UI).out_flags & PF_OutFlag_REFRESH_UI);
}

TEST_F(Masks, NumberOutsideItsRangeIsClampedBeforeUse) {
  // A host that hands over a "Number" beyond 50 must not make the module index past its slots.
  param(PARAM_NUMBER).stream.value.v[0] = 5000;
  session().Send(PF_Cmd_UPDATE_PARAMS_UI);
  session().Render(session().context());
  PF_UserChangedParamExtra extra{PARAM_CREATE_MASK};
  EXPECT_EQ(session().Send(PF_Cmd_USER_CHANGED_PARAM, &extra), PF_Err_NONE);
  EXPECT_TRUE(project().layer.masks.empty());
  param(PARAM_NUMBER).stream.value.v[0] = -4;
  EXPECT_EQ(session().Send(PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
  ExpectNoProblems();
}

// ---- failures ----

// A small layer keeps the hundreds of reruns of a sweep quick; nothing here depends on its size.
void AppliedWithMasks(host::Session &s, int count) {
  s.project().layer.width = 64;
  s.project().layer.height = 36;
  ASSERT_EQ(s.Apply(), PF_Err_NONE);
  for (int i = 0; i < count; ++i) s.ParamChanged(PARAM_CREATE_MASK);
}

TEST(MaskFaults, CreateStopsAtAFailedCallAndTidiesUp) {
  SweepCase c;
  c.setup = [](host::Session &s) { AppliedWithMasks(s, 1); };
  c.command = [](host::Session &s) {
    PF_UserChangedParamExtra extra{PARAM_CREATE_MASK};
    return s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
  };
  static host::Module module(ORVANE_MODULE_PATH);
  EXPECT_GT(SweepFaults(module, c), 20u);
}

TEST(MaskFaults, LiveUpdateStopsAtAFailedCallAndTidiesUp) {
  SweepCase c;
  c.setup = [](host::Session &s) { AppliedWithMasks(s, 2); };
  c.command = [](host::Session &s) {
    host::RenderResult r = s.Render(s.context());
    return r.pre_render_err ? r.pre_render_err : r.render_err;
  };
  // Handing a parameter back cannot fail the render.
  c.propagates = [](const char *fn) { return std::strcmp(fn, "checkin_param") != 0; };
  static host::Module module(ORVANE_MODULE_PATH);
  EXPECT_GT(SweepFaults(module, c), 250u);
}

TEST(MaskFaults, ColourUpdateAndSlotVisibilityStopAtAFailedCall) {
  static host::Module module(ORVANE_MODULE_PATH);
  SweepCase colour;
  colour.setup = [](host::Session &s) { AppliedWithMasks(s, 2); };
  colour.command = [](host::Session &s) {
    PF_UserChangedParamExtra extra{PARAM_MASK_COLOR(1)};
    return s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
  };
  EXPECT_GT(SweepFaults(module, colour), 5u);

  SweepCase ui;
  ui.setup = [](host::Session &s) { AppliedWithMasks(s, 0); };
  ui.command = [](host::Session &s) { return s.Send(PF_Cmd_UPDATE_PARAMS_UI); };
  EXPECT_EQ(SweepFaults(module, ui), 752u);
}

TEST(MaskFaults, AMissingSuiteReturns516WithEverythingReleased) {
  static host::Module module(ORVANE_MODULE_PATH);
  for (auto [name, version] : {std::pair<const char *, int>{"AEGP Layer Mask Suite", 6},
                               {"AEGP Stream Suite", 9},
                               {"AEGP Utility Suite", 11},
                               {"AEGP Layer Suite", 13},
                               // The suites that release the effect reference and the mask: when
                               // missing they must stop the command before there is anything to
                               // release.
                               {"AEGP Effect Suite", 3},
                               {"AEGP Layer Mask Suite", 5}}) {
    SCOPED_TRACE(name);
    host::Session s(module);
    AppliedWithMasks(s, 1);
    s.suites().Withhold(name, version);
    PF_UserChangedParamExtra extra{PARAM_CREATE_MASK};
    EXPECT_EQ(s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(s.suites().Outstanding().empty());
    EXPECT_TRUE(s.commands().back().problems.empty()) << s.commands().back().problems.front();
  }
}

}  // namespace
}  // namespace orvane::test
