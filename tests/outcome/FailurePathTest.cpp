// What a failed command still hands the application besides its error code: the flags it must
// set anyway, the rectangles it must leave alone, the exact codes of a refused block or a missing
// basic suite, and the global data handle left unlocked.
#include <string>
#include <utility>

#include "AE_EffectCBSuites.h"
#include "HostFixture.h"
#include "protocol/HandleObjects.h"
#include "Params.h"
#include "protocol/Suites.h"

namespace orvane::test {
namespace {

constexpr PF_Err kRefused = 0x4F57;  // an error no host function returns by itself

class FailurePath : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    project().layer.width = 192;
    project().layer.height = 108;
  }
  PF_Err SendFailing(PF_Cmd cmd, void *extra, PF_OutData &out, const char *function,
                     std::size_t nth) {
    session().trace().ClearFaults();
    session().trace().FailFunction(function, nth, kRefused);
    out = PF_OutData{};
    const PF_Err err = session().Send(cmd, extra, &out);
    session().trace().ClearFaults();
    return err;
  }
};

TEST_F(FailurePath, AFailedUIUpdateStillAsksForTheControlsToBeRedrawn) {
  ApplyEffect();
  Set(PARAM_NUMBER, {3});
  struct Case {
    const char *function;
    std::size_t nth;
  };
  for (Case c : {Case{"AEGP_GetNewEffectForEffect", 1}, Case{"AEGP_GetNewEffectStreamByIndex", 1},
                 Case{"AEGP_SetDynamicStreamFlag", 9}, Case{"AEGP_DisposeStream", 250},
                 Case{"AEGP_DisposeEffect", 1}}) {
    SCOPED_TRACE(c.function);
    PF_OutData out;
    EXPECT_EQ(SendFailing(PF_Cmd_UPDATE_PARAMS_UI, nullptr, out, c.function, c.nth), kRefused);
    EXPECT_TRUE(out.out_flags & PF_OutFlag_REFRESH_UI);
    EXPECT_TRUE(session().commands().back().problems.empty());
  }
  // The streams handled before a failure keep their new flag: slots 1 and 2 shown, the rest of
  // slot 2 and everything after untouched by the failed command.
  for (int index = PARAM_MASK_COLOR(0); index <= PARAM_ANGLE(49); ++index)
    param(index).hidden = true;
  PF_OutData out;
  EXPECT_EQ(SendFailing(PF_Cmd_UPDATE_PARAMS_UI, nullptr, out, "AEGP_SetDynamicStreamFlag", 8),
            kRefused);
  // Seven flags were set (slot 1, then slot 2's colour and centre); the eighth failed.
  for (int index = PARAM_MASK_COLOR(0); index <= PARAM_CENTER(1); ++index)
    EXPECT_FALSE(param(index).hidden) << index;
  for (int index = PARAM_WIDTH(1); index <= PARAM_ANGLE(49); ++index)
    EXPECT_TRUE(param(index).hidden) << index;

  // Without one of its suites it has nothing to redraw: the suite error alone, and no effect
  // reference or stream left behind.
  for (auto [name, version] : {std::pair<const char *, int>{"AEGP PF Interface Suite", 1},
                               {"AEGP Stream Suite", 9},
                               {"AEGP Dynamic Stream Suite", 5},
                               {"AEGP Effect Suite", 2}}) {
    SCOPED_TRACE(name);
    session().suites().ClearWithheld();
    session().suites().Withhold(name, version);
    out = PF_OutData{};
    EXPECT_EQ(session().Send(PF_Cmd_UPDATE_PARAMS_UI, nullptr, &out), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_FALSE(out.out_flags & PF_OutFlag_REFRESH_UI);
    EXPECT_TRUE(session().suites().Outstanding().empty());
    EXPECT_TRUE(session().commands().back().problems.empty())
        << session().commands().back().problems.front();
  }
  session().suites().ClearWithheld();
}

TEST_F(FailurePath, AFailedMaskCommandStillAsksForARender) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  struct Case {
    PF_ParamIndex which;
    const char *function;
  };
  for (Case c : {Case{PARAM_CREATE_MASK, "AEGP_GetEffectLayer"},
                 Case{PARAM_CREATE_MASK, "AEGP_GetLayerParentComp"},
                 Case{PARAM_CREATE_MASK, "AEGP_CreateNewMask"},
                 Case{PARAM_CREATE_MASK, "AEGP_SetStreamValue"},
                 Case{PARAM_CREATE_MASK, "AEGP_DisposeEffect"},
                 Case{PARAM_MASK_COLOR(0), "AEGP_SetMaskColor"},
                 Case{PARAM_BAKE_MASKS, "AEGP_GetCompFramerate"}}) {
    SCOPED_TRACE(c.function);
    PF_UserChangedParamExtra extra{c.which};
    PF_OutData out;
    EXPECT_EQ(SendFailing(PF_Cmd_USER_CHANGED_PARAM, &extra, out, c.function, 1), kRefused);
    EXPECT_TRUE(out.out_flags & PF_OutFlag_FORCE_RERENDER);
    EXPECT_TRUE(session().commands().back().problems.empty())
        << session().commands().back().problems.front();
  }
}

