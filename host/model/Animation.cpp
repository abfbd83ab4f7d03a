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

const OutlineKeys::Data &OutlineKeys::d() const {
  static const Data none;
  return data_ ? *data_ : none;
}

OutlineKeys::Data &OutlineKeys::Own() {
  if (!data_) {
    data_ = std::make_shared<Data>();
  } else if (data_.use_count() > 1) {
    data_ = std::make_shared<Data>(*data_);
  }
  return *data_;
}

Outline OutlineKeys::value(std::size_t i) const {
  const Data &k = d();
  const Shape &shape = k.shapes[i];
  Outline out;
  out.open = shape.open;
  out.vertices.resize(shape.vertices);
  const double *p = k.pool.data() + shape.offset;
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

OutlineKeys::Shape OutlineKeys::Store(Data &into, const Outline &v) {
  Shape shape;
  shape.offset = into.pool.size();
  shape.vertices = uint32_t(v.vertices.size());
  shape.open = v.open;
  for (const AEGP_MaskVertex &x : v.vertices) {
    shape.tangents = shape.tangents || x.tan_in_x != 0 || x.tan_in_y != 0 || x.tan_out_x != 0 ||
                     x.tan_out_y != 0;
  }
  for (const AEGP_MaskVertex &x : v.vertices) {
    into.pool.push_back(x.x);
    into.pool.push_back(x.y);
    if (shape.tangents)
      into.pool.insert(into.pool.end(), {x.tan_in_x, x.tan_in_y, x.tan_out_x, x.tan_out_y});
  }
  return shape;
}

OutlineKeys::Shape OutlineKeys::Copy(Data &into, const Data &from, const Shape &shape) {
  Shape copy = shape;
  copy.offset = into.pool.size();
  const std::size_t n = std::size_t(shape.vertices) * (shape.tangents ? 6 : 2);
  const double *start = from.pool.data() + shape.offset;
  into.pool.insert(into.pool.end(), start, start + n);
  return copy;
}

void OutlineKeys::Put(double t, A_Time at, const Outline &v) {
  Data &k = Own();
  const std::size_t i =
      std::size_t(std::lower_bound(k.times.begin(), k.times.end(), t) - k.times.begin());
  if (i < k.times.size() && k.times[i] == t) {
    k.at[i] = at;
    k.shapes[i] = Store(k, v);
    return;
  }
  k.times.insert(k.times.begin() + std::ptrdiff_t(i), t);
  k.at.insert(k.at.begin() + std::ptrdiff_t(i), at);
  k.shapes.insert(k.shapes.begin() + std::ptrdiff_t(i), Store(k, v));
}

void OutlineKeys::Append(double t, A_Time at, const Outline &v) {
  Data &k = Own();
  k.times.push_back(t);
  k.at.push_back(at);
  k.shapes.push_back(Store(k, v));
}

void OutlineKeys::Replace(std::size_t i, const Outline &v) {
  Data &k = Own();
  k.shapes[i] = Store(k, v);
}

void OutlineKeys::SetFrom(const OutlineKeys &other, std::size_t i) {
  // The other's keys are read through a reference of their own: making these keys this copy's
  // own may leave `other` the only holder of the data both shared.
  const std::shared_ptr<Data> keep = other.data_;
  const Data &from = other.d();
  Data &k = Own();
  const double t = from.times[i];
  const std::size_t at =
      k.times.empty() || k.times.back() < t
          ? k.times.size()
          : std::size_t(std::lower_bound(k.times.begin(), k.times.end(), t) - k.times.begin());
  if (at < k.times.size() && k.times[at] == t) {
    k.at[at] = from.at[i];
    k.shapes[at] = Copy(k, from, from.shapes[i]);
    return;
  }
  k.times.insert(k.times.begin() + std::ptrdiff_t(at), t);
  k.at.insert(k.at.begin() + std::ptrdiff_t(at), from.at[i]);
  k.shapes.insert(k.shapes.begin() + std::ptrdiff_t(at), Copy(k, from, from.shapes[i]));
}

void OutlineKeys::SortByTime() {
  if (std::is_sorted(d().times.begin(), d().times.end())) return;
  Data &k = Own();
  std::vector<std::size_t> order(k.times.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&k](std::size_t a, std::size_t b) { return k.times[a] < k.times[b]; });
  Data sorted;
  sorted.pool.swap(k.pool);
  for (std::size_t i : order) {
    sorted.times.push_back(k.times[i]);
    sorted.at.push_back(k.at[i]);
    sorted.shapes.push_back(k.shapes[i]);
  }
  k = std::move(sorted);
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
