// The in-place conversions against callbacks that each do something no other step undoes: the
// composition step runs only in a composition window, in the right order around the frame step,
// at the command's time, and the last step's result is what the conversion returns.
#include <gtest/gtest.h>

#include <string>

#include "ControlUI.h"

namespace {

struct Steps {
  std::string calls;
  A_long time = 0, scale = 0;
  PF_Err frame_result = 0, comp_result = 0;
};

// Layer to composition adds 10 pixels to x; source to frame doubles both; their inverses undo that.
PF_Err LayerToComp(void *refcon, PF_ContextH, A_long t, A_long s, PF_FixedPoint *p) {
  auto *steps = static_cast<Steps *>(refcon);
  steps->calls += "L";
  steps->time = t;
  steps->scale = s;
  p->x += 10 << 16;
  return steps->comp_result;
}
PF_Err CompToLayer(void *refcon, PF_ContextH, A_long t, A_long s, PF_FixedPoint *p) {
  auto *steps = static_cast<Steps *>(refcon);
  steps->calls += "C";
  steps->time = t;
  steps->scale = s;
  p->x -= 10 << 16;
  return steps->comp_result;
}
PF_Err SourceToFrame(void *refcon, PF_ContextH, PF_FixedPoint *p) {
  auto *steps = static_cast<Steps *>(refcon);
  steps->calls += "S";
  p->x *= 2;
  p->y *= 2;
  return steps->frame_result;
}
PF_Err FrameToSource(void *refcon, PF_ContextH, PF_FixedPoint *p) {
  auto *steps = static_cast<Steps *>(refcon);
  steps->calls += "F";
  p->x /= 2;
  p->y /= 2;
  return steps->frame_result;
}

struct Event {
  Steps steps;
  PF_Context context{};
  PF_ContextP context_p = &context;
  PF_EventExtra extra{};
  PF_InData in{};
  explicit Event(PF_WindowType window) {
    context.w_type = window;
    extra.contextH = &context_p;
    extra.cbs = PF_EventCallbacks{&steps, LayerToComp, CompToLayer, SourceToFrame, FrameToSource};
    in.current_time = 1234;
    in.time_scale = 30;
  }
};

TEST(InPlaceConversions, CompositionWindowGoesThroughTheCompositionAtTheCommandsTime) {
  Event e(PF_Window_COMP);
  PF_FixedPoint p{5 << 16, 7 << 16};
  EXPECT_EQ(Source2FramePoint(&e.in, &e.extra, &p), PF_Err_NONE);
  EXPECT_EQ(e.steps.calls, "LS");
  EXPECT_EQ(p.x, 30 << 16);
  EXPECT_EQ(p.y, 14 << 16);
  EXPECT_EQ(e.steps.time, 1234);
  EXPECT_EQ(e.steps.scale, 30);
  e.steps.calls.clear();
  EXPECT_EQ(Frame2SourcePoint(&e.in, &e.extra, &p), PF_Err_NONE);
  EXPECT_EQ(e.steps.calls, "FC");
  EXPECT_EQ(p.x, 5 << 16);
  EXPECT_EQ(p.y, 7 << 16);
  // The result is the last step's.
  e.steps.comp_result = 7;
  EXPECT_EQ(Frame2SourcePoint(&e.in, &e.extra, &p), 7);
  e.steps.comp_result = 0;
  e.steps.frame_result = 9;
  EXPECT_EQ(Source2FramePoint(&e.in, &e.extra, &p), 9);
  EXPECT_EQ(Frame2SourcePoint(&e.in, &e.extra, &p), PF_Err_NONE);
}

TEST(InPlaceConversions, LayerWindowIsTheFrameStepAlone) {
  Event e(PF_Window_LAYER);
  PF_FixedPoint p{5 << 16, 7 << 16};
  Source2FramePoint(&e.in, &e.extra, &p);
  EXPECT_EQ(e.steps.calls, "S");
  EXPECT_EQ(p.x, 10 << 16);
  Frame2SourcePoint(&e.in, &e.extra, &p);
  EXPECT_EQ(e.steps.calls, "SF");
  EXPECT_EQ(p.x, 5 << 16);
  e.steps.frame_result = 3;
  EXPECT_EQ(Frame2SourcePoint(&e.in, &e.extra, &p), 3);
}

TEST(PointConversions, EachTakesItsStepsInOrderAndKeepsTheSubPixelPart) {
  Event e(PF_Window_COMP);
  const PF_Point in{3, -4};
  PF_Point out{};
  PF_FixedPoint fixed{};
  Layer2CompFrame(&e.in, &e.extra, &in, &out, &fixed);
  EXPECT_EQ(e.steps.calls, "LS");
  EXPECT_EQ(out.h, 26);
  EXPECT_EQ(out.v, -8);
  e.steps.calls.clear();
  Layer2LayerFrame(&e.in, &e.extra, &in, &out, &fixed);
  EXPECT_EQ(e.steps.calls, "S");
  EXPECT_EQ(out.h, 6);
  e.steps.calls.clear();
  // 3 / 2 - 10 = -8.5: the integer point rounds toward minus infinity, the 16.16 keeps the half.
  CompFrame2Layer(&e.in, &e.extra, &in, &out, &fixed);
  EXPECT_EQ(e.steps.calls, "FC");
  EXPECT_EQ(fixed.x, -(17 << 15));
  EXPECT_EQ(out.h, -9);
  EXPECT_EQ(out.v, -2);
  e.steps.calls.clear();
  LayerFrame2Layer(&e.in, &e.extra, &in, &out, &fixed);
  EXPECT_EQ(e.steps.calls, "F");
  EXPECT_EQ(fixed.x, 3 << 15);
  EXPECT_EQ(out.h, 1);
}

}  // namespace
