// Vector arithmetic on values whose results no wrong operator reproduces, in both precisions.
#include <gtest/gtest.h>

#include "Vector.h"

namespace {

template <typename T>
class VectorValues : public ::testing::Test {};
using Precisions = ::testing::Types<double, float>;
TYPED_TEST_SUITE(VectorValues, Precisions);

TYPED_TEST(VectorValues, DotAndCrossOfGeneralVectors) {
  using V = Vector<TypeParam>;
  EXPECT_EQ(V(2, 3).dot(V(4, 5)), TypeParam(23));
  EXPECT_EQ(V(2, 3).cross(V(4, 5)), TypeParam(-2));
  EXPECT_EQ(V(4, 5).cross(V(2, 3)), TypeParam(2));
  EXPECT_EQ(V(-1, 6).dot(V(3, -2)), TypeParam(-15));
}

TYPED_TEST(VectorValues, EveryOperatorOnBothComponents) {
  using V = Vector<TypeParam>;
  V a(TypeParam(8), TypeParam(-6));
  a += V(2, 3);
  EXPECT_EQ(a.x, TypeParam(10));
  EXPECT_EQ(a.y, TypeParam(-3));
  a -= V(4, -5);
  EXPECT_EQ(a.x, TypeParam(6));
  EXPECT_EQ(a.y, TypeParam(2));
  a *= V(3, -4);
  EXPECT_EQ(a.x, TypeParam(18));
  EXPECT_EQ(a.y, TypeParam(-8));
  a /= V(6, 2);
  EXPECT_EQ(a.x, TypeParam(3));
  EXPECT_EQ(a.y, TypeParam(-4));
  a *= TypeParam(5);
  EXPECT_EQ(a.x, TypeParam(15));
  EXPECT_EQ(a.y, TypeParam(-20));
  a /= TypeParam(4);
  EXPECT_EQ(a.x, TypeParam(3.75));
  EXPECT_EQ(a.y, TypeParam(-5));
  const V q = V(9, -12) / V(3, 4);
  EXPECT_EQ(q.x, TypeParam(3));
  EXPECT_EQ(q.y, TypeParam(-3));
  const V copy(q);
  EXPECT_EQ(copy.x, TypeParam(3));
  EXPECT_EQ(copy.y, TypeParam(-3));
  EXPECT_EQ(V(TypeParam(7)).y, TypeParam(7));
}

TYPED_TEST(VectorValues, LengthAndNormalizeOfShortAndLongVectors) {
  using V = Vector<TypeParam>;
  EXPECT_DOUBLE_EQ(V(5, 12).length(), 13.0);
  V shorter(TypeParam(0.3), TypeParam(-0.4));
  shorter.normalize();
  EXPECT_NEAR(shorter.x, 0.6, 1e-6);
  EXPECT_NEAR(shorter.y, -0.8, 1e-6);
  V longer(-30, 40);
  longer.normalize();
  EXPECT_NEAR(longer.x, -0.6, 1e-6);
  EXPECT_NEAR(longer.y, 0.8, 1e-6);
}

}  // namespace
