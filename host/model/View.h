// The composition and layer windows as the user looks at them: the view that maps window pixels,
// and where the layer's pixels land in a window at a time. The pictures and the coordinate
// callbacks use the same mapping.
#pragma once

#include "model/Project.h"

namespace orvane::host {

enum class WindowKind { Comp, Layer };

// window pixel = origin + zoom * (composition or layer) point
struct View {
  double zoom = 1.0;
  double origin[2] = {0, 0};
};

struct Point2 {
  double x, y;
};

Point2 LayerToComp(const Transform &t, Point2 p);
Point2 CompToLayer(const Transform &t, Point2 p);
Point2 ToFrame(const View &v, Point2 p);
Point2 FromFrame(const View &v, Point2 p);

// How a layer pixel reaches a window: the view, and in the composition window first the layer's
// transform at that time (the layer window shows the layer as it is).
struct WindowMapping {
  View view;
  bool through_layer = false;
  Transform layer;
};
WindowMapping MappingOf(const Project &project, const View &view, WindowKind window,
                        double comp_time);
Point2 LayerToWindow(const WindowMapping &m, Point2 p);

// The window's own size in composition or layer pixels, before the view's zoom.
inline double WindowWidth(const Project &p, WindowKind w) {
  return w == WindowKind::Comp ? p.comp.width : p.layer.width;
}
inline double WindowHeight(const Project &p, WindowKind w) {
  return w == WindowKind::Comp ? p.comp.height : p.layer.height;
}

}  // namespace orvane::host
