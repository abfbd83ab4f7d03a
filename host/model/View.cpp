#include "model/View.h"

#include <cmath>

namespace orvane::host {

namespace {
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// The cosine and sine of a turn. Most layers are not rotated and every coordinate callback maps
// a point, so a turn of zero skips the library: its cosine is 1 and its sine the angle itself
// (signed zero and all), exactly what the library gives.
struct Turn {
  double cos, sin;
};
Turn TurnOf(double degrees) {
  const double a = degrees * kRadiansPerDegree;
  if (a == 0) return {1.0, a};
  return {std::cos(a), std::sin(a)};
}

}  // namespace

Point2 LayerToComp(const Transform &t, Point2 p) {
  const double x = (p.x - t.anchor[0]) * t.scale[0] / 100.0,
               y = (p.y - t.anchor[1]) * t.scale[1] / 100.0;
  const Turn a = TurnOf(t.rotation);
  return {t.position[0] + x * a.cos - y * a.sin, t.position[1] + x * a.sin + y * a.cos};
}

Point2 CompToLayer(const Transform &t, Point2 p) {
  const Turn a = TurnOf(-t.rotation);
  const double x = p.x - t.position[0], y = p.y - t.position[1];
  const double rx = x * a.cos - y * a.sin, ry = x * a.sin + y * a.cos;
  // A layer scaled to zero has no inverse; its points all sit on the anchor.
  const double sx = t.scale[0] != 0 ? t.scale[0] / 100.0 : 1.0,
               sy = t.scale[1] != 0 ? t.scale[1] / 100.0 : 1.0;
  return {t.anchor[0] + rx / sx, t.anchor[1] + ry / sy};
}

Point2 ToFrame(const View &v, Point2 p) {
  return {v.origin[0] + v.zoom * p.x, v.origin[1] + v.zoom * p.y};
}

Point2 FromFrame(const View &v, Point2 p) {
  const double z = v.zoom != 0 ? v.zoom : 1.0;
  return {(p.x - v.origin[0]) / z, (p.y - v.origin[1]) / z};
}

WindowMapping MappingOf(const Project &project, const View &view, WindowKind window,
                        double comp_time) {
  WindowMapping m;
  m.view = view;
  m.through_layer = window == WindowKind::Comp;
  if (m.through_layer) m.layer = project.layer.TransformAt(project.LayerTime(comp_time));
  return m;
}

Point2 LayerToWindow(const WindowMapping &m, Point2 p) {
  return ToFrame(m.view, m.through_layer ? LayerToComp(m.layer, p) : p);
}

}  // namespace orvane::host
