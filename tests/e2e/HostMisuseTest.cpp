// What the host refuses that this module never does, called as a module would call it: a misuse
// is refused with the error the application gives and named among the session's problems, and
// nothing is written through the arguments.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "HostFixture.h"
#include "Params.h"
#include "protocol/Suites.h"
#include "protocol/suites/SuiteHelpers.h"
#include "StaleDrawing.h"

namespace orvane::test {
namespace {

class HostMisuse : public HostTest {
 protected:
  // A suite as a module takes it; every suite taken is given back when the test ends.
  template <typename Suite>
  const Suite *Take(const char *name, int version) {
    const void *table = nullptr;
    EXPECT_EQ(session().suites().Acquire(name, version, &table), 0) << name;
    taken_.emplace_back(name, version);
    return static_cast<const Suite *>(table);
  }
  const AEGP_LayerMaskSuite6 *MaskSuite() {
    return Take<AEGP_LayerMaskSuite6>(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6);
  }
  // The effect's reference as a module takes it; given back when the test ends.
  AEGP_EffectRefH Effect(AEGP_PluginID id) {
    const auto *pfi =
        Take<AEGP_PFInterfaceSuite1>(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
    AEGP_EffectRefH effect = nullptr;
    EXPECT_EQ(pfi->AEGP_GetNewEffectForEffect(id, session().effect_ref(), &effect), A_Err_NONE);
    effects_.push_back(effect);
    return effect;
  }
  void TearDown() override {
    if (!effects_.empty()) {
      const auto *suite = Take<AEGP_EffectSuite3>(kAEGPEffectSuite, kAEGPEffectSuiteVersion3);
      for (AEGP_EffectRefH effect : effects_)
        EXPECT_EQ(suite->AEGP_DisposeEffect(effect), A_Err_NONE);
    }
    for (const auto &[name, version] : taken_) session().suites().Release(name.c_str(), version);
    HostTest::TearDown();
  }

 private:
  std::vector<std::pair<std::string, int>> taken_;
  std::vector<AEGP_EffectRefH> effects_;
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
  // And a mask's colour is read into a place for it.
  AEGP_MaskRefH mask = nullptr;
  ASSERT_EQ(masks->AEGP_GetLayerMaskByIndex(layer, 0, &mask), A_Err_NONE);
  EXPECT_EQ(masks->AEGP_GetMaskColor(mask, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  // And set from one; the mask keeps the colour it had.
  const auto channels = [](const AEGP_ColorVal &c) {
    return std::vector<double>{c.alphaF, c.redF, c.greenF, c.blueF};
  };
  const std::vector<double> before = channels(project().layer.masks[0].color);
  EXPECT_EQ(masks->AEGP_SetMaskColor(mask, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(channels(project().layer.masks[0].color), before);
  EXPECT_EQ(masks->AEGP_DisposeMask(mask), A_Err_NONE);
}

// Streams are those of parameters that hold a value (not the input layer, a group or a button,
// nor one past the last) and a mask's outline alone; a value set that is no finite number is
// kept as 0.
TEST_F(HostMisuse, StreamsAreOfValuesAndKeepFiniteNumbers) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const auto *streams = Take<AEGP_StreamSuite9>(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
  const AEGP_PluginID id = session().IssuePluginId();
  const AEGP_EffectRefH effect = Effect(id);
  for (PF_ParamIndex index :
       {PARAM_INPUT, PARAM_RECTANGLES_START, PARAM_CREATE_MASK, PARAM_COUNT}) {
    AEGP_StreamRefH stream = nullptr;
    EXPECT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id, effect, index, &stream),
              PF_Err_INVALID_INDEX)
        << index;
    EXPECT_EQ(stream, nullptr);
  }
  // Nor is a stream had for an id never issued, from something that is no effect, or into
  // no place; each is told as the module's misuse.
  AEGP_StreamRefH width = nullptr;
  EXPECT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id + 1, effect, PARAM_WIDTH(0), &width),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(session().problems().back(), "AEGP_GetNewEffectStreamByIndex: plug-in id " +
                                             std::to_string(id + 1) + " was never issued");
  EXPECT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id, reinterpret_cast<AEGP_EffectRefH>(&width),
                                                    PARAM_WIDTH(0), &width),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(session().handles().TakeProblems().size(), 1u);
  EXPECT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id, effect, PARAM_WIDTH(0), nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(width, nullptr);
  ASSERT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id, effect, PARAM_WIDTH(0), &width),
            A_Err_NONE);
  for (double set : {123.5, std::numeric_limits<double>::quiet_NaN()}) {
    AEGP_StreamValue2 v{};
    v.streamH = width;
    v.val.one_d = set;
    EXPECT_EQ(streams->AEGP_SetStreamValue(id, width, &v), A_Err_NONE);
    EXPECT_EQ(value(PARAM_WIDTH(0)), std::isfinite(set) ? set : 0) << set;
  }
  // A value taken is given back once, before its stream.
  const A_Time frame{0, 30};
  AEGP_StreamValue2 taken{};
  ASSERT_EQ(streams->AEGP_GetNewStreamValue(id, width, AEGP_LTimeMode_CompTime, &frame, 0, &taken),
            A_Err_NONE);
  EXPECT_EQ(streams->AEGP_DisposeStreamValue(&taken), A_Err_NONE);
  // Misuse of handles is told at the end of the command; here, none is under way.
  ASSERT_TRUE(session().handles().TakeProblems().empty());
  EXPECT_EQ(streams->AEGP_DisposeStreamValue(&taken), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(session().handles().TakeProblems(),
            std::vector<std::string>{
                "AEGP_DisposeStreamValue: stream value disposed twice or never obtained"});
  ASSERT_EQ(streams->AEGP_GetNewStreamValue(id, width, AEGP_LTimeMode_CompTime, &frame, 0, &taken),
            A_Err_NONE);
  EXPECT_EQ(streams->AEGP_DisposeStream(width), A_Err_NONE);
  EXPECT_EQ(session().handles().TakeProblems(),
            std::vector<std::string>{
                "AEGP_DisposeStream: stream disposed of before the 1 value(s) taken from it"});

  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  AEGP_MaskRefH mask = nullptr;
  ASSERT_EQ(masks->AEGP_GetLayerMaskByIndex(host::LayerToken(session()), 0, &mask), A_Err_NONE);
  AEGP_StreamRefH opacity = nullptr;
  EXPECT_EQ(streams->AEGP_GetNewMaskStream(id, mask, AEGP_MaskStream_OPACITY, &opacity),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(opacity, nullptr);
  EXPECT_EQ(masks->AEGP_DisposeMask(mask), A_Err_NONE);
}

// A vertex is found by the segment that ends on it: on a closed outline the last segment ends on
// vertex 0 again, on an open one there is no such segment; a vertex is made before an existing
// one or after the last, nowhere else.
TEST_F(HostMisuse, AnOutlinesVerticesAreFoundByTheSegmentThatEndsOnThem) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  const auto *streams = Take<AEGP_StreamSuite9>(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
  const auto *outlines =
      Take<AEGP_MaskOutlineSuite3>(kAEGPMaskOutlineSuite, kAEGPMaskOutlineSuiteVersion3);
  const AEGP_PluginID id = session().IssuePluginId();
  AEGP_MaskRefH mask = nullptr;
  ASSERT_EQ(masks->AEGP_GetLayerMaskByIndex(host::LayerToken(session()), 0, &mask), A_Err_NONE);
  AEGP_StreamRefH stream = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewMaskStream(id, mask, AEGP_MaskStream_OUTLINE, &stream), A_Err_NONE);
  const A_Time frame{0, 30};
  AEGP_StreamValue2 value{};
  ASSERT_EQ(streams->AEGP_GetNewStreamValue(id, stream, AEGP_LTimeMode_CompTime, &frame, 0, &value),
            A_Err_NONE);
  const AEGP_MaskOutlineValH outline = value.val.mask;
  AEGP_MaskVertex first{}, last{}, v{};
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 0, &first), A_Err_NONE);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 3, &last), A_Err_NONE);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 4, &v), A_Err_NONE);
  EXPECT_EQ(v.x, first.x);
  EXPECT_EQ(v.y, first.y);
  AEGP_MaskVertex marked = first;
  marked.x = 7;
  EXPECT_EQ(outlines->AEGP_SetMaskOutlineVertexInfo(outline, 4, &marked), A_Err_NONE);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 0, &v), A_Err_NONE);
  EXPECT_EQ(v.x, 7);
  for (AEGP_VertexIndex i : {-1, 5}) {
    EXPECT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, i, &v), PF_Err_INVALID_INDEX) << i;
    EXPECT_EQ(outlines->AEGP_SetMaskOutlineVertexInfo(outline, i, &marked), PF_Err_INVALID_INDEX);
  }
  A_Boolean open = TRUE;
  ASSERT_EQ(outlines->AEGP_IsMaskOutlineOpen(outline, &open), A_Err_NONE);
  EXPECT_FALSE(open);
  ASSERT_EQ(outlines->AEGP_SetMaskOutlineOpen(outline, TRUE), A_Err_NONE);
  ASSERT_EQ(outlines->AEGP_IsMaskOutlineOpen(outline, &open), A_Err_NONE);
  EXPECT_TRUE(open);
  EXPECT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 4, &v), PF_Err_INVALID_INDEX);
  A_long segments = 0;
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineNumSegments(outline, &segments), A_Err_NONE);
  EXPECT_EQ(segments, 3);
  // Vertices are made at 0 to 4 of four, each a zero vertex in its place.
  EXPECT_EQ(outlines->AEGP_CreateVertex(outline, -1), PF_Err_INVALID_INDEX);
  EXPECT_EQ(outlines->AEGP_CreateVertex(outline, 5), PF_Err_INVALID_INDEX);
  ASSERT_EQ(outlines->AEGP_CreateVertex(outline, 4), A_Err_NONE);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 3, &v), A_Err_NONE);
  EXPECT_EQ(v.x, last.x);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 4, &v), A_Err_NONE);
  EXPECT_EQ(v.x, 0);
  ASSERT_EQ(outlines->AEGP_CreateVertex(outline, 0), A_Err_NONE);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineVertexInfo(outline, 1, &v), A_Err_NONE);
  EXPECT_EQ(v.x, 7);
  ASSERT_EQ(outlines->AEGP_GetMaskOutlineNumSegments(outline, &segments), A_Err_NONE);
  EXPECT_EQ(segments, 5);
  EXPECT_EQ(outlines->AEGP_GetMaskOutlineNumSegments(outline, nullptr), PF_Err_BAD_CALLBACK_PARAM);

  EXPECT_EQ(streams->AEGP_DisposeStreamValue(&value), A_Err_NONE);
  EXPECT_EQ(streams->AEGP_DisposeStream(stream), A_Err_NONE);
  EXPECT_EQ(masks->AEGP_DisposeMask(mask), A_Err_NONE);
}

