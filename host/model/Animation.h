// Values that change over time as the project keeps them: stream values, mask outlines, their
// keyframes (outline keys stored compactly) and expressions on outlines. Times are in seconds.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "AE_GeneralPlug.h"

namespace orvane::host {

// A stream value in the units the AEGP layer uses: one_d in v[0]; two_d in v[0], v[1];
// colours as alpha, red, green, blue in 0..1; a mask id in v[0].
struct StreamValue {
  double v[4] = {0, 0, 0, 0};
};

struct Outline {
  bool open = true;
  std::vector<AEGP_MaskVertex> vertices;
  // Segments between vertices: a closed outline also joins the last vertex to the first.
  A_long Segments() const {
    A_long n = A_long(vertices.size());
    return open ? std::max<A_long>(n - 1, 0) : n;
  }
};

StreamValue Interpolate(const StreamValue &a, const StreamValue &b, double f);
Outline Interpolate(const Outline &a, const Outline &b, double f);

template <typename T>
struct Keyframe {
  double time;  // layer time, seconds
  A_Time at;    // the time as the keyframe was given, for reporting
  T value;
};

// Keys of a mask outline, stored compactly: a bake of an hour at 30 fps gives each mask 108,000
// keys, so a key is its times, a shape record and its vertices in one shared pool (x and y
// only, unless the outline has tangents), not an outline with a vector of its own. It reads
// like a vector of Keyframe<Outline> whose elements are made on access. Copies share the keys
// until one of them is changed.
class OutlineKeys {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Keyframe<Outline>;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Keyframe<Outline>;
    const_iterator(const OutlineKeys *keys, std::size_t i) : keys_(keys), i_(i) {}
    Keyframe<Outline> operator*() const { return (*keys_)[i_]; }
    const_iterator &operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator &o) const { return i_ == o.i_; }
    bool operator!=(const const_iterator &o) const { return i_ != o.i_; }

   private:
    const OutlineKeys *keys_;
    std::size_t i_;
  };

  std::size_t size() const { return d().times.size(); }
  bool empty() const { return d().times.empty(); }
  Keyframe<Outline> operator[](std::size_t i) const { return {d().times[i], d().at[i], value(i)}; }
  Keyframe<Outline> front() const { return (*this)[0]; }
  Keyframe<Outline> back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size()); }
  void clear() { data_.reset(); }

  double time(std::size_t i) const { return d().times[i]; }
  A_Time at(std::size_t i) const { return d().at[i]; }
  Outline value(std::size_t i) const;
  // Index of the first key later than t.
  std::size_t After(double t) const {
    const auto &times = d().times;
    return std::size_t(std::upper_bound(times.begin(), times.end(), t) - times.begin());
  }
  // A key at t; one already at the same time is replaced.
  void Put(double t, A_Time at, const Outline &v);
  // A key at the end, whatever its time (a keyframe batch collects keys in the order added).
  void Append(double t, A_Time at, const Outline &v);
  // Replaces the outline of key i.
  void Replace(std::size_t i, const Outline &v);
  // Puts key i of another list here.
  void SetFrom(const OutlineKeys &other, std::size_t i);
  // Puts keys appended out of order in time order; keys at one time keep the order they were
  // added in.
  void SortByTime();
  // The same keys at the same times with the same outlines, however the pool is laid out.
  friend bool operator==(const OutlineKeys &a, const OutlineKeys &b);

 private:
  struct Shape {
    uint64_t offset = 0;  // into the pool
    uint32_t vertices = 0;
    bool open = true;
    bool tangents = false;  // six numbers a vertex rather than two
  };
  struct Data;
  static Shape Store(Data &into, const Outline &v);
  static Shape Copy(Data &into, const Data &from, const Shape &shape);

  // The keys themselves, shared between copies until one of them changes: the undo history
  // keeps copies of the project, and an hour's bake is gigabytes of keys.
  struct Data {
    std::vector<double> times;
    std::vector<A_Time> at;
    std::vector<Shape> shapes;
    std::vector<double> pool;
  };
  const Data &d() const;
  // The keys to change, made this copy's own first.
  Data &Own();
  std::shared_ptr<Data> data_;
};

