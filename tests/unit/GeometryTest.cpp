// Vector and the rectangle creator on worked examples.
#include <gtest/gtest.h>

#include <type_traits>

#include "CreateRect.h"
#include "Vector.h"

namespace {

using V = Vector<double>;

void ExpectNear(const V &v, double x, double y) {
  EXPECT_NEAR(v.x, x, 1e-9);
  EXPECT_NEAR(v.y, y, 1e-9);
}

TEST(Vector, ConstructionAndArithmetic) {
  ExpectNear(V(), 0, 0);
  ExpectNear(V(3), 3, 3);
  ExpectNear(V(6, 8) / V(2, 4), 3, 2);
  V a(1, 2);
  a += V(3, 4);
  ExpectNear(a, 4, 6);
  a -= V(1, 1);
  ExpectNear(a, 3, 5);
  a *= V(2, 3);
  ExpectNear(a, 6, 15);
  a *= 0.5;
  ExpectNear(a, 3, 7.5);
  a /= 3.0;
  ExpectNear(a, 1, 2.5);
}

TEST(Vector, LengthNormalizeDotCross) {
  EXPECT_DOUBLE_EQ(V(3, 4).length(), 5);
  static_assert(std::is_same<decltype(Vector<float>(3, 4).length()), double>::value,
                "length is double");
  EXPECT_DOUBLE_EQ(Vector<float>(3, 4).length(), 5);
  V n(3, 4);
  n.normalize();
  ExpectNear(n, 0.6, 0.8);
  V zero;
  zero.normalize();
  ExpectNear(zero, 0, 0);
  EXPECT_EQ(V(1, 0).cross(V(0, 1)), 1);
  EXPECT_EQ(V(0, 1).cross(V(1, 0)), -1);
  EXPECT_EQ(V(1, 2).dot(V(-2, 1)), 0);
}

TEST(RectangleCreator, CornersRunClockwiseFromTopLeft) {
  auto c = Orvane::RectangleCreator(V(960, 540), 640, 360, 0).Create();
  ExpectNear(c[0], 640, 360);
  ExpectNear(c[1], 1280, 360);
  ExpectNear(c[2], 1280, 720);
  ExpectNear(c[3], 640, 720);

  auto r = Orvane::RectangleCreator(V(0, 0), 4, 2, 90).Create();
  ExpectNear(r[0], 1, -2);
  ExpectNear(r[1], 1, 2);
  ExpectNear(r[2], -1, 2);
  ExpectNear(r[3], -1, -2);
}

TEST(RectangleCreator, ZeroAndNegativeSizes) {
  auto zero = Orvane::RectangleCreator(V(5, 5), 0, 0, 30).Create();
  for (const V &corner : zero) ExpectNear(corner, 5, 5);
  auto mirrored = Orvane::RectangleCreator(V(0, 0), -4, 2, 0).Create();
  ExpectNear(mirrored[0], 2, -1);
}

struct SlotParams {
  PF_ParamDef defs[3]{};
  PF_ParamDef *ptrs[3] = {&defs[0], &defs[1], &defs[2]};
  double width() const { return defs[1].u.fs_d.value; }
  double height() const { return defs[2].u.fs_d.value; }
};

TEST(RectangleCreator, SetWritesWidthAndHeightFromACorner) {
  SlotParams p;
  Orvane::RectangleCreator(V(0, 0), 1, 1, 0).Set(0, V(3, -2), p.ptrs);
  EXPECT_DOUBLE_EQ(p.width(), 6);
  EXPECT_DOUBLE_EQ(p.height(), 4);
  EXPECT_EQ(p.defs[1].uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  EXPECT_EQ(p.defs[2].uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  EXPECT_EQ(p.defs[0].uu.change_flags, 0);

  Orvane::RectangleCreator(V(0, 0), 1, 1, 90).Set(0, V(1, 2), p.ptrs);
  EXPECT_NEAR(p.width(), 4, 1e-9);
  EXPECT_NEAR(p.height(), 2, 1e-9);

  Orvane::RectangleCreator(V(7, 7), 1, 1, 45).Set(0, V(7, 7), p.ptrs);
  EXPECT_EQ(p.width(), 0);
  EXPECT_EQ(p.height(), 0);

  // Far outside the slider range, the value is written as it is.
  Orvane::RectangleCreator(V(0, 0), 1, 1, 0).Set(0, V(1000, 0), p.ptrs);
  EXPECT_DOUBLE_EQ(p.width(), 2000);
}

TEST(RectangleCreator, SetThenCreatePutsTheCornerOnThePoint) {
  SlotParams p;
  const V center(100, 50), point(180, 20);
  Orvane::RectangleCreator(center, 1, 1, 30).Set(0, point, p.ptrs);
  auto corners = Orvane::RectangleCreator(center, p.width(), p.height(), 30).Create();
  bool hit = false;
  for (const V &corner : corners)
    hit = hit || (std::abs(corner.x - point.x) < 1e-9 && std::abs(corner.y - point.y) < 1e-9);
  EXPECT_TRUE(hit);
}

}  // namespace