// A reference stays with its mask when the masks before it go, and a stream with the parameter
// it was taken for: one the effect no longer has is no parameter.
TEST_F(HostMisuse, AReferenceIsToItsOwnMaskOrParameterWhateverMovesMeanwhile) {
  ApplyEffect();
  for (int i = 0; i < 3; ++i) Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  AEGP_MaskRefH second = nullptr;
  ASSERT_EQ(masks->AEGP_GetLayerMaskByIndex(host::LayerToken(session()), 1, &second), A_Err_NONE);
  const AEGP_MaskIDVal second_id = project().layer.masks[1].id;
  project().layer.masks.erase(project().layer.masks.begin());
  AEGP_MaskIDVal id = 0;
  ASSERT_EQ(masks->AEGP_GetMaskID(second, &id), A_Err_NONE);
  EXPECT_EQ(id, second_id);
  EXPECT_EQ(masks->AEGP_DisposeMask(second), A_Err_NONE);

  const auto *streams = Take<AEGP_StreamSuite9>(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
  const AEGP_PluginID plugin = session().IssuePluginId();
  const AEGP_EffectRefH effect = Effect(plugin);
  // The effect cut short just before the parameter (no command is sent after it).
  AEGP_StreamRefH last = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewEffectStreamByIndex(plugin, effect, PARAM_WIDTH(0), &last),
            A_Err_NONE);
  project().effect.params.resize(std::size_t(PARAM_WIDTH(0)));
  const A_Time frame{0, 30};
  AEGP_StreamValue2 value{};
  EXPECT_EQ(
      streams->AEGP_GetNewStreamValue(plugin, last, AEGP_LTimeMode_CompTime, &frame, 0, &value),
      PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(streams->AEGP_DisposeStream(last), A_Err_NONE);
}

// A control shown or hidden as undoable is a change to undo; as not undoable (the module's own
// display state) it makes no entry.
TEST_F(HostMisuse, AControlHiddenAsUndoableIsAStepToUndo) {
  ApplyEffect();
  const auto *streams = Take<AEGP_StreamSuite9>(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
  const auto *dynamic =
      Take<AEGP_DynamicStreamSuite5>(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion5);
  const AEGP_PluginID id = session().IssuePluginId();
  const AEGP_EffectRefH effect = Effect(id);
  AEGP_StreamRefH center = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id, effect, PARAM_CENTER(0), &center),
            A_Err_NONE);
  const bool shown_first = !param(PARAM_CENTER(0)).hidden;
  project().undo.Clear();
  for (A_Boolean undoable : {A_Boolean(0), A_Boolean(1)}) {
    project().undo.StartGroup("Flag", project());
    EXPECT_EQ(dynamic->AEGP_SetDynamicStreamFlag(center, AEGP_DynStreamFlag_HIDDEN, undoable,
                                                 !param(PARAM_CENTER(0)).hidden),
              A_Err_NONE);
    project().undo.EndGroup(project());
  }
  // Turned over without an entry, then back with one; undoing that turns it over again.
  EXPECT_EQ(param(PARAM_CENTER(0)).hidden, !shown_first);
  EXPECT_EQ(project().undo.entries(), std::vector<std::string>{"Flag"});
  ASSERT_TRUE(project().undo.Undo(project()));
  EXPECT_EQ(param(PARAM_CENTER(0)).hidden, shown_first);
  EXPECT_EQ(streams->AEGP_DisposeStream(center), A_Err_NONE);
}

