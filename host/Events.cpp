// Custom-UI events: the event record, its coordinate callbacks, draw events and mouse drags.
#include <cmath>

#include "HostObjects.h"
#include "ParamValues.h"
#include "Suites.h"

namespace orvane::host {

namespace {

Session *SessionOf(void *refcon) {
  return refcon == &Session::Current() ? static_cast<Session *>(refcon) : nullptr;
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

PF_Err LayerToCompCb(void *refcon, PF_ContextH, A_long time, A_long scale, PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER("layer_to_comp", time, scale, In(pt));
  Session *s = SessionOf(refcon);
  Transform t;
  if (!s || !pt || !TransformAt(*s, time, scale, &t)) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, LayerToComp(t, Unfix(pt)));
  return PF_Err_NONE;
}

PF_Err CompToLayerCb(void *refcon, PF_ContextH, A_long time, A_long scale, PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER("comp_to_layer", time, scale, In(pt));
  Session *s = SessionOf(refcon);
  Transform t;
  if (!s || !pt || !TransformAt(*s, time, scale, &t)) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, CompToLayer(t, Unfix(pt)));
  return PF_Err_NONE;
}

PF_Err SourceToFrameCb(void *refcon, PF_ContextH, PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER("source_to_frame", In(pt));
  Session *s = SessionOf(refcon);
  if (!s || !pt) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, ToFrame(s->view(), Unfix(pt)));
  return PF_Err_NONE;
}

PF_Err FrameToSourceCb(void *refcon, PF_ContextH, PF_FixedPoint *pt) {
  ORVANE_HOST_ENTER("frame_to_source", In(pt));
  Session *s = SessionOf(refcon);
  if (!s || !pt) return PF_Err_BAD_CALLBACK_PARAM;
  Refix(pt, FromFrame(s->view(), Unfix(pt)));
  return PF_Err_NONE;
}

}  // namespace

void InstallEventCallbacks(PF_EventCallbacks &cbs, void *refcon) {
  cbs.refcon = refcon;
  cbs.layer_to_comp = Traced<LayerToCompCb>;
  cbs.comp_to_layer = Traced<CompToLayerCb>;
  cbs.source_to_frame = Traced<SourceToFrameCb>;
  cbs.frame_to_source = Traced<FrameToSourceCb>;
}

EventResult Session::SendEvent(WindowKind window, PF_EventExtra &extra, double time) {
  extra.contextH = context_handle(window);
  extra.evt_out_flags = PF_EO_NONE;
  InstallEventCallbacks(extra.cbs, this);
  CommandContext context;
  context.time = time;
  EventResult result;
  result.err = Send(PF_Cmd_EVENT, &extra, nullptr, &context);
  result.handled = (extra.evt_out_flags & PF_EO_HANDLED_EVENT) != 0;
  result.extra = extra;
  return result;
}

EventResult Session::Draw(WindowKind window, double time) {
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DRAW;
  const A_long w = window == WindowKind::Comp ? project_.comp.width : project_.layer.width;
  const A_long h = window == WindowKind::Comp ? project_.comp.height : project_.layer.height;
  extra.u.draw.update_rect = PF_LRect{0, 0, A_long(w * view_.zoom), A_long(h * view_.zoom)};
  drawing_.clear();
  drawing_open_ = true;
  EventResult result = SendEvent(window, extra, time);
  drawing_open_ = false;
  return result;
}

bool Session::Drag(WindowKind window, const std::vector<Point2> &points, double time) {
  if (points.empty()) return false;
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DO_CLICK;
  PF_DoClickEventInfo &click = extra.u.do_click;
  click.num_clicks = 1;
  click.screen_point = PF_Point{A_long(std::lround(points[0].x)), A_long(std::lround(points[0].y))};
  // A single point is a click: the mouse goes up where it went down.
  click.last_time = points.size() == 1 ? TRUE : FALSE;
  EventResult down = SendEvent(window, extra, time);
  if (!down.handled || down.err) return false;
  if (points.size() == 1 && click.send_drag) {
    // The release of a click the module took arrives as the drag event that ends it.
    extra.e_type = PF_Event_DRAG;
    SendEvent(window, extra, time);
  }
  for (std::size_t i = 1; i < points.size() && click.send_drag; ++i) {
    extra.e_type = PF_Event_DRAG;
    click.screen_point =
        PF_Point{A_long(std::lround(points[i].x)), A_long(std::lround(points[i].y))};
    click.last_time = i + 1 == points.size() ? TRUE : FALSE;
    ++click.when;
    SendEvent(window, extra, time);
    CommandContext context;
    context.time = time;
    Render(context);
  }
  return true;
}

}  // namespace orvane::host
