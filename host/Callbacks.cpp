// The callbacks handed to the module in PF_InData: parameter registration and checkout, custom
// UI registration, and the pixel copy.
#include <cstring>

#include "AE_EffectUI.h"
#include "ParamValues.h"
#include "Session.h"
#include "Suites.h"

namespace orvane::host {

namespace {

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  ORVANE_HOST_ENTER("add_param");
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !def) return PF_Err_BAD_CALLBACK_PARAM;
  auto &params = s.project().effect.params;
  // Only appending is supported, which is all an effect with a fixed table needs.
  if (index != -1 && index != PF_ParamIndex(params.size())) return PF_Err_INVALID_INDEX;
  EffectParam param;
  param.def = *def;
  param.def.name[PF_MAX_EFFECT_PARAM_NAME_LEN] = '\0';
  param.name = param.def.name;
  const char *text = nullptr;
  if (def->param_type == PF_Param_BUTTON) text = def->u.button_d.u.namesptr;
  if (def->param_type == PF_Param_CHECKBOX) text = def->u.bd.u.nameptr;
  if (text) param.text = text;
  if (def->param_type == PF_Param_BUTTON) param.def.u.button_d.u.namesptr = nullptr;
  if (def->param_type == PF_Param_CHECKBOX) param.def.u.bd.u.nameptr = nullptr;
  params.push_back(std::move(param));
  return PF_Err_NONE;
}

PF_Err RegisterUI(PF_ProgPtr effect_ref, PF_CustomUIInfo *info) {
  ORVANE_HOST_ENTER("register_ui");
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !info) return PF_Err_BAD_CALLBACK_PARAM;
  s.project().effect.ui = *info;
  s.project().effect.ui_registered = true;
  return PF_Err_NONE;
}

}  // namespace

void InstallCallbacks(PF_InData &in_data, PF_UtilCallbacks &) {
  in_data.inter.add_param = AddParam;
  in_data.inter.register_ui = RegisterUI;
}

void ProvideSuites(SuiteRegistry &registry) { ProvideShellSuites(registry); }

}  // namespace orvane::host
