// What the outcome tests expect, worked out here from first principles rather than taken from the
// module: piecewise-linear parameter tracks, a rectangle's corners, and the path from a layer pixel
// to a window pixel through the layer's transform and the window's view.
#ifndef ORVANE_TESTS_OUTCOME_EXPECT_H
#define ORVANE_TESTS_OUTCOME_EXPECT_H

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace orvane::test {

constexpr double kPi = 3.14159265358979323846;

// A parameter animated by linear keys (time in layer seconds), held before the first and after
// the last, as the application evaluates a keyframed stream.
struct Track {
  std::vector<std::pair<double, double>> keys;
  double At(double t) const {
    if (t <= keys.front().first) return keys.front().second;
    if (t >= keys.back().first) return keys.back().second;
    for (std::size_t i = 1; i < keys.size(); ++i) {
      if (t <= keys[i].first) {
        const auto &a = keys[i - 1], &b = keys[i];
        return a.second + (b.second - a.second) * (t - a.first) / (b.first - a.first);
      }
    }
    return keys.back().second;
  }
};

struct XY {
  double x, y;
};

// Corners of a rectangle turned clockwise on screen (y down) by `degrees` about its centre, from
// the top-left corner of the unturned rectangle, clockwise.
inline std::array<XY, 4> Corners(double cx, double cy, double w, double h, double degrees) {
  const double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  const double hw = w / 2, hh = h / 2;
  const XY local[4] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
  std::array<XY, 4> out{};
  for (int k = 0; k < 4; ++k)
    out[std::size_t(k)] = {cx + local[k].x * c - local[k].y * s,
                           cy + local[k].x * s + local[k].y * c};
  return out;
}

// A layer placed in the composition (position, anchor, scale in percent, rotation clockwise in
// degrees) and a window showing it at a zoom with an origin offset.
struct Placement {
  XY position{0, 0}, anchor{0, 0}, scale{100, 100};
  double rotation = 0;
  double zoom = 1;
  XY origin{0, 0};
  bool comp_window = true;

  XY ToWindow(XY p) const {
    XY q = p;
    if (comp_window) {
      const double a = rotation * kPi / 180, c = std::cos(a), s = std::sin(a);
      const double x = (p.x - anchor.x) * scale.x / 100, y = (p.y - anchor.y) * scale.y / 100;
      q = {position.x + x * c - y * s, position.y + x * s + y * c};
    }
    return {origin.x + zoom * q.x, origin.y + zoom * q.y};
  }
  XY ToLayer(XY w) const {
    XY q{(w.x - origin.x) / zoom, (w.y - origin.y) / zoom};
    if (!comp_window) return q;
    const double a = rotation * kPi / 180, c = std::cos(a), s = std::sin(a);
    const double x = q.x - position.x, y = q.y - position.y;
    const double ux = x * c + y * s, uy = -x * s + y * c;
    return {anchor.x + ux * 100 / scale.x, anchor.y + uy * 100 / scale.y};
  }
};

// Width and height that put a corner of a rectangle with this centre and angle at `p`.
inline XY SidesThrough(XY center, double degrees, XY p) {
  const double a = degrees * kPi / 180, dx = p.x - center.x, dy = p.y - center.y;
  return {2 * std::fabs(dx * std::cos(a) + dy * std::sin(a)),
          2 * std::fabs(-dx * std::sin(a) + dy * std::cos(a))};
}

}  // namespace orvane::test

#endif
