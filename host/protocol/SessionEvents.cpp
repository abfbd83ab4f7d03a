// The application's side of custom-UI events: the event record it fills, draw events and mouse
// drags in the composition and layer windows.
#include <cmath>

#include "protocol/Session.h"
#include "protocol/Suites.h"

namespace orvane::host {

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
  extra.u.draw.update_rect = PF_LRect{0, 0, A_long(WindowWidth(project_, window) * view_.zoom),
                                      A_long(WindowHeight(project_, window) * view_.zoom)};
  surface_.Begin();
  EventResult result = SendEvent(window, extra, time);
  surface_.End();
  return result;
}

bool Session::Drag(WindowKind window, const std::vector<Point2> &points, double time) {
  // The values a drag changes are one entry of the user's, as far as nothing in between (a
  // render's own group) makes one.
  project_.undo.BeginAction("Drag");
  const bool taken = DragEvents(window, points, time);
  project_.undo.EndAction(project_);
  return taken;
}

bool Session::DragEvents(WindowKind window, const std::vector<Point2> &points, double time) {
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
    // The release of a click the module took arrives as the drag event that ends it; a release
    // that changed the project is followed by what follows any change, a fresh frame.
    extra.e_type = PF_Event_DRAG;
    SendEvent(window, extra, time);
    if (commands_.back().values_changed) {
      CommandContext context;
      context.time = time;
      Render(context);
    }
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
