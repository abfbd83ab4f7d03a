// What the host refuses that this module never does, called as a module would call it: a misuse
// is refused with the error the application gives and named among the session's problems, and
// nothing is written through the arguments.
#include <dlfcn.h>

#include <algorithm>

#include "HostFixture.h"
#include "Params.h"
#include "protocol/Suites.h"
#include "protocol/suites/SuiteHelpers.h"
#include "StaleDrawing.h"

namespace orvane::test {
namespace {

class HostMisuse : public HostTest {
 protected:
  const AEGP_LayerMaskSuite6 *MaskSuite() {
    const void *table = nullptr;
    EXPECT_EQ(session().suites().Acquire(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6, &table),
              0);
    return static_cast<const AEGP_LayerMaskSuite6 *>(table);
  }
};

TEST_F(HostMisuse, MasksAreCountedOnlyOnTheEffectsLayerAndIntoACount) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  ASSERT_NE(masks, nullptr);
  const std::size_t problems = session().problems().size();
  int not_a_layer = 0;
  A_long count = -1;
  EXPECT_EQ(masks->AEGP_GetLayerNumMasks(reinterpret_cast<AEGP_LayerH>(&not_a_layer), &count),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(count, -1);
  ASSERT_EQ(session().problems().size(), problems + 1);
  EXPECT_EQ(session().problems().back(), "AEGP_GetLayerNumMasks: not the effect's layer");
  const AEGP_LayerH layer = host::LayerToken(session());
  EXPECT_EQ(masks->AEGP_GetLayerNumMasks(layer, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(masks->AEGP_GetLayerNumMasks(layer, &count), PF_Err_NONE);
  EXPECT_EQ(count, 1);
  // Masks are found by an index below that count.
  for (A_long index : {A_long(-1), count}) {
    AEGP_MaskRefH mask = nullptr;
    EXPECT_EQ(masks->AEGP_GetLayerMaskByIndex(layer, index, &mask), PF_Err_INVALID_INDEX) << index;
    EXPECT_EQ(mask, nullptr);
  }
  session().suites().Release(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6);
}

// A time is ticks on a scale: none at all, or one on a scale of 0, is no time, refused before
// anything is read at it; the time mode is one of the two.
TEST_F(HostMisuse, AStreamValueIsReadOnlyAtATimeWithAScale) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  const void *table = nullptr;
  ASSERT_EQ(session().suites().Acquire(kAEGPStreamSuite, kAEGPStreamSuiteVersion9, &table), 0);
  const auto *streams = static_cast<const AEGP_StreamSuite9 *>(table);
  const AEGP_PluginID id = session().IssuePluginId();
  AEGP_MaskRefH mask = nullptr;
  ASSERT_EQ(masks->AEGP_GetLayerMaskByIndex(host::LayerToken(session()), 0, &mask), A_Err_NONE);
  AEGP_StreamRefH stream = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewMaskStream(id, mask, AEGP_MaskStream_OUTLINE, &stream), A_Err_NONE);
  const A_Time no_scale{5, 0}, frame{1, 30};
  for (const A_Time *time : {static_cast<const A_Time *>(nullptr), &no_scale}) {
    AEGP_StreamValue2 value{};
    EXPECT_EQ(
        streams->AEGP_GetNewStreamValue(id, stream, AEGP_LTimeMode_LayerTime, time, 0, &value),
        PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(value.streamH, nullptr);
  }
  AEGP_StreamValue2 value{};
  EXPECT_EQ(streams->AEGP_GetNewStreamValue(id, stream, AEGP_LTimeMode(7), &frame, 0, &value),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(streams->AEGP_GetNewStreamValue(id, stream, AEGP_LTimeMode_CompTime, &frame, 0, &value),
            A_Err_NONE);
  EXPECT_EQ(value.streamH, stream);
  EXPECT_EQ(streams->AEGP_DisposeStreamValue(&value), A_Err_NONE);
  EXPECT_EQ(streams->AEGP_DisposeStream(stream), A_Err_NONE);
  EXPECT_EQ(masks->AEGP_DisposeMask(mask), A_Err_NONE);
  session().suites().Release(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
  session().suites().Release(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6);
}

// The output is checked out only by the effect and only into a place to put it; the layer's
// pixels only once a pre-render has asked for them.
TEST_F(HostMisuse, TheOutputIsCheckedOutByTheEffectIntoAPlace) {
  PF_SmartRenderCallbacks cb{};
  host::InstallRenderCallbacks(cb);
  PF_EffectWorld *pixels = nullptr;
  EXPECT_EQ(cb.checkout_layer_pixels(session().effect_ref(), 0, &pixels), PF_Err_INVALID_INDEX);
  EXPECT_EQ(pixels, nullptr);
  ApplyEffect();
  EXPECT_EQ(cb.checkout_output(session().effect_ref(), nullptr), PF_Err_BAD_CALLBACK_PARAM);
  int not_the_effect = 0;
  PF_EffectWorld *world = nullptr;
  EXPECT_EQ(cb.checkout_output(reinterpret_cast<PF_ProgPtr>(&not_the_effect), &world),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(world, nullptr);
}

// A parameter is checked out by an index the effect has: before the first or one past the last,
// it is no parameter, and the definition handed in is left as it was.
TEST_F(HostMisuse, AParameterIsCheckedOutOnlyByAnIndexTheEffectHas) {
  ApplyEffect();
  PF_InData in{};
  PF_UtilCallbacks utils{};
  host::InstallCallbacks(in, utils);
  const auto count = PF_ParamIndex(project().effect.params.size());
  for (PF_ParamIndex index : {PF_ParamIndex(-1), count}) {
    PF_ParamDef def{};
    def.uu.id = 4242;
    EXPECT_EQ(in.inter.checkout_param(session().effect_ref(), index, 0, 1, 30, &def),
              PF_Err_INVALID_INDEX)
        << index;
    EXPECT_EQ(def.uu.id, 4242);
  }
  for (PF_ParamIndex index : {PF_ParamIndex(0), count - 1}) {
    PF_ParamDef def{};
    ASSERT_EQ(in.inter.checkout_param(session().effect_ref(), index, 0, 1, 30, &def), PF_Err_NONE);
    EXPECT_EQ(def.param_type, param(index).def.param_type);
    EXPECT_EQ(def.uu.id, param(index).def.uu.id);
    EXPECT_EQ(in.inter.checkin_param(session().effect_ref(), &def), PF_Err_NONE);
  }
}

// A module that keeps the drawing of a draw event and uses it on a later click draws on nothing:
// each use is refused and named, nothing is added to what the window shows, and the click's
// coordinate callback at a time scale of 0 is refused before it maps the point (at a scale of 1,
// whole seconds, it is mapped).
TEST(HostMisuseOfAKeptDrawing, IsRefusedOnceItsDrawEventIsOver) {
  host::Module module(ORVANE_KEEPS_ITS_DRAWING);
  host::Session session(module);
  ASSERT_EQ(session.Apply(), PF_Err_NONE);
  session.ParamChanged(PARAM_CREATE_MASK);
  ASSERT_EQ(session.Draw(host::WindowKind::Comp, 0).err, PF_Err_NONE);
  const std::vector<host::DrawOp> drawn = session.drawing();
  ASSERT_FALSE(drawn.empty());
  const std::size_t problems = session.problems().size();
  session.MouseDown(host::WindowKind::Comp, {1, 1}, 0, true);

  void *loaded = dlopen(ORVANE_KEEPS_ITS_DRAWING, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(loaded, nullptr);
  auto answers_of =
      reinterpret_cast<StaleDrawingAnswersFn>(dlsym(loaded, ORVANE_STALE_DRAWING_ANSWERS));
  ASSERT_NE(answers_of, nullptr);
  const StaleDrawingAnswers a = *answers_of();
  dlclose(loaded);
  EXPECT_EQ(a.clicks, 1);
  EXPECT_EQ(a.supplier, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(a.surface, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_FALSE(a.surface_written);
  EXPECT_EQ(a.stroke, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(a.paint, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(a.layer_to_comp, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(a.layer_to_comp_in_seconds, PF_Err_NONE);
  EXPECT_EQ(a.point.x, 5 << 16);
  EXPECT_EQ(a.point.y, 7 << 16);
  EXPECT_EQ(session.drawing().size(), drawn.size());
  const std::vector<std::string> named(session.problems().begin() + long(problems),
                                       session.problems().end());
  for (const char *expected :
       {"GetSupplier: no drawing under way", "GetSurface: no drawing under way",
        "StrokePath: no drawing under way", "PaintRect: no drawing under way"}) {
    EXPECT_EQ(std::count(named.begin(), named.end(), expected), 1) << expected;
  }
}

}  // namespace
}  // namespace orvane::test
