// Custom UI events: drawing the linked masks with their corner handles, grabbing a handle on
// mouse-down and resizing the grabbed slot's rectangle on every drag event.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "AEFX_SuiteHelper.h"
#include "BooleanValues.h"
#include "ControlUI.h"
#include "CreateRect.h"
#include "DrawbotRefs.h"
#include "Handlers.h"
#include "MaskCommand.h"
#include "Params.h"

using namespace Orvane;

namespace {

constexpr float kOutlineAlpha = 0.6f;
constexpr float kOutlinePenSize = 5.0f;
constexpr float kHandleAlpha = 0.7f;
constexpr float kHandleSize = 8.0f;
constexpr double kHandleOffset = 4.0;
constexpr A_long kHitDistance = 16;  // city-block window pixels; a handle is hit below this
constexpr A_long kPremiereAppId = 0x50724d72;  // 'PrMr'

// The Drawbot suites for one draw event, released on every way out, also by an exception.
class DrawbotSuites {
 public:
  DrawbotSuites(PF_InData *in_data, PF_OutData *out_data) : in_data_(in_data), out_data_(out_data) {
    err_ = AEFX_AcquireDrawbotSuites(in_data, out_data, &suites_);
  }
  ~DrawbotSuites() {
    if (!err_) {
      (void)AEFX_ReleaseDrawbotSuites(in_data_, out_data_);
      return;
    }
    // Only those acquired before the failure are given back.
    const void *held[] = {suites_.drawbot_suiteP, suites_.supplier_suiteP, suites_.surface_suiteP,
                          suites_.path_suiteP};
    const char *names[] = {kDRAWBOT_DrawSuite, kDRAWBOT_SupplierSuite, kDRAWBOT_SurfaceSuite,
                           kDRAWBOT_PathSuite};
    for (int i = 0; i < 4; ++i) {
      if (held[i]) (void)AEFX_ReleaseSuite(in_data_, out_data_, names[i], 1, nullptr);
    }
  }
  DrawbotSuites(const DrawbotSuites &) = delete;
  DrawbotSuites &operator=(const DrawbotSuites &) = delete;

  PF_Err err() const { return err_; }
  const DRAWBOT_Suites &get() const { return suites_; }