// A time is ticks on a scale: none at all, or one on a scale of 0, is no time, refused before
// anything is read at it; the time mode is one of the two.
TEST_F(HostMisuse, AStreamValueIsReadOnlyAtATimeWithAScale) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  const auto *streams = Take<AEGP_StreamSuite9>(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
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
  // Pixels are checked back in by the effect alone.
  EXPECT_EQ(cb.checkin_layer_pixels(session().effect_ref(), 0), PF_Err_NONE);
  EXPECT_EQ(cb.checkin_layer_pixels(reinterpret_cast<PF_ProgPtr>(&not_the_effect), 0),
            PF_Err_BAD_CALLBACK_PARAM);
}

// The layer comes back as asked for: the rectangle requested, in square pixels, at that size,
// whatever the result held before.
TEST_F(HostMisuse, TheLayerComesBackAsAskedForInSquarePixels) {
  ApplyEffect();
  PF_PreRenderCallbacks cb{};
  host::InstallRenderCallbacks(cb);
  PF_RenderRequest req{};
  req.rect = PF_LRect{10, 20, 110, 70};
  PF_CheckoutResult result;
  std::memset(&result, 0x5a, sizeof result);
  ASSERT_EQ(cb.checkout_layer(session().effect_ref(), 0, 0, &req, 0, 1, 30, &result), PF_Err_NONE);
  EXPECT_EQ(result.result_rect.left, 10);
  EXPECT_EQ(result.max_result_rect.bottom, 70);
  EXPECT_EQ(result.par.num, 1);
  EXPECT_EQ(result.par.den, 1u);
  EXPECT_EQ(result.ref_width, 100);
  EXPECT_EQ(result.ref_height, 50);
  EXPECT_EQ(result.solid, 0);
}

