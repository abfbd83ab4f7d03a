// A two-component value type for layer-space geometry (x right, y down).
#ifndef ORVANE_GEOMETRY_VECTOR_H
#define ORVANE_GEOMETRY_VECTOR_H

template <typename T>
class Vector {
 public:
  T x;
  T y;

  Vector();
  explicit Vector(T v);
  Vector(T x, T y);
  Vector(const Vector<T> &other);
  Vector<T> &operator=(const Vector<T> &other) = default;

  Vector<T> &operator+=(const Vector<T> &o);
  Vector<T> &operator-=(const Vector<T> &o);
  Vector<T> &operator*=(const Vector<T> &o);  // component-wise
  Vector<T> &operator*=(const T &s);
  Vector<T> &operator/=(const Vector<T> &o);  // component-wise
  Vector<T> &operator/=(const T &s);

  // Always double, also for float vectors: the sum of squares is widened before the root.
  double length() const;
  // Scales to unit length; a vector whose length is not above 0 is left as it is.
  void normalize();
  T dot(const Vector<T> &o) const;
  // The z component of the cross product of the two vectors in the plane.
  T cross(const Vector<T> &o) const;
};

template <typename T>
inline Vector<T> operator/(const Vector<T> &a, const Vector<T> &b) {
  Vector<T> out(a);
  out /= b;
  return out;
}

extern template class Vector<double>;
extern template class Vector<float>;

#endif
