#include "CreateRect.h"

#include <cmath>

namespace Orvane {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

Vector<double> Rotate(const Vector<double> &v, double radians) {
  double c = std::cos(radians), s = std::sin(radians);
  return Vector<double>(v.x * c - v.y * s, v.x * s + v.y * c);
}

}  // namespace

std::array<Vector<double>, 4> RectangleCreator::Create() const {
  const double theta = angle * kRadiansPerDegree;
  const double w = width * 0.5, h = height * 0.5;
  const Vector<double> offsets[4] = {{-w, -h}, {w, -h}, {w, h}, {-w, h}};
  std::array<Vector<double>, 4> corners;
  for (int k = 0; k < 4; ++k) {
    corners[std::size_t(k)] = center;
    corners[std::size_t(k)] += Rotate(offsets[k], theta);
  }
  return corners;
}

void RectangleCreator::Set(int center_index, const Vector<double> &point,
                           PF_ParamDef **params) const {
  Vector<double> d(point);
  d -= center;
  const Vector<double> local = Rotate(d, -angle * kRadiansPerDegree);
  PF_ParamDef *width_param = params[center_index + 1];
  PF_ParamDef *height_param = params[center_index + 2];
  width_param->u.fs_d.value = 2 * std::fabs(local.x);
  width_param->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  height_param->u.fs_d.value = 2 * std::fabs(local.y);
  height_param->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
}

}  // namespace Orvane
