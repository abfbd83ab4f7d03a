#include "model/Animation.h"

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

Outline OutlineKeys::value(std::size_t i) const {
  const Shape &shape = shapes_[i];
  Outline out;
  out.open = shape.open;
  out.vertices.resize(shape.vertices);
  const double *p = pool_.data() + shape.offset;
  for (AEGP_MaskVertex &v : out.vertices) {
    if (shape.tangents) {
      v = AEGP_MaskVertex{p[0], p[1], p[2], p[3], p[4], p[5]};
      p += 6;
    } else {
      v = AEGP_MaskVertex{p[0], p[1], 0, 0, 0, 0};
      p += 2;
    }
  }
  return out;
}

OutlineKeys::Shape OutlineKeys::Store(const Outline &v) {
  Shape shape;
  shape.offset = pool_.size();
  shape.vertices = uint32_t(v.vertices.size());
  shape.open = v.open;
  for (const AEGP_MaskVertex &x : v.vertices) {
    shape.tangents = shape.tangents || x.tan_in_x != 0 || x.tan_in_y != 0 || x.tan_out_x != 0 ||
                     x.tan_out_y != 0;
  }
  for (const AEGP_MaskVertex &x : v.vertices) {
    pool_.push_back(x.x);
    pool_.push_back(x.y);
    if (shape.tangents)
      pool_.insert(pool_.end(), {x.tan_in_x, x.tan_in_y, x.tan_out_x, x.tan_out_y});
  }
  return shape;
}

OutlineKeys::Shape OutlineKeys::Copy(const OutlineKeys &other, const Shape &shape) {
  Shape copy = shape;
  copy.offset = pool_.size();
  const std::size_t n = std::size_t(shape.vertices) * (shape.tangents ? 6 : 2);
  const double *from = other.pool_.data() + shape.offset;
  pool_.insert(pool_.end(), from, from + n);
  return copy;
}

void OutlineKeys::Put(double t, A_Time at, const Outline &v) {
  const std::size_t i =
      std::size_t(std::lower_bound(times_.begin(), times_.end(), t) - times_.begin());
  if (i < times_.size() && times_[i] == t) {
    at_[i] = at;
    shapes_[i] = Store(v);
    return;
  }
  times_.insert(times_.begin() + std::ptrdiff_t(i), t);
  at_.insert(at_.begin() + std::ptrdiff_t(i), at);
  shapes_.insert(shapes_.begin() + std::ptrdiff_t(i), Store(v));
}

void OutlineKeys::Append(double t, A_Time at, const Outline &v) {
  times_.push_back(t);
  at_.push_back(at);
  shapes_.push_back(Store(v));
}

void OutlineKeys::Replace(std::size_t i, const Outline &v) { shapes_[i] = Store(v); }

void OutlineKeys::SetFrom(const OutlineKeys &other, std::size_t i) {
  const double t = other.times_[i];
  const std::size_t at =
      times_.empty() || times_.back() < t
          ? times_.size()
          : std::size_t(std::lower_bound(times_.begin(), times_.end(), t) - times_.begin());
  if (at < times_.size() && times_[at] == t) {
    at_[at] = other.at_[i];
    shapes_[at] = Copy(other, other.shapes_[i]);
    return;
  }
  times_.insert(times_.begin() + std::ptrdiff_t(at), t);
  at_.insert(at_.begin() + std::ptrdiff_t(at), other.at_[i]);
  shapes_.insert(shapes_.begin() + std::ptrdiff_t(at), Copy(other, other.shapes_[i]));
}

void OutlineKeys::SortByTime() {
  if (std::is_sorted(times_.begin(), times_.end())) return;
  std::vector<std::size_t> order(times_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [this](std::size_t a, std::size_t b) { return times_[a] < times_[b]; });
  std::vector<double> times(order.size());
  std::vector<A_Time> at(order.size());
  std::vector<Shape> shapes(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    times[i] = times_[order[i]];
    at[i] = at_[order[i]];
    shapes[i] = shapes_[order[i]];
  }
  times_.swap(times);
  at_.swap(at);
  shapes_.swap(shapes);
}

Outline OutlineExpression::Apply(Outline outline) const {
  for (std::size_t i = 0; i < outline.vertices.size(); ++i) {
    if (!uniform && i >= offsets.size()) break;
    const AEGP_MaskVertex &d = offsets[uniform ? 0 : i];
    AEGP_MaskVertex &v = outline.vertices[i];
    v.x += d.x;
    v.y += d.y;
    v.tan_in_x += d.tan_in_x;
    v.tan_in_y += d.tan_in_y;
    v.tan_out_x += d.tan_out_x;
    v.tan_out_y += d.tan_out_y;
  }
  return outline;
}

}  // namespace orvane::host
