// The application's side of custom-UI events: the event record it fills, draw events and mouse
// drags in the composition and layer windows.
#include <algorithm>
#include <cmath>

#include "protocol/Session.h"
#include "protocol/Suites.h"

namespace orvane::host {

namespace {

// The resolution the application renders a window at for its zoom, as its "Auto" setting does:
// full at 100 % and above, half from 50 %, a third from 33 %, and so on.
int WindowResolution(const View &view) {
  if (!(view.zoom > 0) || view.zoom >= 1) return 1;
  return std::clamp(int(std::floor(1 / view.zoom + 1e-9)), 1, 64);
}

}  // namespace

EventResult Session::SendEvent(WindowKind window, PF_EventExtra &extra, double time) {
  extra.contextH = context_handle(window);
  extra.evt_out_flags = PF_EO_NONE;
  InstallEventCallbacks(extra.cbs, this);
  CommandContext context;
  context.time = time;
  EventResult result;
  event_context_ = extra.contextH;
  result.err = Send(PF_Cmd_EVENT, &extra, nullptr, &context);
  event_context_ = nullptr;
  result.handled = (extra.evt_out_flags & PF_EO_HANDLED_EVENT) != 0;
  result.extra = extra;
  return result;
}

EventResult Session::Draw(WindowKind window, double time) {
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DRAW;
  extra.u.draw.update_rect = PF_LRect{0, 0, A_long(WindowWidth(project_, window) * view_.zoom),
                                      A_long(WindowHeight(project_, window) * view_.zoom)};
  surface_.Begin();
  EventResult result = SendEvent(window, extra, time);
  surface_.End();
  return result;
}

bool Session::Drag(WindowKind window, const std::vector<Point2> &points, double time) {
  if (points.empty()) return false;
  if (!MouseDown(window, points[0], time, points.size() == 1)) return false;
  for (std::size_t i = 1; i < points.size(); ++i) MouseMove(points[i], i + 1 == points.size());
  return true;
}

bool Session::MouseDown(WindowKind window, Point2 point, double time, bool click) {
  gesture_ = Gesture();
  // A drag is one entry of the user's, from the mouse-down to the release: the renders that
  // follow the mouse meanwhile are part of it, so that one Undo takes the whole drag back.
  project_.undo.BeginAction("Drag", true);
  PF_EventExtra &extra = gesture_.extra;
  extra.e_type = PF_Event_DO_CLICK;
  PF_DoClickEventInfo &info = extra.u.do_click;
  info.num_clicks = 1;
  info.screen_point = PF_Point{A_long(std::lround(point.x)), A_long(std::lround(point.y))};
  // A click: the mouse goes up where it went down.
  info.last_time = click ? TRUE : FALSE;
  // Each event is an action of its own: what the module changed through it is followed at once,
  // so the rectangle follows the pointer.
  Action action = BeginAction(time);
  if (!click) action.downsample = WindowResolution(view_);
  EventResult down = SendEvent(window, extra, time);
  FinishAction(action, false, false);
  if (!down.handled || down.err) {
    project_.undo.EndAction(project_);
    return false;
  }
  if (click && info.send_drag) {
    // The release of a click the module took arrives as the drag event that ends it.
    extra.e_type = PF_Event_DRAG;
    action = BeginAction(time);
    SendEvent(window, extra, time);
    FinishAction(action, false, false);
  }
  gesture_.held = !click;
  if (click) project_.undo.EndAction(project_);
  gesture_.window = window;
  gesture_.time = time;
  return true;
}

void Session::MouseMove(Point2 point, bool release) {
  PF_EventExtra &extra = gesture_.extra;
  PF_DoClickEventInfo &info = extra.u.do_click;
  // The module stops a drag by no longer asking for its events.
  if (!gesture_.held || !info.send_drag) {
    if (gesture_.held) project_.undo.EndAction(project_);
    gesture_.held = false;
    return;
  }
  extra.e_type = PF_Event_DRAG;
  info.screen_point = PF_Point{A_long(std::lround(point.x)), A_long(std::lround(point.y))};
  info.last_time = release ? TRUE : FALSE;
  ++info.when;
  Action action = BeginAction(gesture_.time);
  if (!release) action.downsample = WindowResolution(view_);
  SendEvent(gesture_.window, extra, gesture_.time);
  FinishAction(action, false, false);
  if (release) {
    gesture_.held = false;
    project_.undo.EndAction(project_);
  }
}

}  // namespace orvane::host
