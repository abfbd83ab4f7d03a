// The surface of a window that a plug-in draws its overlay on during a draw event: what was
// drawn in the last event, in window pixels, and whether an event is under way (outside one there
// is nothing to draw on).
#pragma once

#include <vector>

#include "DrawbotSuite.h"

namespace orvane::host {

// One operation of a draw event.
struct DrawOp {
  enum class Kind { Stroke, Rect } kind = Kind::Stroke;
  DRAWBOT_ColorRGBA color{};
  float size = 0;
  std::vector<DRAWBOT_PointF32> path;  // move-to, then per Bezier segment two controls and the end
  DRAWBOT_RectF32 rect{};
};

class DrawingSurface {
 public:
  // A new draw event replaces what the last one drew.
  void Begin() {
    ops_.clear();
    open_ = true;
  }
  void End() { open_ = false; }
  bool open() const { return open_; }
  void Add(DrawOp op) { ops_.push_back(std::move(op)); }
  const std::vector<DrawOp> &ops() const { return ops_; }
  void Clear() { ops_.clear(); }

 private:
  std::vector<DrawOp> ops_;
  bool open_ = false;
};

}  // namespace orvane::host
