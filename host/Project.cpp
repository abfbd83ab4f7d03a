#include "Project.h"

namespace orvane::host {

StreamValue Interpolate(const StreamValue &a, const StreamValue &b, double f) {
  StreamValue out;
  for (int i = 0; i < 4; ++i) out.v[i] = a.v[i] + (b.v[i] - a.v[i]) * f;
  return out;
}

Outline Interpolate(const Outline &a, const Outline &b, double f) {
  // Outlines of different shape cannot be blended; the earlier key holds.
  if (a.open != b.open || a.vertices.size() != b.vertices.size()) return a;
  Outline out = a;
  for (std::size_t i = 0; i < a.vertices.size(); ++i) {
    const AEGP_MaskVertex &p = a.vertices[i], &q = b.vertices[i];
    AEGP_MaskVertex &r = out.vertices[i];
    r.x = p.x + (q.x - p.x) * f;
    r.y = p.y + (q.y - p.y) * f;
    r.tan_in_x = p.tan_in_x + (q.tan_in_x - p.tan_in_x) * f;
    r.tan_in_y = p.tan_in_y + (q.tan_in_y - p.tan_in_y) * f;
    r.tan_out_x = p.tan_out_x + (q.tan_out_x - p.tan_out_x) * f;
    r.tan_out_y = p.tan_out_y + (q.tan_out_y - p.tan_out_y) * f;
  }
  return out;
}

int EffectInstance::FindParam(const std::string &name) const {
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (!name.empty() && params[i].name == name) return int(i);
  }
  return -1;
}

int Project::MaskIndexById(AEGP_MaskIDVal id) const {
  for (std::size_t i = 0; i < layer.masks.size(); ++i) {
    if (layer.masks[i].id == id) return int(i);
  }
  return -1;
}

}  // namespace orvane::host
