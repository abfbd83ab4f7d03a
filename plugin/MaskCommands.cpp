// UserChangedParam and two of its reactions: the create command and the colour update.
#include "MaskCommands.h"

#include "BooleanValues.h"
#include "Handlers.h"
#include "Params.h"

namespace Orvane {

void CreateMask(MaskCommand &c, const ChangeTarget &t, int count) {
  auto &s = c.suites;
  UndoGroup undo(c, "Create Masks");
  auto mask = Own<AEGP_MaskRefH>(c.err, c.DisposeMask5());
  A_long mask_index = -1;
  c.err.Do(
      [&] { return s.LayerMaskSuite6()->AEGP_CreateNewMask(t.layer, mask.out(), &mask_index); });
  AEGP_ColorVal color{};
  c.err.Do([&] { return s.LayerMaskSuite6()->AEGP_GetMaskColor(mask.get(), &color); });

  auto outline = Own<AEGP_StreamRefH>(c.err, c.DisposeStream());
  c.err.Do([&] {
    return s.StreamSuite9()->AEGP_GetNewMaskStream(c.plugin_id, mask.get(), AEGP_MaskStream_OUTLINE,
                                                   outline.out());
  });
  {
    auto value = OwnValue(c.err, c.DisposeStreamValue());
    c.err.Do([&] {
      return s.StreamSuite9()->AEGP_GetNewStreamValue(
          c.plugin_id, outline.get(), AEGP_LTimeMode_LayerTime, &c.now, TRUE, value.out());
    });
    c.err.Do([&] {
      return s.MaskOutlineSuite3()->AEGP_SetMaskOutlineOpen(value.get().val.mask, FALSE);
    });
    // The vertices stay where the host puts them; the next live update gives them their shape.
    for (AEGP_VertexIndex p = 0; p < 4; ++p) {
      c.err.Do([&] { return s.MaskOutlineSuite3()->AEGP_CreateVertex(value.get().val.mask, p); });
    }
    c.err.Do([&] {
      return s.StreamSuite9()->AEGP_SetStreamValue(c.plugin_id, outline.get(), &value.get());
    });
  }
  AEGP_MaskIDVal id = 0;
  c.err.Do([&] { return s.LayerMaskSuite6()->AEGP_GetMaskID(mask.get(), &id); });
  ParameterWrite(c, t.effect, PARAM_MASK_PATH(count), [&](AEGP_StreamVal2 &v) { v.mask_id = id; });
  outline.reset();
  mask.reset();
  ParameterWrite(c, t.effect, PARAM_NUMBER, [](AEGP_StreamVal2 &v) { v.one_d = v.one_d + 1.0; });
  ParameterWrite(c, t.effect, PARAM_MASK_COLOR(count),
                 [&](AEGP_StreamVal2 &v) { v.color = color; });
  undo.End();
}

void UpdateMaskColor(MaskCommand &c, const ChangeTarget &t, PF_ParamDef *params[], int slot) {
  auto &s = c.suites;
  const PF_PathID path = params[PARAM_MASK_PATH(slot - 1)]->u.path_d.path_id;
  if (path == 0) return;
  A_long found = -1;
  A_long count = -1;
  c.err.Do([&] { return s.LayerMaskSuite5()->AEGP_GetLayerNumMasks(t.layer, &count); });
  for (A_long k = 0; k < count && found < 0; ++k) {
    PF_PathID id = 0;
    c.err.Do([&] { return s.PathQuerySuite1()->PF_PathInfo(c.in_data->effect_ref, k, &id); });
    if (c.err.ok() && id == path) found = k;
  }
  if (found < 0) return;

  auto mask = Own<AEGP_MaskRefH>(c.err, c.DisposeMask6());
  c.err.Do(
      [&] { return s.LayerMaskSuite5()->AEGP_GetLayerMaskByIndex(t.layer, found, mask.out()); });
  // Each byte divided by 255 in single precision, then widened: 128 gives 0.501960813999176.
  const PF_Pixel &p = params[PARAM_MASK_COLOR(slot - 1)]->u.cd.value;
  const AEGP_ColorVal color = {double(p.alpha / 255.0f), double(p.red / 255.0f),
                               double(p.green / 255.0f), double(p.blue / 255.0f)};
  c.err.Do([&] { return s.LayerMaskSuite6()->AEGP_SetMaskColor(mask.get(), &color); });
}

}  // namespace Orvane

using namespace Orvane;

namespace {

// Slot (1..50) whose colour parameter has this index, or 0 when it is not a colour parameter.
int ColorSlotOf(PF_ParamIndex which) {
  if (which < 1 || which >= PARAM_RECTANGLES_END || (which - 2) % SLOT_PARAM_COUNT != 0) return 0;
  return (which - 2) / SLOT_PARAM_COUNT + 1;
}

}  // namespace

PF_Err UserChangedParam(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                        PF_LayerDef *, const PF_UserChangedParamExtra *extra) {
  MaskCommand c(in_data);
  auto &s = c.suites;
  ChangeTarget t;
  const AEGP_EffectSuite3 *effects = s.EffectSuite3();
  auto effect = Own<AEGP_EffectRefH>(
      c.err, [effects](AEGP_EffectRefH h) { return effects->AEGP_DisposeEffect(h); });
  c.err.Do(
      [&] { return s.PFInterfaceSuite1()->AEGP_GetEffectLayer(in_data->effect_ref, &t.layer); });
  c.err.Do([&] { return s.LayerSuite13()->AEGP_GetLayerParentComp(t.layer, &t.comp); });
  c.err.Do([&] {
    return s.PFInterfaceSuite1()->AEGP_GetNewEffectForEffect(c.plugin_id, in_data->effect_ref,
                                                             effect.out());
  });
  t.effect = effect.get();

  if (c.err.ok() && extra) {
    const PF_ParamIndex which = extra->param_index;
    const int count = ClampSlotCount(params[PARAM_NUMBER]->u.sd.value);
    if (which == PARAM_CREATE_MASK) {
      if (count < SLOT_COUNT) CreateMask(c, t, count);
    } else if (which == PARAM_BAKE_MASKS) {
      if (params[PARAM_ON]->u.bd.value) BakeMasks(c, t, params);
    } else if (int slot = ColorSlotOf(which)) {
      UpdateMaskColor(c, t, params, slot);
    }
  }
  effect.reset();
  out_data->out_flags |= PF_OutFlag_FORCE_RERENDER;
  return c.err.err();
}
