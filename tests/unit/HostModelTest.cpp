// The headless host's own machinery: handle bookkeeping, fault planning, keyframes, value
// conversions, window mapping and render sentinels. Faults here would hide faults in the module.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "CallTrace.h"
#include "HandleTable.h"
#include "Image.h"
#include "ParamValues.h"
#include "Project.h"
#include "Windows.h"

namespace {

using namespace orvane::host;

struct Payload : HandleObject {
  std::vector<int> data = std::vector<int>(100, 7);
  void Drop() override { std::vector<int>().swap(data); }
};

TEST(HandleTable, ReportsEveryKindOfMisuse) {
  HandleTable table;
  Payload *p = table.Make<Payload>(HandleKind::Stream);
  EXPECT_EQ(table.Get<Payload>(p, HandleKind::Stream, "use"), p);
  EXPECT_TRUE(table.TakeProblems().empty());

  int foreign = 0;
  EXPECT_EQ(table.Get<Payload>(&foreign, HandleKind::Stream, "F"), nullptr);
  EXPECT_EQ(table.Get<Payload>(p, HandleKind::Mask, "K"), nullptr);
  EXPECT_TRUE(table.Release(p, HandleKind::Stream, "R"));
  EXPECT_TRUE(p->data.empty()) << "a released handle drops what it holds at once";
  EXPECT_FALSE(table.Release(p, HandleKind::Stream, "R2"));
  EXPECT_EQ(table.Get<Payload>(p, HandleKind::Stream, "U"), nullptr);
  EXPECT_EQ(table.Get<Payload>(nullptr, HandleKind::Stream, "N"), nullptr);  // null is no misuse
  const std::vector<std::string> problems = table.TakeProblems();
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_EQ(problems[0], "F: foreign stream");
  EXPECT_EQ(problems[1], "K: stream passed as mask reference");
  EXPECT_EQ(problems[2], "R2: stream released twice");
  EXPECT_EQ(problems[3], "U: stream used after release");
}

TEST(HandleTable, LeaksAreReportedOnceAndMemoryHandlesOutliveCommands) {
  HandleTable table;
  table.Make<Payload>(HandleKind::Mask);
  Payload *memory = table.Make<Payload>(HandleKind::Memory);
  table.Make<Payload>(HandleKind::StreamValue);  // counted on its stream, not here
  EXPECT_EQ(table.EndCommand(), (std::vector<std::string>{"leaked mask reference"}));
  EXPECT_TRUE(table.EndCommand().empty());
  EXPECT_EQ(table.live_count(HandleKind::Memory), 1u);
  EXPECT_EQ(table.Get<Payload>(memory, HandleKind::Memory, "later"), memory);
}

TEST(CallTrace, PlannedFaultsHitExactlyTheirCalls) {
  CallTrace trace;
  trace.FailFunction("f", 2, 7);
  EXPECT_EQ(trace.Enter("f"), 0);
  EXPECT_EQ(trace.Enter("g"), 0);
  EXPECT_EQ(trace.Enter("f"), 7);
  EXPECT_EQ(trace.Enter("f"), 0);
  trace.ClearFaults();
  trace.Reset();
  trace.FailFunction("f", 0, 9);
  EXPECT_EQ(trace.Enter("f"), 9);
  EXPECT_EQ(trace.Enter("f"), 9);
  trace.ClearFaults();
  trace.Reset();
  trace.FailCallAt(2, 5);
  EXPECT_EQ(trace.Enter("a"), 0);
  EXPECT_EQ(trace.Enter("b"), 5);
  EXPECT_EQ(trace.injected(), 1u);
  EXPECT_EQ(trace.entries().size(), 2u);
  EXPECT_EQ(trace.entries()[1].injected, 5);
}

TEST(CallTrace, CallsThatCannotReportFailureAreNeverFailed) {
  CallTrace trace;
  trace.FailCallAt(1, 5);
  EXPECT_EQ(trace.Enter("sprintf"), 0);
  trace.FailFunction("host_dispose_handle", 0, 5);
  EXPECT_EQ(trace.Enter("host_dispose_handle"), 0);
  EXPECT_TRUE(CallTrace::IsRelease("AEGP_DisposeStream"));
  EXPECT_FALSE(CallTrace::IsRelease("AEGP_GetNewStreamValue"));
}

TEST(Animatable, HoldsOutsideItsKeysAndIsLinearBetween) {
  Animatable<StreamValue> a;
  a.value.v[0] = 5;
  EXPECT_EQ(a.At(3).v[0], 5);
  a.SetKey(1, A_Time{30, 30}, StreamValue{{10, 0, 0, 0}});
  a.SetKey(3, A_Time{90, 30}, StreamValue{{30, 0, 0, 0}});
  EXPECT_EQ(a.At(0).v[0], 10);
  EXPECT_EQ(a.At(2).v[0], 20);
  EXPECT_EQ(a.At(9).v[0], 30);
  a.SetKey(3, A_Time{90, 30}, StreamValue{{40, 0, 0, 0}});  // same time: replaced
  EXPECT_EQ(a.keys.size(), 2u);
  a.Set(2, StreamValue{{0, 0, 0, 0}});  // a set on an animated stream keys it
  EXPECT_EQ(a.keys.size(), 3u);
  EXPECT_EQ(a.At(2).v[0], 0);
}

TEST(Animatable, OutlinesOfDifferentShapeHoldTheEarlierKey) {
  Outline square{
      false, {{0, 0, 0, 0, 0, 0}, {10, 0, 0, 0, 0, 0}, {10, 10, 0, 0, 0, 0}, {0, 10, 0, 0, 0, 0}}};
  Outline triangle{false, {{0, 0, 0, 0, 0, 0}, {5, 0, 0, 0, 0, 0}, {0, 5, 0, 0, 0, 0}}};
  EXPECT_EQ(Interpolate(square, triangle, 0.5).vertices.size(), 4u);
  Outline moved = square;
  for (auto &v : moved.vertices) v.x += 10;
  EXPECT_DOUBLE_EQ(Interpolate(square, moved, 0.25).vertices[1].x, 12.5);
  EXPECT_EQ(square.Segments(), 4);
  const Outline open_square{true, square.vertices};
  EXPECT_EQ(open_square.Segments(), 3);
  EXPECT_EQ(Outline{}.Segments(), 0);
}

TEST(ParamValues, FixedPointRoundsAndSaturates) {
  EXPECT_EQ(ToFixed(1.5), 0x18000);
  EXPECT_EQ(ToFixed(-0.25), -0x4000);
  EXPECT_EQ(ToFixed(1e12), std::numeric_limits<PF_Fixed>::max());
  EXPECT_EQ(ToFixed(-1e12), std::numeric_limits<PF_Fixed>::min());
  EXPECT_EQ(ToFixed(std::nan("")), 0);
}

TEST(ParamValues, ValuesRoundTripThroughDefinitions) {
  PF_ParamDef point{};
  point.param_type = PF_Param_POINT;
  point.u.td.x_dephault = point.u.td.y_dephault = 50 << 16;
  Layer layer;
  layer.width = 640;
  layer.height = 360;
  StreamValue centre = DefaultValue(point, layer);
  EXPECT_EQ(centre.v[0], 320);
  EXPECT_EQ(centre.v[1], 180);
  WriteValue(point, centre, 0.5, 0.25);  // a render at reduced resolution sees scaled points
  EXPECT_EQ(point.u.td.x_value, 160 << 16);
  EXPECT_EQ(point.u.td.y_value, 45 << 16);

  PF_ParamDef color{};
  color.param_type = PF_Param_COLOR;
  WriteValue(color, StreamValue{{1.0, 0.5, 2.0, -1.0}});
  EXPECT_EQ(color.u.cd.value.red, 128);
  EXPECT_EQ(color.u.cd.value.green, 255);  // clamped
  EXPECT_EQ(color.u.cd.value.blue, 0);
  EXPECT_DOUBLE_EQ(ReadValue(color).v[1], 128 / 255.0);

  PF_ParamDef path{};
  path.param_type = PF_Param_PATH;
  WriteValue(path, StreamValue{{4000000000.0, 0, 0, 0}});
  EXPECT_EQ(path.u.path_d.path_id, 4000000000u);
}

TEST(Windows, LayerAndCompositionMappingAreInverses) {
  Transform t{{400, 300}, {320, 180}, {50, 200}, 30};
  for (Point2 p : {Point2{0, 0}, Point2{320, 180}, Point2{-17.5, 900}}) {
    Point2 back = CompToLayer(t, LayerToComp(t, p));
    EXPECT_NEAR(back.x, p.x, 1e-9);
    EXPECT_NEAR(back.y, p.y, 1e-9);
  }
  Point2 anchor = LayerToComp(t, {320, 180});
  EXPECT_NEAR(anchor.x, 400, 1e-9);
  EXPECT_NEAR(anchor.y, 300, 1e-9);
  // A quarter turn clockwise on screen: right of the anchor becomes below it.
  Point2 turned = LayerToComp(Transform{{0, 0}, {0, 0}, {100, 100}, 90}, {10, 0});
  EXPECT_NEAR(turned.x, 0, 1e-9);
  EXPECT_NEAR(turned.y, 10, 1e-9);
  View v{2, {10, 20}};
  Point2 f = FromFrame(v, ToFrame(v, {3, 4}));
  EXPECT_DOUBLE_EQ(f.x, 3);
  EXPECT_DOUBLE_EQ(f.y, 4);
}

TEST(Image, GuardBandShowsAWriteOutsideTheImage) {
  for (int depth : {8, 16, 32}) {
    SCOPED_TRACE(depth);
    Image image(5, 3, depth, 2);
    image.FillSentinel();
    EXPECT_TRUE(image.GuardIntact());
    std::memset(image.Row(1), 0, std::size_t(5 * image.PixelBytes()));  // inside: fine
    EXPECT_TRUE(image.GuardIntact());
    image.Row(2)[5 * image.PixelBytes()] = 0;  // one byte right of the last row's end
    EXPECT_FALSE(image.GuardIntact());
  }
  Image floats(1, 1, 32);
  floats.FillSentinel();
  float f;
  std::memcpy(&f, floats.Row(0), 4);
  EXPECT_TRUE(std::isnan(f)) << "the 32-bit sentinel is a NaN";
}

}  // namespace
