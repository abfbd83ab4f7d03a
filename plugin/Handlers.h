// The command handlers the entry point dispatches to.
#ifndef ORVANE_PLUGIN_HANDLERS_H
#define ORVANE_PLUGIN_HANDLERS_H

#include "AE_Effect.h"
#include "AE_EffectSuites.h"
#include "AE_EffectUI.h"

PF_Err About(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output);
PF_Err GlobalSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output);
PF_Err GlobalSetdown(PF_InData *in_data);
PF_Err ParamsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output);
PF_Err UserChangedParam(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                        PF_LayerDef *output, const PF_UserChangedParamExtra *extra);
PF_Err UpdateParamsUI(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                      PF_LayerDef *output);
PF_Err HandleEvent(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output, PF_EventExtra *extra);
PF_Err SmartPreRender(PF_InData *in_data, PF_OutData *out_data, PF_PreRenderExtra *extra);
PF_Err SmartRender(PF_InData *in_data, PF_OutData *out_data, PF_SmartRenderExtra *extra);

#endif