// A mask's outline the live update cannot read ends its pre-render with that error, nothing held.
TEST_F(FailurePath, AnOutlineThatCannotBeReadEndsThePreRenderWithItsError) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  session().trace().FailFunction("AEGP_GetNewStreamValue", 0, kRefused);
  const host::RenderResult r = session().Render(session().context());
  session().trace().ClearFaults();
  EXPECT_EQ(r.pre_render_err, kRefused);
  EXPECT_TRUE(session().suites().Outstanding().empty());
  EXPECT_TRUE(session().commands().back().problems.empty())
      << session().commands().back().problems.front();
}

TEST_F(FailurePath, AFailedInputCheckoutLeavesTheOutputRectanglesAlone) {
  ApplyEffect();
  host::CommandContext context;
  context.downsample_x = {1, 2};
  context.downsample_y = {1, 4};
  host::RenderResult ok = session().Render(context);
  ASSERT_EQ(ok.pre_render_err, PF_Err_NONE);
  // 192 x 108 at half width and a quarter height, rounded up.
  const PF_LRect expected{0, 0, 96, 27};
  EXPECT_EQ(ok.result_rect.right, expected.right);
  EXPECT_EQ(ok.result_rect.bottom, expected.bottom);
  EXPECT_EQ(ok.max_result_rect.right, expected.right);
  EXPECT_EQ(ok.max_result_rect.bottom, expected.bottom);

  for (const char *function : {"checkout_layer", "checkout_param"}) {
    SCOPED_TRACE(function);
    session().trace().ClearFaults();
    session().trace().FailFunction(function, 0, kRefused);
    host::RenderResult failed = session().Render(context);
    EXPECT_EQ(failed.pre_render_err, kRefused);
    EXPECT_FALSE(failed.rendered);
    // As handed over: empty, but not zero, so a union written after the failure shows.
    for (const PF_LRect &r : {failed.result_rect, failed.max_result_rect}) {
      EXPECT_EQ(r.left, 23);
      EXPECT_EQ(r.top, 23);
      EXPECT_EQ(r.right, 23);
      EXPECT_EQ(r.bottom, 23);
    }
  }
  session().trace().ClearFaults();
  // Nor does a failed render: the output is the host's own, untouched.
  for (const char *function : {"checkout_layer_pixels", "checkout_output", "copy"}) {
    SCOPED_TRACE(function);
    session().trace().ClearFaults();
    session().trace().FailFunction(function, 0, kRefused);
    host::RenderResult failed = session().Render(context);
    EXPECT_EQ(failed.pre_render_err, PF_Err_NONE);
    EXPECT_EQ(failed.render_err, kRefused);
    EXPECT_FALSE(failed.output_equals_input);
  }
}

TEST_F(FailurePath, ADrawWithoutADrawbotSuiteDrawsNothingAndGivesBackWhatItTook) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  ASSERT_EQ(session().Draw(host::WindowKind::Layer, 0).err, PF_Err_NONE);
  ASSERT_EQ(session().drawing().size(), 5u);
  for (const char *name : {"DRAWBOT Draw Suite", "DRAWBOT Supplier Suite", "DRAWBOT Surface Suite",
                           "DRAWBOT Path Suite"}) {
    SCOPED_TRACE(name);
    session().suites().ClearWithheld();
    session().suites().Withhold(name, 1);
    const host::EventResult r = session().Draw(host::WindowKind::Layer, 0);
    // Drawing is the host's request: failing it leaves the event handled and nothing drawn.
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(r.handled);
    EXPECT_TRUE(session().drawing().empty());
    EXPECT_TRUE(session().suites().Outstanding().empty());
    EXPECT_TRUE(session().commands().back().problems.empty())
        << session().commands().back().problems.front();
  }
}

TEST_F(FailurePath, ADrawingObjectThatCannotBeLetGoIsTheDrawsError) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  // The path is let go first, then the pen: either refusal is the event's result.
  for (std::size_t nth : {1, 2}) {
    SCOPED_TRACE(nth);
    session().trace().ClearFaults();
    session().trace().FailFunction("ReleaseObject", nth, kRefused);
    EXPECT_EQ(session().Draw(host::WindowKind::Layer, 0).err, kRefused);
    EXPECT_TRUE(session().suites().Outstanding().empty());
    EXPECT_TRUE(session().commands().back().problems.empty())
        << session().commands().back().problems.front();
  }
  session().trace().ClearFaults();
}