 private:
  PF_InData *in_data_;
  PF_OutData *out_data_;
  DRAWBOT_Suites suites_{};
  PF_Err err_;
};

// A vertex coordinate as whole pixels: plus a half, truncated toward zero, saturated.
A_long RoundedInt(double v) {
  const double r = v + 0.5;
  if (r >= 2147483647.0) return 2147483647;
  if (r <= -2147483648.0) return A_long(-2147483647 - 1);
  return A_long(r);  // the conversion truncates toward zero
}

long long Abs64(long long v) { return v < 0 ? -v : v; }

// One axis of the hit distance, truncated to whole pixels; anything beyond reach counts alike.
long long CappedDistance(double d) { return d < 1e9 ? static_cast<long long>(d) : 1000000000LL; }

// Layer point to window frame pixels, as floats for Drawbot.
DRAWBOT_PointF32 FramePoint(PF_InData *in_data, PF_EventExtra *extra, double x, double y) {
  PF_FixedPoint p{DoubleToFixed(x), DoubleToFixed(y)};
  (void)Source2FramePoint(in_data, extra, &p);
  return DRAWBOT_PointF32{float(p.x / 65536.0), float(p.y / 65536.0)};
}

// Each distinct non-zero path id of slots 1..Number, in slot order.
std::vector<PF_PathID> ReferencedPaths(PF_ParamDef *params[]) {
  std::vector<PF_PathID> paths;
  const int number = ClampSlotCount(params[PARAM_NUMBER]->u.sd.value);
  for (int s = 0; s < number; ++s) {
    const PF_PathID id = params[PARAM_MASK_PATH(s)]->u.path_d.path_id;
    bool seen = false;
    for (PF_PathID p : paths) seen = seen || p == id;
    if (id != 0 && !seen) paths.push_back(id);
  }
  return paths;
}

void DrawMask(MaskCommand &c, PF_EventExtra *extra, const DRAWBOT_Suites &db,
              DRAWBOT_SupplierRef supplier, DRAWBOT_SurfaceRef surface, AEGP_LayerH layer,
              A_long mask_index) {
  auto &s = c.suites;
  PF_InData *in_data = c.in_data;
  LinkedOutline mask(c, MaskSuite::V6);
  AEGP_ColorVal mask_color{};
  mask.OpenMask(layer, mask_index);
  c.err.Do([&] { return s.LayerMaskSuite6()->AEGP_GetMaskColor(mask.mask(), &mask_color); });
  DRAWBOT_ColorRGBA color{float(mask_color.redF), float(mask_color.greenF), float(mask_color.blueF),
                          kOutlineAlpha};
  // Once something has failed nothing more is drawn, so no pen or path is asked for either.
  DRAWBOT_PenP pen;
  if (c.err.ok()) pen.New(db.supplier_suiteP, supplier, &color, kOutlinePenSize);
  mask.ReadOutline(FALSE);
  const AEGP_MaskOutlineValH outline = mask.outline();
  const A_long segments = mask.segments;
  DRAWBOT_PathP path;
  if (c.err.ok()) path.New(db.supplier_suiteP, supplier);

  double handles[4][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
  for (A_long j = 0; j < segments && c.err.ok(); ++j) {
    AEGP_MaskVertex a{}, b{};
    c.err.Do([&] { return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineVertexInfo(outline, j, &a); });
    c.err.Do(
        [&] { return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineVertexInfo(outline, j + 1, &b); });
    if (!c.err.ok()) break;  // nothing more is drawn, so nothing more is mapped
    if (j < 4) {
      handles[j][0] = a.x;
      handles[j][1] = a.y;
    }
    // Tangents are relative to their vertex.
    const DRAWBOT_PointF32 start = FramePoint(in_data, extra, a.x, a.y);
    const DRAWBOT_PointF32 c1 = FramePoint(in_data, extra, a.x + a.tan_out_x, a.y + a.tan_out_y);
    const DRAWBOT_PointF32 c2 = FramePoint(in_data, extra, b.x + b.tan_in_x, b.y + b.tan_in_y);
    const DRAWBOT_PointF32 end = FramePoint(in_data, extra, b.x, b.y);
    if (j == 0) c.err.Do([&] { return db.path_suiteP->MoveTo(path.get(), start.x, start.y); });
    c.err.Do([&] { return db.path_suiteP->BezierTo(path.get(), &c1, &c2, &end); });
  }
  c.err.Do([&] { return db.surface_suiteP->StrokePath(surface, pen.get(), path.get()); });

  if (mask.IsRectangle()) {
    color.alpha = kHandleAlpha;
    DRAWBOT_RectF32 rect{0, 0, kHandleSize, kHandleSize};
    for (const auto &handle : handles) {
      if (!c.err.ok()) break;
      const DRAWBOT_PointF32 center = FramePoint(in_data, extra, handle[0], handle[1]);
      rect.left = float(double(center.x) - kHandleOffset);
      rect.top = float(double(center.y) - kHandleOffset);
      c.err.Do([&] { return db.surface_suiteP->PaintRect(surface, &color, &rect); });
    }
  }
  mask.Release();
  // Letting the path and pen go can fail too; that is the event's failure.
  path.Release();
  pen.Release();
}

PF_Err DoDrawHandles(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                     PF_EventExtra *extra) {
  if (params[PARAM_ON]->u.bd.value == 0) return PF_Err_NONE;
  MaskCommand c(in_data);
  auto &s = c.suites;
  AEGP_LayerH layer = nullptr;
  c.err.Do([&] { return s.PFInterfaceSuite1()->AEGP_GetEffectLayer(in_data->effect_ref, &layer); });
  DrawbotSuites db(in_data, out_data);
  c.err.Do([&] { return db.err(); });
  DRAWBOT_DrawRef drawing = nullptr;
  c.err.Do(
      [&] { return s.EffectCustomUISuite1()->PF_GetDrawingReference(extra->contextH, &drawing); });
  const std::vector<PF_PathID> paths = ReferencedPaths(params);
  const PathToMaskMap map = BuildPathMap(c, layer, MaskSuite::V6);
  if (!drawing) return c.err.err();

  DRAWBOT_SurfaceRef surface = nullptr;
  DRAWBOT_SupplierRef supplier = nullptr;
  c.err.Do([&] { return s.DrawbotSuite1()->GetSurface(drawing, &surface); });
  c.err.Do([&] { return db.get().drawbot_suiteP->GetSupplier(drawing, &supplier); });
  for (PF_PathID id : paths) {
    auto linked = map.find(id);
    if (linked == map.end() || !c.err.ok()) continue;
    DrawMask(c, extra, db.get(), supplier, surface, layer, linked->second);
  }
  return c.err.err();
}

// Mouse-down: the first handle within reach, slots from the lowest, vertices from 0, wins.
bool DoClickHandles(PF_InData *in_data, PF_ParamDef *params[], PointConversion to_frame,
                    PF_EventExtra *extra) {
  if (params[PARAM_ON]->u.bd.value == 0) return false;
  MaskCommand c(in_data);
  auto &s = c.suites;
  AEGP_LayerH layer = nullptr;
  c.err.Do([&] { return s.PFInterfaceSuite1()->AEGP_GetEffectLayer(in_data->effect_ref, &layer); });
  const PF_Point mouse = extra->u.do_click.screen_point;
  const int number = ClampSlotCount(params[PARAM_NUMBER]->u.sd.value);
  const PathToMaskMap map = BuildPathMap(c, layer, MaskSuite::V6);
  bool hit = false;
  for (int k = 0; k < number && !hit && c.err.ok(); ++k) {
    const PF_PathID id = params[PARAM_MASK_PATH(k)]->u.path_d.path_id;
    auto linked = map.find(id);
    if (id == 0 || linked == map.end()) continue;
    LinkedOutline mask(c, MaskSuite::V6);
    mask.OpenMask(layer, linked->second);
    mask.ReadOutline(FALSE);
    if (!mask.IsRectangle()) continue;
    const AEGP_MaskOutlineValH outline = mask.outline();
    for (AEGP_VertexIndex j = 0; j < 4 && !hit; ++j) {
      AEGP_MaskVertex vertex{};
      c.err.Do([&] {
        return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineVertexInfo(outline, j, &vertex);
      });
      // A vertex that could not be read is nowhere, so it cannot be under the mouse.
      if (!c.err.ok()) break;
      // Nor is a vertex that is not a finite number (a rectangle of NaN or infinite size).
      if (!std::isfinite(vertex.x) || !std::isfinite(vertex.y)) continue;
      PF_Point point{RoundedInt(vertex.x), RoundedInt(vertex.y)};
      PF_FixedPoint fixed{};
      to_frame(in_data, extra, &point, &point, &fixed);
      // Differences are formed in 64 bits and capped, so a point at the edge of the integer range
      // is simply far away.
      long long distance;
      if (in_data->appl_id == kPremiereAppId) {
        distance = Abs64(static_cast<long long>(point.h) - mouse.h) +
                   Abs64(static_cast<long long>(point.v) - mouse.v);
      } else {
        const PF_ANSISuite1 *ansi = s.ANSISuite1();
        distance = CappedDistance(ansi->fabs(double(point.h) - mouse.h)) +
                   CappedDistance(ansi->fabs(double(point.v) - mouse.v));
      }
      if (distance < kHitDistance) {
        hit = true;
        extra->u.do_click.send_drag = TRUE;
        extra->u.do_click.continue_refcon[0] = 1;
        extra->u.do_click.continue_refcon[1] = DoubleToFixed(vertex.x);
        extra->u.do_click.continue_refcon[2] = DoubleToFixed(vertex.y);
        extra->u.do_click.continue_refcon[3] = k;
      }
    }
  }
  return hit;
}

// Drag: the grabbed corner goes where the mouse is; centre and angle stay.
bool DoDragHandles(PF_InData *in_data, PF_ParamDef *params[], PointConversion to_layer,
                   PF_EventExtra *extra) {
  PF_DoClickEventInfo &click = extra->u.do_click;
  const A_intptr_t k = click.continue_refcon[3];
  // The host hands the refcon back as we left it; anything else is not a drag of ours.
  if (k < 0 || k >= SLOT_COUNT) return true;
  PF_Point mouse = click.screen_point;
  PF_FixedPoint point{};
  to_layer(in_data, extra, &mouse, &mouse, &point);

  const int slot = int(k);
  const PF_ParamDef &center = *params[PARAM_CENTER(slot)];
  const RectangleCreator rect(
      Vector<double>(center.u.td.x_value / 65536.0, center.u.td.y_value / 65536.0),
      params[PARAM_WIDTH(slot)]->u.fs_d.value, params[PARAM_HEIGHT(slot)]->u.fs_d.value,
      params[PARAM_ANGLE(slot)]->u.ad.value / 65536.0);
  rect.Set(PARAM_CENTER(slot), Vector<double>(point.x / 65536.0, point.y / 65536.0), params);

  click.send_drag = TRUE;
  click.continue_refcon[1] = point.x;
  click.continue_refcon[2] = point.y;
  if (click.last_time) {
    click.continue_refcon[0] = 0;
    click.send_drag = FALSE;
  }
  return true;
}

}  // namespace

PF_Err HandleEvent(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *,
                   PF_EventExtra *extra) {
  if (extra->e_type == PF_Event_DO_CLICK && extra->u.do_click.send_drag)
    extra->e_type = PF_Event_DRAG;
  const PF_WindowType window = WindowType(extra);
  const bool comp = window == PF_Window_COMP, layer = window == PF_Window_LAYER;
  if (!comp && !layer) return PF_Err_NONE;
  switch (extra->e_type) {
    case PF_Event_DO_CLICK:
      if (DoClickHandles(in_data, params, comp ? Layer2CompFrame : Layer2LayerFrame, extra)) {
        extra->evt_out_flags = PF_EO_HANDLED_EVENT;
      }
      break;
    case PF_Event_DRAG:
      DoDragHandles(in_data, params, comp ? CompFrame2Layer : LayerFrame2Layer, extra);
      extra->evt_out_flags = PF_EO_HANDLED_EVENT;
      break;
    case PF_Event_DRAW:
      try {
        // Host errors while drawing end the drawing, not the event.
        (void)DoDrawHandles(in_data, out_data, params, extra);
      } catch (const DRAWBOT_Exception &e) {
        // A Drawbot object that could not be made or let go is the event's failure.
        extra->evt_out_flags = PF_EO_HANDLED_EVENT;
        return e.err();
      }
      extra->evt_out_flags = PF_EO_HANDLED_EVENT;
      break;
    default:
      break;
  }
  return PF_Err_NONE;
}
