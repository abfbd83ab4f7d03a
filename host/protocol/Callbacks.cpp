// The callbacks the application hands a module: in PF_InData parameter registration and
// checkout, custom UI registration, the pixel copy and the ANSI utilities; the render callbacks
// of smart pre-render and smart render; the coordinate callbacks of an event record.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "AE_EffectUI.h"
#include "model/ParamTypes.h"
#include "model/Units.h"
#include "protocol/Session.h"
#include "protocol/Suites.h"

namespace orvane::host {

namespace {

A_long HostSprintf(A_char *buffer, const A_char *format, ...) {
  CallTrace &trace = Session::Current().trace();
  // Formatting has no way to report a failure; it is traced only.
  trace.Enter(HostFunction{"sprintf", kCannotFail}, format);
  va_list args;
  va_start(args, format);
  // Every buffer the module formats into is a host message or line of 256 characters.
  int n = std::vsnprintf(buffer, PF_MAX_EFFECT_MSG_LEN + 1, format, args);
  va_end(args);
  // The result shown is the text, which says more than its length.
  trace.Leave(n >= 0 ? static_cast<const char *>(buffer) : nullptr);
  return n;
}

A_char *HostStrcpy(A_char *dest, const A_char *src) {
  Session::Current().trace().Enter(HostFunction{"strcpy", kCannotFail}, src);
  return std::strcpy(dest, src);
}

A_FpLong HostFabs(A_FpLong v) { return std::fabs(v); }

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  ORVANE_HOST_ENTER("add_param", index, def ? def->name : nullptr, def ? def->param_type : 0);
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !def) return PF_Err_BAD_CALLBACK_PARAM;
  auto &params = s.project().effect.params;
  // Only appending is supported, which is all an effect with a fixed table needs.
  if (index != -1 && index != PF_ParamIndex(params.size())) return PF_Err_INVALID_INDEX;
  // A list that grows while an entry is being made is kept whole by it.
  s.project().undo.Touch(s.project(), UndoHistory::Part());
  EffectParam param;
  param.def = *def;
  param.def.name[PF_MAX_EFFECT_PARAM_NAME_LEN] = '\0';
  const std::string which = "the name of parameter " + std::to_string(params.size());
  param.name = s.ModuleText(param.def.name, which);
  // The text is kept in the project; the definition points at it when it is handed over.
  if (const A_char **text = TypeOf(param.def).text(param.def)) {
    if (*text)
      param.text = s.ModuleText(*text, "the text of parameter " + std::to_string(params.size()));
    *text = nullptr;
  }
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
  // Handing a parameter back cannot fail the command that checked it out.
  ORVANE_HOST_RELEASE_AS("checkin_param", kNeedNotPassOn, ReturnParam(effect_ref, param));
}

PF_Err CheckoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                     const PF_RenderRequest *req, A_long what_time, A_long time_step,
                     A_u_long time_scale, PF_CheckoutResult *result) {
  ORVANE_HOST_ENTER("checkout_layer", index, checkout_id, In(req ? &req->rect : nullptr),
                    req ? A_long(req->preserve_rgb_of_zero_alpha) : 0, what_time, time_step,
                    time_scale);
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !req || !result || time_scale == 0)
    return PF_Err_BAD_CALLBACK_PARAM;
  // The effect has one layer input, its own layer at index 0.
  if (index != 0 || checkout_id != 0) return PF_Err_INVALID_INDEX;
  const PF_LRect &r = req->rect;
  *result = PF_CheckoutResult{};
  result->result_rect = r;
  result->max_result_rect = r;
  result->par = PF_RationalScale{1, 1};
  result->ref_width = r.right - r.left;
  result->ref_height = r.bottom - r.top;
  RenderState &state = s.render_state();
  state.layer_checked_out = true;
  state.layer_time = double(what_time) / time_scale;
  state.keep_colour = req->preserve_rgb_of_zero_alpha != 0;
  return PF_Err_NONE;
}

PF_Err CheckoutLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld **pixels) {
  ORVANE_HOST_ENTER("checkout_layer_pixels", checkout_id);
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !pixels) return PF_Err_BAD_CALLBACK_PARAM;
  RenderState &r = s.render_state();
  if (checkout_id != 0 || !r.layer_checked_out) return PF_Err_INVALID_INDEX;
  // The module keeps the pointer until it checks the pixels back in, so the record must outlive
  // this call; one per callback (and per thread, for sessions on other threads) is enough, as a
  // render checks out one layer and one output at a time.
  static thread_local PF_EffectWorld world;
  world = r.input.World();
  *pixels = &world;
  return PF_Err_NONE;
}