TEST_F(FailurePath, AGlobalBlockThatCannotBeLockedIs512) {
  for (const char *function : {"host_lock_handle", "host_new_handle"}) {
    SCOPED_TRACE(function);
    session().trace().ClearFaults();
    session().trace().FailFunction(function, 0, kRefused);
    PF_OutData out{};
    EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out), 512);
    EXPECT_EQ(out.global_data, nullptr);
    EXPECT_EQ(session().handles().live_count(host::HandleKind::Memory), 0u);
    EXPECT_TRUE(session().commands().back().problems.empty());
  }
  // A refused registration is that refusal, with the block unlocked and given back.
  session().trace().ClearFaults();
  session().trace().FailFunction("AEGP_RegisterWithAEGP", 0, kRefused);
  PF_OutData out{};
  EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out), kRefused);
  EXPECT_EQ(session().handles().live_count(host::HandleKind::Memory), 0u);
  EXPECT_TRUE(session().commands().back().problems.empty());
}

TEST_F(FailurePath, TheGlobalHandleIsUnlockedAsOftenAsItIsLocked) {
  ApplyEffect();
  const host::CommandRecord &setup = session().commands().front();
  ASSERT_EQ(setup.cmd, PF_Cmd_GLOBAL_SETUP);
  EXPECT_TRUE(setup.problems.empty()) << setup.problems.front();

  // The host notices either mistake: a handle left locked at the end of a command, and an unlock
  // without a lock.
  const void *table = nullptr;
  ASSERT_EQ(session().suites().Acquire("PF Handle Suite", 2, &table), 0);
  const auto *handles = static_cast<const PF_HandleSuite2 *>(table);
  PF_Handle h = handles->host_new_handle(8);
  EXPECT_EQ(handles->host_get_handle_size(h), 8u);
  EXPECT_EQ(handles->host_get_handle_size(nullptr), 0u);
  handles->host_lock_handle(h);
  handles->host_lock_handle(h);
  handles->host_unlock_handle(h);
  session().Send(PF_Cmd_ABOUT);
  ASSERT_EQ(session().commands().back().problems.size(), 1u);
  EXPECT_EQ(session().commands().back().problems[0], "memory handle left locked");
  handles->host_unlock_handle(h);
  handles->host_unlock_handle(h);
  session().Send(PF_Cmd_ABOUT);
  ASSERT_EQ(session().commands().back().problems.size(), 1u);
  EXPECT_EQ(session().commands().back().problems[0],
            "host_unlock_handle: memory handle was not locked");
  handles->host_dispose_handle(h);
  session().suites().Release("PF Handle Suite", 2);
  session().problems().clear();
}

TEST_F(FailurePath, WithoutABasicSuiteEveryHostFacingCommandIs516) {
  ApplyEffect();
  // The blocks the application would send, but with no basic suite to reach any host suite.
  host::Session::ParamArray params = session().BuildParams(session().context());
  PF_UtilCallbacks utils{};
  PF_InData in{};
  in.utils = &utils;
  in.effect_ref = session().effect_ref();
  in.global_data = session().global_data();
  in.pica_basicP = nullptr;
  in.time_scale = 30;
  in.downsample_x = in.downsample_y = PF_RationalScale{1, 1};

  PF_UserChangedParamExtra create{PARAM_CREATE_MASK};
  PF_UserChangedParamExtra colour{PARAM_MASK_COLOR(0)};
  PF_PreRenderInput pre_in{};
  PF_PreRenderOutput pre_out{};
  PF_PreRenderCallbacks pre_cb{};
  PF_PreRenderExtra pre{&pre_in, &pre_out, &pre_cb};
  PF_EventExtra draw{};
  draw.e_type = PF_Event_DRAW;
  draw.contextH = session().context_handle(host::WindowKind::Layer);
  PF_EventExtra click = draw;
  click.e_type = PF_Event_DO_CLICK;

  struct Case {
    const char *what;
    PF_Cmd cmd;
    void *extra;
  };
  for (Case c : {Case{"global setup", PF_Cmd_GLOBAL_SETUP, nullptr},
                 Case{"tear-down", PF_Cmd_GLOBAL_SETDOWN, nullptr},
                 Case{"UI update", PF_Cmd_UPDATE_PARAMS_UI, nullptr},
                 Case{"create", PF_Cmd_USER_CHANGED_PARAM, &create},
                 Case{"colour", PF_Cmd_USER_CHANGED_PARAM, &colour},
                 Case{"pre-render", PF_Cmd_SMART_PRE_RENDER, &pre},
                 Case{"draw", PF_Cmd_EVENT, &draw}, Case{"click", PF_Cmd_EVENT, &click}}) {
    SCOPED_TRACE(c.what);
    PF_OutData out{};
    EXPECT_EQ(module().entry()(c.cmd, &in, &out, params.ptrs.data(), nullptr, c.extra), 516);
    EXPECT_FALSE(click.evt_out_flags & PF_EO_HANDLED_EVENT);
  }
}

}  // namespace
}  // namespace orvane::test
