#include "Vector.h"

#include <cmath>

template <typename T>
Vector<T>::Vector() : x(0), y(0) {}

template <typename T>
Vector<T>::Vector(T v) : x(v), y(v) {}

template <typename T>
Vector<T>::Vector(T x_, T y_) : x(x_), y(y_) {}

template <typename T>
Vector<T>::Vector(const Vector<T> &other) : x(other.x), y(other.y) {}

template <typename T>
Vector<T> &Vector<T>::operator+=(const Vector<T> &o) {
  x += o.x;
  y += o.y;
  return *this;
}

template <typename T>
Vector<T> &Vector<T>::operator-=(const Vector<T> &o) {
  x -= o.x;
  y -= o.y;
  return *this;
}

template <typename T>
Vector<T> &Vector<T>::operator*=(const Vector<T> &o) {
  x *= o.x;
  y *= o.y;
  return *this;
}

template <typename T>
Vector<T> &Vector<T>::operator*=(const T &s) {
  x *= s;
  y *= s;
  return *this;
}

template <typename T>
Vector<T> &Vector<T>::operator/=(const Vector<T> &o) {
  x /= o.x;
  y /= o.y;
  return *this;
}

template <typename T>
Vector<T> &Vector<T>::operator/=(const T &s) {
  x /= s;
  y /= s;
  return *this;
}

template <typename T>
double Vector<T>::length() const {
  return std::sqrt(static_cast<double>(x * x + y * y));
}

template <typename T>
void Vector<T>::normalize() {
  double len = length();
  if (len > 0) {
    x = static_cast<T>(x / len);
    y = static_cast<T>(y / len);
  }
}

template <typename T>
T Vector<T>::dot(const Vector<T> &o) const {
  return x * o.x + y * o.y;
}

template <typename T>
T Vector<T>::cross(const Vector<T> &o) const {
  return x * o.y - y * o.x;
}

template class Vector<double>;
template class Vector<float>;
