// Registration of the 309 parameters and of the custom UI.
#include <cstdio>
#include <initializer_list>

#include "AE_EffectCB.h"
#include "AE_EffectUI.h"
#include "BooleanValues.h"
#include "Handlers.h"
#include "Params.h"

namespace {

constexpr PF_Fixed kFixedOne = 1 << 16;

class Registrar {
 public:
  explicit Registrar(PF_InData *in_data) : in_data_(in_data) {}

  // A fresh, all-zero definition for the next parameter.
  PF_ParamDef &Begin(PF_ParamType type, const char *name, PF_ParamFlags flags) {
    def_ = PF_ParamDef();
    def_.param_type = type;
    def_.flags = flags;
    def_.uu.id = next_id_;
    in_data_->utils->ansi.strcpy(def_.name, name);
    return def_;
  }
  // Names of slot parameters: the slot number after one space, e.g. "Mask Color 12".
  PF_ParamDef &BeginSlot(PF_ParamType type, const char *stem, int slot, PF_ParamFlags flags) {
    char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
    std::snprintf(name, sizeof name, "%s %d", stem, slot);
    return Begin(type, name, flags);
  }
  PF_Err Add() {
    ++next_id_;
    return in_data_->inter.add_param(in_data_->effect_ref, -1, &def_);
  }

 private:
  PF_InData *in_data_;
  PF_ParamDef def_{};
  A_long next_id_ = PARAM_RECTANGLES_START;
};

PF_Err AddSlot(Registrar &reg, int slot) {
  PF_Err err;
  PF_ParamDef &color = reg.BeginSlot(PF_Param_COLOR, "Mask Color", slot,
                                     PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_SUPERVISE);
  color.u.cd.value = color.u.cd.dephault = PF_Pixel{255, 255, 255, 255};
  if ((err = reg.Add())) return err;

  // The point default is a percentage of the layer: 50, 50 is the layer's centre.
  PF_ParamDef &center = reg.BeginSlot(PF_Param_POINT, "Center", slot, PF_ParamFlag_START_COLLAPSED);
  center.u.td.x_value = center.u.td.x_dephault = 50 * kFixedOne;
  center.u.td.y_value = center.u.td.y_dephault = 50 * kFixedOne;
  center.u.td.restrict_bounds = FALSE;
  if ((err = reg.Add())) return err;

  struct Side {
    const char *stem;
    double size;
  };
  for (const Side &s : {Side{"Width", 640.0}, Side{"Height", 360.0}}) {
    PF_ParamDef &side =
        reg.BeginSlot(PF_Param_FLOAT_SLIDER, s.stem, slot, PF_ParamFlag_START_COLLAPSED);
    side.u.fs_d.valid_min = 0;
    side.u.fs_d.valid_max = 50000;
    side.u.fs_d.slider_min = 100;
    side.u.fs_d.slider_max = 1000;
    side.u.fs_d.value = s.size;
    side.u.fs_d.dephault = static_cast<PF_FpShort>(side.u.fs_d.value);
    side.u.fs_d.precision = 1;
    side.u.fs_d.display_flags = PF_ValueDisplayFlag_NONE;
    side.u.fs_d.fs_flags = PF_FSliderFlag_NONE;
    side.u.fs_d.curve_tolerance = 0.05f;
    if ((err = reg.Add())) return err;
  }

  PF_ParamDef &angle = reg.BeginSlot(PF_Param_ANGLE, "Angle", slot, PF_ParamFlag_START_COLLAPSED);
  angle.u.ad.value = angle.u.ad.dephault = 0;
  return reg.Add();
}

PF_Err AddAll(PF_InData *in_data, Registrar &reg) {
  PF_Err err;
  reg.Begin(PF_Param_GROUP_START, "Rectangles", PF_ParamFlag_START_COLLAPSED);
  if ((err = reg.Add())) return err;
  for (int slot = 1; slot <= SLOT_COUNT; ++slot) {
    if ((err = AddSlot(reg, slot))) return err;
  }
  reg.Begin(PF_Param_GROUP_END, "", 0);
  if ((err = reg.Add())) return err;

  PF_ParamDef &create = reg.Begin(PF_Param_BUTTON, "Create Mask", PF_ParamFlag_SUPERVISE);
  create.ui_flags = PF_PUI_NONE;
  create.u.button_d.u.namesptr = "Create";
  if ((err = reg.Add())) return err;

  reg.Begin(PF_Param_GROUP_START, "Masks", PF_ParamFlag_START_COLLAPSED);
  if ((err = reg.Add())) return err;
  for (int slot = 1; slot <= SLOT_COUNT; ++slot) {
    PF_ParamDef &path = reg.BeginSlot(PF_Param_PATH, "Mask", slot, 0);
    path.u.path_d.dephault = 0;
    if ((err = reg.Add())) return err;
  }
  reg.Begin(PF_Param_GROUP_END, "", 0);
  if ((err = reg.Add())) return err;

  PF_ParamDef &number = reg.Begin(PF_Param_SLIDER, "Number",
                                  PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_START_COLLAPSED);
  in_data->utils->ansi.strcpy(number.u.sd.value_str, "");
  in_data->utils->ansi.strcpy(number.u.sd.value_desc, "");
  number.u.sd.valid_min = 0;
  number.u.sd.valid_max = SLOT_COUNT;
  number.u.sd.slider_min = 0;
  number.u.sd.slider_max = 10;
  number.u.sd.value = number.u.sd.dephault = 0;
  if ((err = reg.Add())) return err;

  PF_ParamDef &on = reg.Begin(PF_Param_CHECKBOX, "On", 0);
  on.u.bd.value = 1;
  on.u.bd.dephault = 1;
  on.u.bd.u.nameptr = "";
  if ((err = reg.Add())) return err;

  PF_ParamDef &bake = reg.Begin(PF_Param_BUTTON, "Bake Masks", PF_ParamFlag_SUPERVISE);
  bake.ui_flags = PF_PUI_NONE;
  bake.u.button_d.u.namesptr = "Bake";
  return reg.Add();
}

}  // namespace

PF_Err ParamsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
  Registrar reg(in_data);
  if (PF_Err err = AddAll(in_data, reg)) return err;

  PF_CustomUIInfo ci{};
  ci.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER;
  ci.comp_ui_alignment = ci.layer_ui_alignment = ci.preview_ui_alignment = PF_UIAlignment_NONE;
  PF_Err err = in_data->inter.register_ui(in_data->effect_ref, &ci);
  out_data->num_params = PARAM_COUNT;
  return err;
}