// How keys of each kind of value are stored: outlines compactly, other values as they are.
template <typename T>
struct KeyStore {
  using type = std::vector<Keyframe<T>>;
};
template <>
struct KeyStore<Outline> {
  using type = OutlineKeys;
};
template <typename T>
using KeyList = typename KeyStore<T>::type;

template <typename T>
double KeyTime(const std::vector<Keyframe<T>> &keys, std::size_t i) {
  return keys[i].time;
}
template <typename T>
const T &KeyValue(const std::vector<Keyframe<T>> &keys, std::size_t i) {
  return keys[i].value;
}
template <typename T>
std::size_t KeyAfter(const std::vector<Keyframe<T>> &keys, double t) {
  return std::size_t(std::upper_bound(keys.begin(), keys.end(), t,
                                      [](double x, const Keyframe<T> &k) { return x < k.time; }) -
                     keys.begin());
}
template <typename T>
void PutKey(std::vector<Keyframe<T>> &keys, double t, A_Time at, const T &v) {
  auto it = std::lower_bound(keys.begin(), keys.end(), t,
                             [](const Keyframe<T> &k, double x) { return k.time < x; });
  if (it != keys.end() && it->time == t) {
    it->value = v;
    it->at = at;
  } else {
    keys.insert(it, Keyframe<T>{t, at, v});
  }
}
inline double KeyTime(const OutlineKeys &keys, std::size_t i) { return keys.time(i); }
inline Outline KeyValue(const OutlineKeys &keys, std::size_t i) { return keys.value(i); }
inline std::size_t KeyAfter(const OutlineKeys &keys, double t) { return keys.After(t); }
inline void PutKey(OutlineKeys &keys, double t, A_Time at, const Outline &v) { keys.Put(t, at, v); }

// A value that is either static or keyframed (linear between keys, held outside them).
template <typename T>
struct Animatable {
  T value{};
  KeyList<T> keys;
  // Changes with every write through Set and SetKey (and those made straight to `keys` or
  // `value`, which say so with Changed()), so that what looks for changes need not compare the
  // values. Revisions are drawn from one count, so two values share one only when one is a copy
  // of the other (as the undo history restores them).
  std::uint64_t revision = 0;
  void Changed() {
    static std::atomic<std::uint64_t> next{0};
    revision = ++next;
  }

  // The value at t; with `hold`, a value that cannot be blended (a choice, a switch, a mask
  // reference) keeps each key's value until the next key.
  T At(double t, bool hold = false) const {
    if (keys.empty()) return value;
    const std::size_t last = keys.size() - 1;
    if (t <= KeyTime(keys, 0)) return KeyValue(keys, 0);
    if (t >= KeyTime(keys, last)) return KeyValue(keys, last);
    const std::size_t hi = KeyAfter(keys, t), lo = hi - 1;
    if (hold) return KeyValue(keys, lo);
    double f = (t - KeyTime(keys, lo)) / (KeyTime(keys, hi) - KeyTime(keys, lo));
    return Interpolate(KeyValue(keys, lo), KeyValue(keys, hi), f);
  }
  // A key at the same time replaces the old one.
  void SetKey(double t, A_Time at, const T &v) {
    PutKey(keys, t, at, v);
    Changed();
  }
  // Setting a value on an animated stream keys it at that time, as the application does; `at`
  // is the time as the key reports it.
  void Set(double t, A_Time at, const T &v) {
    if (keys.empty()) {
      value = v;
      Changed();
    } else {
      SetKey(t, at, v);
    }
  }
};

// An expression on a mask outline, modelled as a fixed offset of each vertex (position and
// tangents). `uniform` moves every vertex by offsets[0]; otherwise vertex i moves by offsets[i]
// and vertices beyond the list stay where they are.
struct OutlineExpression {
  bool uniform = false;
  std::vector<AEGP_MaskVertex> offsets;
  Outline Apply(Outline outline) const;
};

}  // namespace orvane::host