PF_Err CheckinLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id) {
  ORVANE_HOST_ENTER_AS("checkin_layer_pixels", kGivesBack, checkout_id);
  return Session::Current().IsEffectRef(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err CheckoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld **output) {
  ORVANE_HOST_ENTER("checkout_output");
  Session &s = Session::Current();
  if (!s.IsEffectRef(effect_ref) || !output) return PF_Err_BAD_CALLBACK_PARAM;
  // As for the layer's pixels: the record outlives the call, one per callback and thread.
  static thread_local PF_EffectWorld world;
  world = s.render_state().output.World();
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
  if (d.left < 0 || d.top < 0) return PF_Err_NONE;
  // Rectangles come from the module: their differences are taken in 64 bits, where no corner
  // can wrap them.
  using Wide = long long;
  const Wide width = std::min({Wide(s.right) - s.left, Wide(d.right) - d.left,
                               Wide(src->width) - s.left, Wide(dst->width) - d.left});
  const Wide height = std::min({Wide(s.bottom) - s.top, Wide(d.bottom) - d.top,
                                Wide(src->height) - s.top, Wide(dst->height) - d.top});
  if (width <= 0 || height <= 0) return PF_Err_NONE;
  const std::size_t px = std::size_t(PixelBytesOf(*src));
  for (Wide y = 0; y < height; ++y) {
    const auto *from = static_cast<const uint8_t *>(src->data) +
                       std::size_t(s.top + y) * std::size_t(src->rowbytes) +
                       std::size_t(s.left) * px;
    auto *to = static_cast<uint8_t *>(dst->data) +
               std::size_t(d.top + y) * std::size_t(dst->rowbytes) + std::size_t(d.left) * px;
    std::memcpy(to, from, std::size_t(width) * px);
  }
  return PF_Err_NONE;
}

// ---- the coordinate callbacks of an event record ----
// They report errors that callers have no use for, so they are traced but never made to fail.

// The session behind an event record's callbacks, when the refcon and the context are the
// event's own; a context of another window, or none, is misuse the module is told of.
Session *SessionOf(void *refcon, PF_ContextH context, const char *function) {
  if (refcon != &Session::Current()) return nullptr;
  auto *s = static_cast<Session *>(refcon);
  if (!context || context != s->event_context()) {
    s->handles().Report(std::string(function) + ": not the context of the event's window");
    return nullptr;
  }
  return s;
}

Point2 Unfix(const PF_FixedPoint *p) { return {FromFixed(p->x), FromFixed(p->y)}; }
void Refix(PF_FixedPoint *p, Point2 q) { *p = PF_FixedPoint{ToFixed(q.x), ToFixed(q.y)}; }

// The layer's transform at the time the module gives, in layer time as in_data's current_time:
// a layer that moves is mapped where it is at that time.
bool TransformAt(Session &s, A_long time, A_long scale, Transform *t) {
  if (scale <= 0) return false;
  *t = s.project().layer.TransformAt(double(time) / double(scale));
  return true;
}

PF_Err LayerToCompCb(void *refcon, PF_ContextH context, A_long time, A_long scale,
                     PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER_AS("layer_to_comp", kCannotFail, Session::Current().ContextName(context), time,
                       scale, In(pt));
  Session *s = SessionOf(refcon, context, "layer_to_comp");
  Transform t;
  if (!s || !pt || !TransformAt(*s, time, scale, &t)) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, LayerToComp(t, Unfix(pt)));
  return PF_Err_NONE;
}

PF_Err CompToLayerCb(void *refcon, PF_ContextH context, A_long time, A_long scale,
                     PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER_AS("comp_to_layer", kCannotFail, Session::Current().ContextName(context), time,
                       scale, In(pt));
  Session *s = SessionOf(refcon, context, "comp_to_layer");
  Transform t;
  if (!s || !pt || !TransformAt(*s, time, scale, &t)) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, CompToLayer(t, Unfix(pt)));
  return PF_Err_NONE;
}

PF_Err SourceToFrameCb(void *refcon, PF_ContextH context, PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER_AS("source_to_frame", kCannotFail, Session::Current().ContextName(context),
                       In(pt));
  Session *s = SessionOf(refcon, context, "source_to_frame");
  if (!s || !pt) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, ToFrame(s->view(), Unfix(pt)));
  return PF_Err_NONE;
}

PF_Err FrameToSourceCb(void *refcon, PF_ContextH context, PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER_AS("frame_to_source", kCannotFail, Session::Current().ContextName(context),
                       In(pt));
  Session *s = SessionOf(refcon, context, "frame_to_source");
  if (!s || !pt) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, FromFrame(s->view(), Unfix(pt)));
  return PF_Err_NONE;
}

}  // namespace

void InstallCallbacks(PF_InData &in_data, PF_UtilCallbacks &utils) {
  in_data.inter.add_param = Traced<AddParam>;
  in_data.inter.register_ui = Traced<RegisterUI>;
  in_data.inter.checkout_param = Traced<CheckoutParam>;
  in_data.inter.checkin_param = Traced<CheckinParam>;
  utils.copy = Traced<Copy>;
  utils.ansi.sprintf = HostSprintf;
  utils.ansi.strcpy = Traced<HostStrcpy>;
  utils.ansi.fabs = HostFabs;
}

void InstallEventCallbacks(PF_EventCallbacks &cbs, void *refcon) {
  cbs.refcon = refcon;
  cbs.layer_to_comp = Traced<LayerToCompCb>;
  cbs.comp_to_layer = Traced<CompToLayerCb>;
  cbs.source_to_frame = Traced<SourceToFrameCb>;
  cbs.frame_to_source = Traced<FrameToSourceCb>;
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
