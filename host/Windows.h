// The composition and layer windows: the view that maps window pixels, and the layer's
// transform that places it in the composition.
#ifndef ORVANE_HOST_WINDOWS_H
#define ORVANE_HOST_WINDOWS_H

#include <string>
#include <vector>

#include "AE_EffectUI.h"
#include "DrawbotSuite.h"
#include "Project.h"

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

// One operation of a draw event, as the Drawbot suites recorded it (window pixels).
struct DrawOp {
  enum class Kind { Stroke, Rect } kind = Kind::Stroke;
  DRAWBOT_ColorRGBA color{};
  float size = 0;
  std::vector<DRAWBOT_PointF32> path;  // move-to, then per Bezier segment two controls and the end
  DRAWBOT_RectF32 rect{};
};

}  // namespace orvane::host

#endif
