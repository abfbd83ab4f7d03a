// The callbacks handed to the module in PF_InData: parameter registration and checkout, custom
// UI registration, and the pixel copy.
#include <algorithm>
#include <cstring>

#include "AE_EffectUI.h"
#include "ParamValues.h"
#include "Session.h"
#include "Suites.h"

namespace orvane::host {

namespace {

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  ORVANE_HOST_ENTER("add_param", index, def ? def->name : nullptr, def ? def->param_type : 0);
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
  ORVANE_HOST_ENTER("register_ui", info ? info->events : 0);
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !info) return PF_Err_BAD_CALLBACK_PARAM;
  s.project().effect.ui = *info;
  s.project().effect.ui_registered = true;
  return PF_Err_NONE;
}

double Factor(PF_RationalScale r) { return r.den && r.num > 0 ? double(r.num) / r.den : 1.0; }

PF_Err CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                     A_u_long time_scale, PF_ParamDef *param) {
  ORVANE_HOST_ENTER("checkout_param", index, what_time, time_step, time_scale);
  Session &s = Session::Current();
  auto &params = s.project().effect.params;
  if (!s.IsEffectRef(effect_ref) || !param || time_scale == 0) return PF_Err_BAD_CALLBACK_PARAM;
  if (index < 0 || std::size_t(index) >= params.size()) return PF_Err_INVALID_INDEX;
  const EffectParam &p = params[std::size_t(index)];
  *param = p.def;
  if (p.has_stream()) {
    // Points come at the render's resolution, as the application gives them.
    const CommandContext &c = s.current_context();
    // With the parameter's expression applied, as the application hands it over.
    WriteValue(*param, p.At(double(what_time) / time_scale, false), Factor(c.downsample_x),
               Factor(c.downsample_y));
  }
  ++s.open_param_checkouts();
  return PF_Err_NONE;
}

PF_Err ReturnParam(PF_ProgPtr effect_ref, PF_ParamDef *param) {
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !param) return PF_Err_BAD_CALLBACK_PARAM;
  if (s.open_param_checkouts() == 0) {
    s.handles().Report("checkin_param: parameter checked in that was not checked out");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  --s.open_param_checkouts();
  return PF_Err_NONE;
}

PF_Err CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef *param) {
  ORVANE_HOST_RELEASE("checkin_param", ReturnParam(effect_ref, param));
}

PF_Err CheckoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                     const PF_RenderRequest *req, A_long, A_long, A_u_long,
                     PF_CheckoutResult *result) {
  ORVANE_HOST_ENTER("checkout_layer", index, checkout_id, In(req ? &req->rect : nullptr));
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !req || !result) return PF_Err_BAD_CALLBACK_PARAM;
  // The effect has one layer input, its own layer at index 0.
  if (index != 0 || checkout_id != 0) return PF_Err_INVALID_INDEX;
  const PF_LRect &r = req->rect;
  *result = PF_CheckoutResult{};
  result->result_rect = r;
  result->max_result_rect = r;
  result->par = PF_RationalScale{1, 1};
  result->ref_width = r.right - r.left;
  result->ref_height = r.bottom - r.top;
  s.render_state().layer_checked_out = true;
  return PF_Err_NONE;
}

PF_Err CheckoutLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld **pixels) {
  ORVANE_HOST_ENTER("checkout_layer_pixels", checkout_id);
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !pixels) return PF_Err_BAD_CALLBACK_PARAM;
  RenderState &r = s.render_state();
  if (checkout_id != 0 || !r.layer_checked_out) return PF_Err_INVALID_INDEX;
  static thread_local PF_EffectWorld world;
  world = r.input.World();
  *pixels = &world;
  return PF_Err_NONE;
}

PF_Err CheckinLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id) {
  ORVANE_HOST_ENTER("checkin_layer_pixels", checkout_id);
  return Session::Current().IsEffectRef(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err CheckoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld **output) {
  ORVANE_HOST_ENTER("checkout_output");
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !output) return PF_Err_BAD_CALLBACK_PARAM;
  static thread_local PF_EffectWorld world;
  world = s.render_state().output.World();
  s.render_state().output_given = true;
  *output = &world;
  return PF_Err_NONE;
}

int PixelBytesOf(const PF_EffectWorld &w) {
  return (w.world_flags & PF_WorldFlag_FLOAT) ? 16 : (w.world_flags & PF_WorldFlag_DEEP) ? 8 : 4;
}

// Copies whole rows with memcpy; without rectangles the whole source goes to the destination.
PF_Err Copy(PF_ProgPtr effect_ref, PF_EffectWorld *src, PF_EffectWorld *dst, PF_Rect *src_r,
            PF_Rect *dst_r) {
  ORVANE_HOST_ENTER("copy", In(src_r), In(dst_r));
  if (!Session::Current().IsEffectRef(effect_ref) || !src || !dst || !src->data || !dst->data) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (PixelBytesOf(*src) != PixelBytesOf(*dst)) return PF_Err_BAD_CALLBACK_PARAM;
  PF_Rect s = src_r ? *src_r : PF_Rect{0, 0, src->width, src->height};
  PF_Rect d = dst_r ? *dst_r : PF_Rect{0, 0, dst->width, dst->height};
  s.left = std::max<A_long>(s.left, 0);
  s.top = std::max<A_long>(s.top, 0);
  const A_long width =
      std::min({s.right - s.left, d.right - d.left, src->width - s.left, dst->width - d.left});
  const A_long height =
      std::min({s.bottom - s.top, d.bottom - d.top, src->height - s.top, dst->height - d.top});
  if (width <= 0 || height <= 0 || d.left < 0 || d.top < 0) return PF_Err_NONE;
  const std::size_t px = std::size_t(PixelBytesOf(*src));
  for (A_long y = 0; y < height; ++y) {
    const auto *from = static_cast<const uint8_t *>(src->data) +
                       std::size_t(s.top + y) * std::size_t(src->rowbytes) +
                       std::size_t(s.left) * px;
    auto *to = static_cast<uint8_t *>(dst->data) +
               std::size_t(d.top + y) * std::size_t(dst->rowbytes) + std::size_t(d.left) * px;
    std::memcpy(to, from, std::size_t(width) * px);
  }
  return PF_Err_NONE;
}

}  // namespace

void InstallCallbacks(PF_InData &in_data, PF_UtilCallbacks &utils) {
  in_data.inter.add_param = Traced<AddParam>;
  in_data.inter.register_ui = Traced<RegisterUI>;
  in_data.inter.checkout_param = Traced<CheckoutParam>;
  in_data.inter.checkin_param = Traced<CheckinParam>;
  utils.copy = Traced<Copy>;
}

void InstallRenderCallbacks(PF_PreRenderCallbacks &cb) {
  cb.checkout_layer = Traced<CheckoutLayer>;
}

void InstallRenderCallbacks(PF_SmartRenderCallbacks &cb) {
  cb.checkout_layer_pixels = Traced<CheckoutLayerPixels>;
  cb.checkin_layer_pixels = Traced<CheckinLayerPixels>;
  cb.checkout_output = Traced<CheckoutOutput>;
}

void ProvideSuites(SuiteRegistry &registry) {
  ProvideShellSuites(registry);
  ProvideLayerSuites(registry);
  ProvideStreamSuites(registry);
  ProvideCompSuites(registry);
  ProvideDrawbotSuites(registry);
}

}  // namespace orvane::host
