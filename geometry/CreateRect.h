// The one place a slot's rectangle becomes geometry and back: four corners from centre, size
// and angle, and a width and height from a dragged corner.
#ifndef ORVANE_GEOMETRY_CREATERECT_H
#define ORVANE_GEOMETRY_CREATERECT_H

#include <array>

#include "AE_Effect.h"
#include "Vector.h"

namespace Orvane {

class RectangleCreator {
 public:
  Vector<double> center;
  double width = 0;   // full side along the rectangle's own x axis, layer pixels
  double height = 0;  // full side along its own y axis
  double angle = 0;   // degrees; positive turns clockwise on screen

  RectangleCreator(const Vector<double> &center_, double width_, double height_, double angle_)
      : center(center_), width(width_), height(height_), angle(angle_) {}

  // Corners 0..3: top-left, top-right, bottom-right, bottom-left of the unrotated rectangle,
  // so they run clockwise on screen. Mask vertex k is corner k.
  std::array<Vector<double>, 4> Create() const;

  // Writes the slot's Width and Height (the two parameters after its Center) so that `point`
  // is a corner of the rectangle with this centre and angle, and flags both as changed.
  void Set(int center_index, const Vector<double> &point, PF_ParamDef **params) const;
};

}  // namespace Orvane

#endif
