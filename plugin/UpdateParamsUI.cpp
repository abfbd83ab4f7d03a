// Shows the controls of slots 1..Number and hides the rest, through the streams' hidden flag.
#include "AEGP_SuiteHandler.h"
#include "BooleanValues.h"
#include "GlobalData.h"
#include "Handlers.h"
#include "Params.h"

namespace {

PF_Err SetParamHidden(AEGP_SuiteHandler &suites, AEGP_EffectRefH effect, AEGP_PluginID plugin_id,
                      PF_ParamIndex index, bool hidden) {
  AEGP_StreamRefH stream = nullptr;
  PF_Err err =
      suites.StreamSuite9()->AEGP_GetNewEffectStreamByIndex(plugin_id, effect, index, &stream);
  if (!err) {
    // Not undoable: showing and hiding controls is no step in the user's undo history.
    err = suites.DynamicStreamSuite5()->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN,
                                                                  FALSE, hidden ? TRUE : FALSE);
  }
  if (stream) {
    PF_Err e = suites.StreamSuite9()->AEGP_DisposeStream(stream);
    if (e && !err) err = e;
  }
  return err;
}

}  // namespace

PF_Err UpdateParamsUI(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                      PF_LayerDef *) {
  PF_Err err = PF_Err_NONE;
  const AEGP_PluginID plugin_id = PluginIdOf(in_data);
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  // Every suite this needs is asked for before any handle is obtained, so a suite the host lacks
  // cannot leave a stream or the effect reference behind.
  suites.PFInterfaceSuite1();
  suites.StreamSuite9();
  suites.DynamicStreamSuite5();
  suites.EffectSuite2();
  AEGP_EffectRefH effect = nullptr;
  err = suites.PFInterfaceSuite1()->AEGP_GetNewEffectForEffect(plugin_id, in_data->effect_ref,
                                                               &effect);

  const int n = ClampSlotCount(params[PARAM_NUMBER]->u.sd.value);
  for (int s = 0; s < SLOT_COUNT; ++s) {
    const bool hidden = s >= n;
    for (int j = 0; j < SLOT_PARAM_COUNT && !err; ++j) {
      err = SetParamHidden(suites, effect, plugin_id, PARAM_MASK_COLOR(s) + j, hidden);
    }
  }
  if (effect) {
    PF_Err e = suites.EffectSuite2()->AEGP_DisposeEffect(effect);
    if (e && !err) err = e;
  }
  out_data->out_flags |= PF_OutFlag_REFRESH_UI;
  return err;
}
