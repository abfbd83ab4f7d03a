// The plug-in's fixed-point conversions and the smart-render rectangle union.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ControlUI.h"
#include "Smart_Utils.h"

namespace {

using Orvane::DoubleToFixed;
using Orvane::FixedToInt;
using Orvane::IntToFixed;

TEST(FixedPoint, IntegersSaturateAtWhat16Dot16Holds) {
  EXPECT_EQ(IntToFixed(3), 3 << 16);
  EXPECT_EQ(IntToFixed(-32768), std::numeric_limits<PF_Fixed>::min());
  EXPECT_EQ(IntToFixed(40000), 32767 * 65536);
  EXPECT_EQ(IntToFixed(-40000), std::numeric_limits<PF_Fixed>::min());
}

TEST(FixedPoint, ToIntegersRoundTowardMinusInfinity) {
  EXPECT_EQ(FixedToInt(0x18000), 1);    // 1.5
  EXPECT_EQ(FixedToInt(-0x18000), -2);  // -1.5
  EXPECT_EQ(FixedToInt(-0x4000), -1);   // -0.25
  EXPECT_EQ(FixedToInt(std::numeric_limits<PF_Fixed>::min()), -32768);
}

TEST(FixedPoint, DoublesRoundHalfAwayFromZeroAndSaturate) {
  EXPECT_EQ(DoubleToFixed(0.25), 0x4000);
  EXPECT_EQ(DoubleToFixed(-0.25), -0x4000);
  EXPECT_EQ(DoubleToFixed(1e9), std::numeric_limits<PF_Fixed>::max());
  EXPECT_EQ(DoubleToFixed(-1e9), std::numeric_limits<PF_Fixed>::min());
  EXPECT_EQ(DoubleToFixed(std::nan("")), 0);
  EXPECT_EQ(DoubleToFixed(std::numeric_limits<double>::infinity()),
            std::numeric_limits<PF_Fixed>::max());
}

TEST(UnionLRect, WidensCopiesOrKeeps) {
  PF_LRect dst{0, 0, 10, 10};
  const PF_LRect src{5, 5, 20, 8};
  UnionLRect(&src, &dst);
  EXPECT_EQ((std::vector<A_long>{dst.left, dst.top, dst.right, dst.bottom}),
            (std::vector<A_long>{0, 0, 20, 10}));

  PF_LRect keep{0, 0, 10, 10};
  const PF_LRect empty_src{3, 3, 3, 9};
  UnionLRect(&empty_src, &keep);
  EXPECT_EQ((std::vector<A_long>{keep.left, keep.top, keep.right, keep.bottom}),
            (std::vector<A_long>{0, 0, 10, 10}));

  PF_LRect empty_dst{0, 0, 0, 0};
  UnionLRect(&src, &empty_dst);
  EXPECT_EQ((std::vector<A_long>{empty_dst.left, empty_dst.top, empty_dst.right, empty_dst.bottom}),
            (std::vector<A_long>{5, 5, 20, 8}));
  EXPECT_TRUE(IsEmptyRect(&empty_src));
  EXPECT_FALSE(IsEmptyRect(&src));
}

}  // namespace
