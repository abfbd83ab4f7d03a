#include "play/WindowView.h"

#include <cmath>

#include "report/Dump.h"
#include "report/PictureLayout.h"

namespace orvane::host::play {

namespace {

Json WindowPoint(const WindowMapping &m, double x, double y) {
  const Point2 p = LayerToWindow(m, {x, y});
  return {p.x, p.y};
}

// A closed outline as a path: the first vertex, then each segment's two control points and its
// end, as the draw recording gives strokes.
Json OutlinePath(const WindowMapping &m, const Outline &o) {
  Json path = Json::array();
  const auto &v = o.vertices;
  path.push_back(WindowPoint(m, v[0].x, v[0].y));
  for (std::size_t j = 0; j < std::size_t(o.Segments()); ++j) {
    const AEGP_MaskVertex &a = v[j], &b = v[(j + 1) % v.size()];
    path.push_back(WindowPoint(m, a.x + a.tan_out_x, a.y + a.tan_out_y));
    path.push_back(WindowPoint(m, b.x + b.tan_in_x, b.y + b.tan_in_y));
    path.push_back(WindowPoint(m, b.x, b.y));
  }
  return path;
}

// Numbers to a thousandth of a pixel, which is all a picture can show: the answer at every
// mouse move is a third of the size with the module's floats written whole.
void Rounded(Json &j) {
  if (j.is_number_float()) {
    j = std::round(j.get<double>() * 1000) / 1000;
  } else if (j.is_structured()) {
    for (Json &item : j) Rounded(item);
  }
}

}  // namespace

Json WindowView(Session &session, WindowKind window, double time) {
  const Project &p = session.project();
  const PictureSize size = WindowPicture(p, session.view(), window);
  if (p.effect.applied) session.Draw(window, time);
  const WindowMapping m = MappingOf(p, session.view(), window, time);
  // The layer's mapping (an affine matrix a, b, c, d, e, f, from where the layer's origin and
  // its unit steps land) and its frame say which picture of the layer the window shows: the
  // page asks for it again only when they change.
  const Point2 o = LayerToWindow(m, {0, 0}), x = LayerToWindow(m, {1, 0}),
               y = LayerToWindow(m, {0, 1});
  Json masks = Json::array();
  Json drawing = p.effect.applied ? DrawingJson(session.drawing()) : Json::array();
  Rounded(drawing);
  const double t = p.LayerTime(time);
  for (const Mask &mask : p.layer.masks) {
    const Outline outline = mask.At(t, false);
    if (!outline.open && outline.vertices.size() >= 2) masks.push_back(OutlinePath(m, outline));
  }
  Rounded(masks);
  return {{"window", window == WindowKind::Comp ? "comp" : "layer"},
          {"time", time},
          {"size", {size.width, size.height}},
          {"layer",
           {{"size", {p.layer.width, p.layer.height}},
            {"frame", p.LayerFrame(time)},
            {"matrix", {x.x - o.x, x.y - o.y, y.x - o.x, y.y - o.y, o.x, o.y}}}},
          {"masks", masks},
          {"draw", drawing}};
}

}  // namespace orvane::host::play