// Drawing is for a draw event in its own window, on the supplier the host gave: anything else
// draws nothing and is told as the module's misuse.
TEST_F(HostMisuse, DrawingOutsideAnEventOrWithAStrangeSupplierDrawsNothing) {
  ApplyEffect();
  const auto *ui =
      Take<PF_EffectCustomUISuite1>(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
  const auto *supplier =
      Take<DRAWBOT_SupplierSuite1>(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1);
  using Problems = std::vector<std::string>;
  ASSERT_TRUE(session().handles().TakeProblems().empty());
  DRAWBOT_DrawRef ref = reinterpret_cast<DRAWBOT_DrawRef>(&ref);
  EXPECT_EQ(ui->PF_GetDrawingReference(session().context_handle(host::WindowKind::Layer), &ref),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(ref, nullptr);
  EXPECT_EQ(session().handles().TakeProblems(),
            Problems{"PF_GetDrawingReference: not the context of the event's window"});
  int strange = 0;
  const auto other = reinterpret_cast<DRAWBOT_SupplierRef>(&strange);
  const DRAWBOT_ColorRGBA red{1, 0, 0, 1};
  DRAWBOT_PenRef pen = nullptr;
  DRAWBOT_PathRef path = nullptr;
  EXPECT_EQ(supplier->NewPen(other, &red, 1, &pen), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(supplier->NewPath(other, &path), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(pen, nullptr);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(session().handles().TakeProblems(),
            (Problems{"NewPen: unknown supplier", "NewPath: unknown supplier"}));
}

// A parameter added while an entry is being made (which only a module that adds parameters
// late does) is undone with the entry: the list is kept whole, not cut to its parts.
TEST_F(HostMisuse, AParameterAddedWhileAnEntryIsOpenIsUndoneWithIt) {
  ApplyEffect();
  PF_InData in{};
  PF_UtilCallbacks utils{};
  host::InstallCallbacks(in, utils);
  const std::size_t count = project().effect.params.size();
  const double fps = project().comp.fps;
  project().undo.Clear();
  project().undo.StartGroup("Grow", project());
  project().WillChange(host::UndoHistory::ModelPart());
  project().comp.fps = fps + 5;
  PF_ParamDef def = project().effect.params[PARAM_WIDTH(0)].def;
  ASSERT_EQ(in.inter.add_param(session().effect_ref(), -1, &def), PF_Err_NONE);
  project().undo.EndGroup(project());
  ASSERT_EQ(project().effect.params.size(), count + 1);
  ASSERT_TRUE(project().undo.Undo(project()));
  EXPECT_EQ(project().effect.params.size(), count);
  EXPECT_EQ(project().comp.fps, fps);
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

// Parameters are added and the custom UI registered by the effect alone, with something to add:
// a parameter at the end of the list (or -1 for it), nowhere else.
TEST_F(HostMisuse, ParametersAndTheUIAreRegisteredByTheEffectAlone) {
  ApplyEffect();
  PF_InData in{};
  PF_UtilCallbacks utils{};
  host::InstallCallbacks(in, utils);
  int not_the_effect = 0;
  const auto stranger = reinterpret_cast<PF_ProgPtr>(&not_the_effect);
  project().effect.ui_registered = false;
  PF_CustomUIInfo info{};
  info.events = PF_CustomEFlag_COMP;
  EXPECT_EQ(in.inter.register_ui(stranger, &info), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(in.inter.register_ui(session().effect_ref(), nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_FALSE(project().effect.ui_registered);
  EXPECT_EQ(in.inter.register_ui(session().effect_ref(), &info), PF_Err_NONE);
  EXPECT_TRUE(project().effect.ui_registered);

  const std::size_t count = project().effect.params.size();
  PF_ParamDef def{};
  def.param_type = PF_Param_CHECKBOX;
  std::strcpy(def.name, "Extra");
  EXPECT_EQ(in.inter.add_param(stranger, -1, &def), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(in.inter.add_param(session().effect_ref(), -1, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  for (PF_ParamIndex index : {PF_ParamIndex(0), PF_ParamIndex(count + 1)})
    EXPECT_EQ(in.inter.add_param(session().effect_ref(), index, &def), PF_Err_INVALID_INDEX);
  EXPECT_EQ(project().effect.params.size(), count);
  EXPECT_EQ(in.inter.add_param(session().effect_ref(), PF_ParamIndex(count), &def), PF_Err_NONE);
  EXPECT_EQ(in.inter.add_param(session().effect_ref(), -1, &def), PF_Err_NONE);
  ASSERT_EQ(project().effect.params.size(), count + 2);
  EXPECT_EQ(project().effect.params.back().name, "Extra");
}

// The paths the effect asks about are the layer's masks, each by its index and named by its id;
// they, the effect's layer and the effect itself are asked for by the effect alone, and streams
// by a plug-in id the host issued.
TEST_F(HostMisuse, PathsAreTheLayersMasksAskedForByTheEffect) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  const auto *paths = Take<PF_PathQuerySuite1>(kPFPathQuerySuite, kPFPathQuerySuiteVersion1);
  const auto *pfi =
      Take<AEGP_PFInterfaceSuite1>(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
  A_long count = -1;
  ASSERT_EQ(paths->PF_NumPaths(session().effect_ref(), &count), PF_Err_NONE);
  EXPECT_EQ(count, 2);
  for (A_long i = 0; i < 2; ++i) {
    PF_PathID id = 0;
    ASSERT_EQ(paths->PF_PathInfo(session().effect_ref(), i, &id), PF_Err_NONE);
    EXPECT_EQ(id, project().layer.masks[std::size_t(i)].id);
  }
  PF_PathID id = 77;
  EXPECT_EQ(paths->PF_PathInfo(session().effect_ref(), 2, &id), PF_Err_INVALID_INDEX);
  EXPECT_EQ(paths->PF_PathInfo(session().effect_ref(), -1, &id), PF_Err_INVALID_INDEX);
  EXPECT_EQ(id, 77u);
  // It is a host call like any other: a fault planned for it is what it returns.
  session().trace().FailFunction("PF_PathInfo", 0, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(paths->PF_PathInfo(session().effect_ref(), 0, &id), PF_Err_OUT_OF_MEMORY);
  session().trace().ClearFaults();

  int not_the_effect = 0;
  const auto stranger = reinterpret_cast<PF_ProgPtr>(&not_the_effect);
  const std::size_t problems = session().problems().size();
  EXPECT_EQ(paths->PF_NumPaths(stranger, &count), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(paths->PF_PathInfo(stranger, 0, &id), PF_Err_BAD_CALLBACK_PARAM);
  AEGP_LayerH layer = nullptr;
  EXPECT_EQ(pfi->AEGP_GetEffectLayer(stranger, &layer), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(layer, nullptr);
  AEGP_EffectRefH effect = nullptr;
  const AEGP_PluginID issued = session().IssuePluginId();
  EXPECT_EQ(pfi->AEGP_GetNewEffectForEffect(issued + 1, session().effect_ref(), &effect),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(effect, nullptr);
  EXPECT_EQ(count, 2);
  const std::vector<std::string> named(session().problems().begin() + long(problems),
                                       session().problems().end());
  EXPECT_EQ(named,
            (std::vector<std::string>{"PF_NumPaths: unknown effect reference",
                                      "PF_PathInfo: unknown effect reference",
                                      "AEGP_GetEffectLayer: unknown effect reference",
                                      "AEGP_GetNewEffectForEffect: plug-in id " +
                                          std::to_string(issued + 1) + " was never issued"}));
  session().problems().resize(problems);
}

// A batch of keyframes takes keys at times with a scale and outlines of its own mask, by the
// index each key was given; only the keys given an outline are added, and only when it ends with
// adding. The composition asked about is the effect's.
TEST_F(HostMisuse, AKeyframeBatchAddsTheKeysItWasGivenOutlinesFor) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  const auto *streams = Take<AEGP_StreamSuite9>(kAEGPStreamSuite, kAEGPStreamSuiteVersion9);
  const auto *keys = Take<AEGP_KeyframeSuite4>(kAEGPKeyframeSuite, kAEGPKeyframeSuiteVersion4);
  const auto *comps = Take<AEGP_CompSuite18>(kAEGPCompSuite, kAEGPCompSuiteVersion18);
  const AEGP_PluginID id = session().IssuePluginId();
  AEGP_MaskRefH mask = nullptr;
  ASSERT_EQ(masks->AEGP_GetLayerMaskByIndex(host::LayerToken(session()), 0, &mask), A_Err_NONE);
  AEGP_StreamRefH stream = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewMaskStream(id, mask, AEGP_MaskStream_OUTLINE, &stream), A_Err_NONE);
  const A_Time zero{0, 30}, one{30, 30}, two{60, 30}, no_scale{30, 0};
  AEGP_StreamValue2 value{};
  ASSERT_EQ(streams->AEGP_GetNewStreamValue(id, stream, AEGP_LTimeMode_CompTime, &zero, 0, &value),
            A_Err_NONE);
  const std::size_t keys_before = project().layer.masks[0].outline.keys.size();

  AEGP_AddKeyframesInfoH batch = nullptr;
  ASSERT_EQ(keys->AEGP_StartAddKeyframes(stream, &batch), A_Err_NONE);
  AEGP_KeyframeIndex index = -1;
  EXPECT_EQ(keys->AEGP_AddKeyframes(batch, AEGP_LTimeMode_CompTime, &no_scale, &index),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(index, -1);
  ASSERT_EQ(keys->AEGP_AddKeyframes(batch, AEGP_LTimeMode_CompTime, &one, &index), A_Err_NONE);
  EXPECT_EQ(index, 0);
  ASSERT_EQ(keys->AEGP_AddKeyframes(batch, AEGP_LTimeMode_CompTime, &two, &index), A_Err_NONE);
  EXPECT_EQ(index, 1);
  for (AEGP_KeyframeIndex past : {-1, 2})
    EXPECT_EQ(keys->AEGP_SetAddKeyframe(batch, past, &value), PF_Err_BAD_CALLBACK_PARAM) << past;
  EXPECT_EQ(keys->AEGP_SetAddKeyframe(batch, 1, &value), A_Err_NONE);
  EXPECT_EQ(keys->AEGP_EndAddKeyframes(TRUE, batch), A_Err_NONE);
  const auto &added = project().layer.masks[0].outline.keys;
  ASSERT_EQ(added.size(), keys_before + 1);
  EXPECT_EQ(added.back().at.value, 60);
  EXPECT_EQ(added.back().at.scale, 30);

  ASSERT_EQ(keys->AEGP_StartAddKeyframes(stream, &batch), A_Err_NONE);
  ASSERT_EQ(keys->AEGP_AddKeyframes(batch, AEGP_LTimeMode_CompTime, &zero, &index), A_Err_NONE);
  EXPECT_EQ(keys->AEGP_SetAddKeyframe(batch, index, &value), A_Err_NONE);
  EXPECT_EQ(keys->AEGP_EndAddKeyframes(FALSE, batch), A_Err_NONE);
  EXPECT_EQ(project().layer.masks[0].outline.keys.size(), keys_before + 1);

  // A parameter's stream takes no outline keys.
  AEGP_StreamRefH width = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewEffectStreamByIndex(id, Effect(id), PARAM_WIDTH(0), &width),
            A_Err_NONE);
  ASSERT_EQ(keys->AEGP_StartAddKeyframes(width, &batch), A_Err_NONE);
  ASSERT_EQ(keys->AEGP_AddKeyframes(batch, AEGP_LTimeMode_CompTime, &one, &index), A_Err_NONE);
  EXPECT_EQ(keys->AEGP_SetAddKeyframe(batch, index, &value), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(keys->AEGP_EndAddKeyframes(TRUE, batch), A_Err_NONE);

  int not_the_comp = 0;
  A_Time start{-1, 1};
  const std::size_t problems = session().problems().size();
  EXPECT_EQ(comps->AEGP_GetCompWorkAreaStart(reinterpret_cast<AEGP_CompH>(&not_the_comp), &start),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(start.value, -1);
  ASSERT_EQ(session().problems().size(), problems + 1);
  EXPECT_EQ(session().problems().back(), "AEGP_GetCompWorkAreaStart: not the effect's composition");
  A_Time duration{-1, 1};
  A_FpLong fps = -1;
  EXPECT_EQ(
      comps->AEGP_GetCompWorkAreaDuration(reinterpret_cast<AEGP_CompH>(&not_the_comp), &duration),
      PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(comps->AEGP_GetCompFramerate(reinterpret_cast<AEGP_CompH>(&not_the_comp), &fps),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(duration.value, -1);
  EXPECT_EQ(fps, -1);
  EXPECT_EQ(session().problems().size(), problems + 3);
  session().problems().resize(problems);

  EXPECT_EQ(streams->AEGP_DisposeStream(width), A_Err_NONE);
  EXPECT_EQ(streams->AEGP_DisposeStreamValue(&value), A_Err_NONE);
  EXPECT_EQ(streams->AEGP_DisposeStream(stream), A_Err_NONE);
  EXPECT_EQ(masks->AEGP_DisposeMask(mask), A_Err_NONE);
}

// What the fixture module recorded, read from the copy of it this process has loaded.
StaleDrawingAnswers FixtureAnswers() {
  StaleDrawingAnswers a{};
  void *loaded = dlopen(ORVANE_MISUSES_THE_HOST, RTLD_NOW | RTLD_NOLOAD);
  if (!loaded) {
    ADD_FAILURE() << "the fixture module is not loaded";
    return a;
  }
  auto answers_of =
      reinterpret_cast<StaleDrawingAnswersFn>(dlsym(loaded, ORVANE_STALE_DRAWING_ANSWERS));
  if (answers_of)
    a = *answers_of();
  else
    ADD_FAILURE() << "the fixture module exports no " ORVANE_STALE_DRAWING_ANSWERS;
  dlclose(loaded);
  return a;
}

// A module that keeps the drawing of a draw event and uses it on a later click draws on nothing:
// each use is refused and named, nothing is added to what the window shows, and the click's
// coordinate callback at a time scale of 0 is refused before it maps the point (at a scale of 1,
// whole seconds, it is mapped). What the same click leaves taken, or gives back untaken, is
// named at its end.
TEST(HostMisuseOfAKeptDrawing, IsRefusedOnceItsDrawEventIsOver) {
  host::Module module(ORVANE_MISUSES_THE_HOST);
  host::Session session(module);
  ASSERT_EQ(session.Apply(), PF_Err_NONE);
  session.ParamChanged(PARAM_CREATE_MASK);
  ASSERT_EQ(session.Draw(host::WindowKind::Comp, 0).err, PF_Err_NONE);
  const std::vector<host::DrawOp> drawn = session.drawing();
  ASSERT_FALSE(drawn.empty());
  const std::size_t problems = session.problems().size();
  session.MouseDown(host::WindowKind::Comp, {1, 1}, 0, true);

  const StaleDrawingAnswers a = FixtureAnswers();
  EXPECT_EQ(a.clicks, 1);
  EXPECT_GE(a.handed_params, 3) << "the change, the draw and the click hand parameters over";
  EXPECT_EQ(a.params_missing, 0);
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
        "StrokePath: no drawing under way", "PaintRect: no drawing under way",
        // what it left taken on the click, or gave back untaken
        "suite \"AEGP Utility Suite\" 11 acquired 1 more times than released",
        "suite \"AEGP Effect Suite\" 3 released 1 more times than acquired",
        "checkin_param: parameter checked in that was not checked out",
        "1 parameter checkouts never checked in"}) {
    EXPECT_EQ(std::count(named.begin(), named.end(), expected), 1) << expected;
  }
}

// What a command tells the module of its layer and composition, in the composition's ticks: a
// layer of 640x360 that starts 1 s into a composition of 800x600 of 5 s at 24 fps, drawn 2 s in
// with the window at 50 %, whose whole area the draw event asks to be drawn. Untold otherwise,
// the module runs in After Effects ('FXTC') at full size (a module may divide by the factors).
TEST(HostMisuseOfAKeptDrawing, TheInDataDescribesTheLayerAndTheComposition) {
  host::Module module(ORVANE_MISUSES_THE_HOST);
  host::Session session(module);
  host::Project &p = session.project();
  p.comp.width = 800;
  p.comp.height = 600;
  session.view().zoom = 0.5;
  p.comp.fps = 24;
  p.comp.time_scale = 24;
  p.comp.duration = p.comp.work_duration = 5;
  p.layer.width = 640;
  p.layer.height = 360;
  p.layer.start = 1;
  ASSERT_EQ(session.Apply(), PF_Err_NONE);
  ASSERT_EQ(session.Draw(host::WindowKind::Comp, 2).err, PF_Err_NONE);
  const StaleDrawingAnswers a = FixtureAnswers();
  EXPECT_EQ(a.update_rect.left, 0);
  EXPECT_EQ(a.update_rect.top, 0);
  EXPECT_EQ(a.update_rect.right, 400);
  EXPECT_EQ(a.update_rect.bottom, 300);
  const PF_InData &in = a.in_data;
  EXPECT_EQ(in.version, 0x000D0001u);  // the effect API 13.1: the major version above the minor
  EXPECT_EQ(in.width, 640);
  EXPECT_EQ(in.height, 360);
  EXPECT_EQ(in.extent_hint.left, 0);
  EXPECT_EQ(in.extent_hint.top, 0);
  EXPECT_EQ(in.extent_hint.right, 640);
  EXPECT_EQ(in.extent_hint.bottom, 360);
  EXPECT_EQ(in.time_scale, 24u);
  EXPECT_EQ(in.current_time, 24);  // layer time: 1 s
  EXPECT_EQ(in.time_step, 1);
  EXPECT_EQ(in.local_time_step, 1);
  EXPECT_EQ(in.total_time, 120);
  EXPECT_EQ(in.pixel_aspect_ratio.num, 1);
  EXPECT_EQ(in.pixel_aspect_ratio.den, 1);
  EXPECT_EQ(in.num_params, A_long(p.effect.params.size()));
  EXPECT_EQ(in.appl_id, A_long('F') << 24 | A_long('X') << 16 | A_long('T') << 8 | A_long('C'));
  for (const PF_RationalScale &r : {in.downsample_x, in.downsample_y}) {
    EXPECT_EQ(r.num, 1);
    EXPECT_EQ(r.den, 1u);
  }
}

// The events of a drag tell the module which of them is the release: the last, and only it.
TEST(HostMisuseOfAKeptDrawing, OnlyTheLastEventOfADragIsMarkedAsItsLast) {
  host::Module module(ORVANE_MISUSES_THE_HOST);
  host::Session session(module);
  ASSERT_EQ(session.Apply(), PF_Err_NONE);
  session.ParamChanged(PARAM_CREATE_MASK);
  const auto v = session.project().layer.masks.at(0).outline.At(0).vertices;
  ASSERT_EQ(v.size(), 4u);
  const double x = v[2].x, y = v[2].y;
  const StaleDrawingAnswers before = FixtureAnswers();
  ASSERT_TRUE(
      session.Drag(host::WindowKind::Layer, {{x, y}, {x + 3, y}, {x + 6, y}, {x + 9, y}}, 0));
  const StaleDrawingAnswers after = FixtureAnswers();
  EXPECT_EQ(after.drags - before.drags, 3);
  EXPECT_EQ(after.last_drags - before.last_drags, 1);
}

// The layer's pixels are made for what a module asks: a render of the same frame without the
// colour of transparent pixels, between two with it, has them black (the fixture asks without).
TEST(HostMisuseOfAKeptDrawing, TransparentPixelsAreBlackUnlessTheirColourIsAskedFor) {
  host::Module real(ORVANE_MODULE_PATH), fixture(ORVANE_MISUSES_THE_HOST);
  host::Session keeps(real), plain(fixture);
  ASSERT_EQ(keeps.Apply(), PF_Err_NONE);
  ASSERT_EQ(plain.Apply(), PF_Err_NONE);
  const auto red_at_edge = [](host::Session &s) {
    EXPECT_TRUE(s.Render(s.context()).rendered);
    const PF_Pixel p = s.render_state().output.At8(s.project().layer.width - 1, 0);
    EXPECT_EQ(p.alpha, 0);  // the pattern's last column
    return int(p.red);
  };
  EXPECT_GT(red_at_edge(keeps), 0);
  EXPECT_EQ(red_at_edge(plain), 0);
  EXPECT_GT(red_at_edge(keeps), 0);
}

// An exception a module lets out of its entry point stops at the host's edge: the command ends
// as damaged and names it, and the session answers the next command as before.
TEST(HostMisuseByAnException, EndsItsCommandAsDamagedAndIsNamed) {
  host::Module module(ORVANE_LETS_AN_EXCEPTION_OUT);
  host::Session session(module);
  ASSERT_EQ(session.Apply(), PF_Err_NONE);
  session.ParamChanged(PARAM_CREATE_MASK);
  ASSERT_TRUE(session.problems().empty());
  EXPECT_EQ(session.Draw(host::WindowKind::Comp, 0).err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(session.commands().back().err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(session.commands().back().problems,
            std::vector<std::string>{"an exception escaped the module"});
  EXPECT_EQ(session.problems(), std::vector<std::string>{"an exception escaped the module"});
  session.ParamChanged(PARAM_CREATE_MASK);
  EXPECT_EQ(session.commands().back().err, PF_Err_NONE);
  EXPECT_EQ(session.project().layer.masks.size(), 2u);
}

}  // namespace
}  // namespace orvane::test
