// Which masks the commands act on (deleted links, slots above "Number", shared masks, repeated path
// ids) and where handles are grabbed and dragged under a layer transform and a window view.
#include <string>

#include "Expect.h"
#include "HostFixture.h"
#include "Params.h"

namespace orvane::test {
namespace {

using host::WindowKind;

class Linking : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    project().comp.width = project().layer.width = 640;
    project().comp.height = project().layer.height = 360;
    project().layer.transform = host::Transform{{320, 180}, {320, 180}, {100, 100}, 0};
    project().comp.work_duration = 0.2;
    project().comp.fps = 10;
    project().comp.time_scale = 10;
    ApplyEffect();
  }
  void Rect(int s, double cx, double cy, double w, double h, double angle) {
    Set(PARAM_CENTER(s), {cx, cy});
    Set(PARAM_WIDTH(s), {w});
    Set(PARAM_HEIGHT(s), {h});
    Set(PARAM_ANGLE(s), {angle});
  }
  void Link(int s, AEGP_MaskIDVal id) { Set(PARAM_MASK_PATH(s), {double(id)}); }
  std::vector<AEGP_MaskVertex> Vertices(int mask) {
    return project().layer.masks.at(std::size_t(mask)).outline.At(0).vertices;
  }
  void ExpectOn(int mask, const std::array<XY, 4> &corners) {
    const auto v = Vertices(mask);
    ASSERT_EQ(v.size(), 4u) << "mask " << mask;
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(v[i].x, corners[i].x, 1e-4) << "mask " << mask << " vertex " << i;
      EXPECT_NEAR(v[i].y, corners[i].y, 1e-4) << "mask " << mask << " vertex " << i;
    }
  }
  host::EventResult Click(double x, double y, WindowKind window = WindowKind::Layer) {
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DO_CLICK;
    extra.u.do_click.screen_point = PF_Point{A_long(std::lround(x)), A_long(std::lround(y))};
    return session().SendEvent(window, extra, 0);
  }
  // The stroked outlines of the last draw, each as its move-to point.
  std::vector<XY> Outlines() {
    std::vector<XY> starts;
    for (const auto &op : session().drawing()) {
      if (op.kind == host::DrawOp::Kind::Stroke) starts.push_back({op.path[0].x, op.path[0].y});
    }
    return starts;
  }
  std::size_t Handles() {
    std::size_t n = 0;
    for (const auto &op : session().drawing()) n += op.kind == host::DrawOp::Kind::Rect;
    return n;
  }
};

TEST_F(Linking, ADeletedMaskIsSkippedByEveryCommand) {
  for (int i = 0; i < 3; ++i) Press(PARAM_CREATE_MASK);
  Rect(0, 100, 100, 60, 40, 0);
  Rect(1, 300, 200, 80, 50, 10);
  Rect(2, 500, 250, 40, 90, -20);
  project().layer.masks.erase(project().layer.masks.begin() + 1);  // slot 2's mask
  // Slot 3's mask is now layer mask 1; slot 2 links an id no mask has.
  Set(PARAM_CENTER(2), {480, 260});
  const host::RenderResult r = session().Render(session().context());
  EXPECT_EQ(r.pre_render_err, PF_Err_NONE);
  ExpectOn(0, Corners(100, 100, 60, 40, 0));
  ExpectOn(1, Corners(480, 260, 40, 90, -20));

  EXPECT_EQ(session().Draw(WindowKind::Layer, 0).err, PF_Err_NONE);
  EXPECT_EQ(Outlines().size(), 2u);
  EXPECT_EQ(Handles(), 8u);

  // Slot 2's rectangle would have a corner here; nothing is grabbed. Slot 3's corner is.
  const auto slot2 = Corners(300, 200, 80, 50, 10);
  EXPECT_FALSE(Click(slot2[0].x, slot2[0].y).handled);
  const auto slot3 = Corners(480, 260, 40, 90, -20);
  const host::EventResult hit = Click(slot3[3].x + 2, slot3[3].y - 3);
  EXPECT_EQ(hit.err, PF_Err_NONE);
  ASSERT_TRUE(hit.handled);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[3], 2);

  Press(PARAM_BAKE_MASKS);
  EXPECT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  // Each key holds its own slot's rectangle: the unlinked slot 2 keys nothing.
  const std::array<XY, 4> rectangles[2] = {Corners(100, 100, 60, 40, 0),
                                           Corners(480, 260, 40, 90, -20)};
  for (std::size_t m = 0; m < 2; ++m) {
    const auto &keys = project().layer.masks[m].outline.keys;
    ASSERT_EQ(keys.size(), 2u);
    for (const auto &key : keys) {
      for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(key.value.vertices[i].x, rectangles[m][i].x, 1e-4) << "mask " << m;
        EXPECT_NEAR(key.value.vertices[i].y, rectangles[m][i].y, 1e-4) << "mask " << m;
      }
    }
  }
  EXPECT_EQ(value(PARAM_ON), 0);
  ExpectNoProblems();
}

TEST_F(Linking, ALowerSlotWhoseMaskIsGoneTakesNoOtherMask) {
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  Rect(0, 100, 100, 60, 40, 0);
  Rect(1, 300, 200, 80, 50, 0);
  project().layer.masks.erase(project().layer.masks.begin());  // slot 1's mask
  // Slot 2's mask is now layer mask 0; slot 1 must not reach it through its broken link.
  Set(PARAM_WIDTH(0), {90});
  ExpectOn(0, Corners(300, 200, 80, 50, 0));
  const host::EventResult hit = Click(260 + 2, 175 + 1);
  ASSERT_TRUE(hit.handled);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[3], 1);
  session().Draw(WindowKind::Layer, 0);
  EXPECT_EQ(Outlines().size(), 1u);
  Press(PARAM_BAKE_MASKS);
  const auto &keys = project().layer.masks[0].outline.keys;
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_NEAR(keys[0].value.vertices[0].x, 260, 1e-9);
  ExpectNoProblems();
}

TEST_F(Linking, SlotsAboveNumberAreNeitherMovedNorKeyedNorGrabbed) {
  for (int i = 0; i < 3; ++i) Press(PARAM_CREATE_MASK);
  Rect(0, 100, 100, 60, 40, 0);
  Rect(1, 300, 200, 80, 50, 10);
  Rect(2, 500, 250, 40, 90, 0);
  const auto third = Vertices(2);
  Set(PARAM_NUMBER, {2});
  Rect(2, 450, 120, 100, 30, 45);  // slot 3 changes while out of use
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Vertices(2)[i].x, third[i].x);
    EXPECT_EQ(Vertices(2)[i].y, third[i].y);
  }
  // Its mask's handles are on screen only if a slot in use links it: none does.
  EXPECT_FALSE(Click(third[1].x, third[1].y).handled);
  Press(PARAM_BAKE_MASKS);
  EXPECT_EQ(project().layer.masks[0].outline.keys.size(), 2u);
  EXPECT_EQ(project().layer.masks[1].outline.keys.size(), 2u);
  EXPECT_TRUE(project().layer.masks[2].outline.keys.empty());
  ExpectNoProblems();
}

TEST_F(Linking, TwoSlotsOnOneMaskTheLowerSlotIsDragged) {
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  Rect(0, 200, 150, 100, 60, 0);
  Rect(1, 200, 150, 160, 80, 0);  // slot 2's own mask sits elsewhere at first
  Link(1, project().layer.masks[0].id);
  // Both slots write mask 0 in slot order: it ends as slot 2's rectangle.
  ExpectOn(0, Corners(200, 150, 160, 80, 0));
  // Its corner 2 is (280, 190): slot 1 is searched first and its mask is the same, so slot 1 is
  // grabbed and resized through the mouse's point; slot 2 keeps its size.
  ASSERT_TRUE(session().Drag(WindowKind::Layer, {{280, 190}, {290, 200}}, 0));
  EXPECT_NEAR(value(PARAM_WIDTH(0)), 180, 1e-9);
  EXPECT_NEAR(value(PARAM_HEIGHT(0)), 100, 1e-9);
  EXPECT_EQ(value(PARAM_WIDTH(1)), 160);
  EXPECT_EQ(value(PARAM_HEIGHT(1)), 80);
  // Drawn once, at slot 1's place in the order.
  session().Draw(WindowKind::Layer, 0);
  EXPECT_EQ(Outlines().size(), 1u);
  ExpectNoProblems();
}

TEST_F(Linking, TheLowestMaskIndexWinsForARepeatedPathId) {
  const int first = AddMask(true, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const int second = AddMask(true, {{600, 300}, {620, 300}, {620, 320}, {600, 320}});
  project().layer.masks[std::size_t(second)].id = project().layer.masks[std::size_t(first)].id;
  const auto second_before = Vertices(second);
  Set(PARAM_NUMBER, {1});
  Link(0, project().layer.masks[std::size_t(first)].id);
  Rect(0, 200, 100, 50, 30, 15);
  ExpectOn(first, Corners(200, 100, 50, 30, 15));
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(Vertices(second)[i].x, second_before[i].x);

  // The colour goes to the first mask with the id too.
  param(PARAM_MASK_COLOR(0)).stream.value = host::StreamValue{{1.0, 0.0, 1.0, 0.0}};
  session().ParamChanged(PARAM_MASK_COLOR(0));
  EXPECT_EQ(project().layer.masks[std::size_t(first)].color.greenF, 1.0);
  EXPECT_NE(project().layer.masks[std::size_t(second)].color.greenF, 1.0);

  // Only the first is drawn and grabbed.
  session().Draw(WindowKind::Layer, 0);
  ASSERT_EQ(Outlines().size(), 1u);
  const auto corners = Corners(200, 100, 50, 30, 15);
  EXPECT_NEAR(Outlines()[0].x, corners[0].x, 1e-3);
  EXPECT_FALSE(Click(second_before[2].x, second_before[2].y).handled);

  Press(PARAM_BAKE_MASKS);
  EXPECT_EQ(project().layer.masks[std::size_t(first)].outline.keys.size(), 2u);
  EXPECT_TRUE(project().layer.masks[std::size_t(second)].outline.keys.empty());
  ExpectNoProblems();
}

TEST_F(Linking, TheBakeWritesOnlyTheVerticesAnOutlineHasTheLiveUpdateOnlyRectangles) {
  const std::vector<std::pair<double, double>> five = {
      {1, 2}, {30, 4}, {33, 40}, {15, 55}, {2, 38}};
  const int open_four = AddMask(false, {five[0], five[1], five[2], five[3], five[4]});
  const int pentagon = AddMask(true, {five[0], five[1], five[2], five[3], five[4]});
  const int triangle = AddMask(true, {five[0], five[1], five[2]});
  const int open_three = AddMask(false, {five[0], five[1], five[2], five[3]});
  Set(PARAM_NUMBER, {4});
  const int masks[] = {open_four, pentagon, triangle, open_three};
  for (int s = 0; s < 4; ++s) {
    Link(s, project().layer.masks[std::size_t(masks[s])].id);
    Rect(s, 100 + 120 * s, 90 + 30 * s, 60 + 10 * s, 40 - 5 * s, 12 * s - 7);
  }
  // None of them is a closed rectangle: the live update leaves every one alone.
  for (int m : masks) {
    const auto v = Vertices(m);
    for (std::size_t i = 0; i < v.size(); ++i) {
      EXPECT_EQ(v[i].x, five[i].first) << "mask " << m;
      EXPECT_EQ(v[i].y, five[i].second) << "mask " << m;
    }
  }
  Press(PARAM_BAKE_MASKS);
  ASSERT_EQ(LastCommand(PF_Cmd_USER_CHANGED_PARAM).err, PF_Err_NONE);
  // Each baked outline has its first four vertices (or all it has) on the slot's rectangle and
  // the rest where they were; an open outline of three segments is not baked.
  const std::size_t written[] = {4, 4, 3, 0};
  for (int s = 0; s < 4; ++s) {
    SCOPED_TRACE("slot " + std::to_string(s + 1));
    const auto &keys = project().layer.masks[std::size_t(masks[s])].outline.keys;
    if (written[s] == 0) {
      EXPECT_TRUE(keys.empty());
      continue;
    }
    ASSERT_EQ(keys.size(), 2u);
    const auto corners = Corners(100 + 120 * s, 90 + 30 * s, 60 + 10 * s, 40 - 5 * s, 12 * s - 7);
    for (const auto &key : keys) {
      const auto &v = key.value.vertices;
      for (std::size_t i = 0; i < v.size(); ++i) {
        const XY want = i < written[s] ? corners[i] : XY{five[i].first, five[i].second};
        EXPECT_NEAR(v[i].x, want.x, 1e-6) << "vertex " << i;
        EXPECT_NEAR(v[i].y, want.y, 1e-6) << "vertex " << i;
      }
    }
  }
  ExpectNoProblems();
}

TEST_F(Linking, CurvedOutlinesAreDrawnWithTheirTangentsInTheMasksColour) {
  // A closed four-vertex mask with curved sides: the live update puts its vertices on slot 1's
  // rectangle and keeps the tangents, which the outline's control points follow.
  const int mask = AddMask(true, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  auto &m = project().layer.masks[std::size_t(mask)];
  m.color = AEGP_ColorVal{1.0, 0.25, 0.5, 0.75};
  const double tangents[4][4] = {{-6, 2, 5, -1}, {3, -4, -2, 7}, {1, 8, -9, 3}, {-2, -5, 4, 6}};
  for (std::size_t i = 0; i < 4; ++i) {
    m.outline.value.vertices[i].tan_in_x = tangents[i][0];
    m.outline.value.vertices[i].tan_in_y = tangents[i][1];
    m.outline.value.vertices[i].tan_out_x = tangents[i][2];
    m.outline.value.vertices[i].tan_out_y = tangents[i][3];
  }
  Set(PARAM_NUMBER, {1});
  Link(0, m.id);
  Rect(0, 300, 160, 120, 60, 20);
  const auto corners = Corners(300, 160, 120, 60, 20);

  session().view().zoom = 1.5;
  session().view().origin[0] = 12;
  session().view().origin[1] = -7;
  auto window = [](XY p) { return XY{12 + 1.5 * p.x, -7 + 1.5 * p.y}; };
  ASSERT_EQ(session().Draw(WindowKind::Layer, 0).err, PF_Err_NONE);
  const auto &ops = session().drawing();
  ASSERT_EQ(ops.size(), 5u);
  const host::DrawOp &outline = ops[0];
  EXPECT_FLOAT_EQ(outline.color.red, 0.25f);
  EXPECT_FLOAT_EQ(outline.color.green, 0.5f);
  EXPECT_FLOAT_EQ(outline.color.blue, 0.75f);
  EXPECT_FLOAT_EQ(outline.color.alpha, 0.6f);
  ASSERT_EQ(outline.path.size(), 13u);
  auto expect_at = [&](std::size_t n, XY p) {
    const XY w = window(p);
    EXPECT_NEAR(outline.path[n].x, w.x, 1e-3) << "point " << n;
    EXPECT_NEAR(outline.path[n].y, w.y, 1e-3) << "point " << n;
  };
  expect_at(0, corners[0]);
  for (std::size_t j = 0; j < 4; ++j) {
    const std::size_t k = (j + 1) % 4;  // the closing segment runs back to vertex 0
    expect_at(1 + 3 * j, {corners[j].x + tangents[j][2], corners[j].y + tangents[j][3]});
    expect_at(2 + 3 * j, {corners[k].x + tangents[k][0], corners[k].y + tangents[k][1]});
    expect_at(3 + 3 * j, corners[k]);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    const host::DrawOp &handle = ops[1 + i];
    ASSERT_EQ(handle.kind, host::DrawOp::Kind::Rect);
    EXPECT_FLOAT_EQ(handle.color.red, 0.25f);
    EXPECT_FLOAT_EQ(handle.color.green, 0.5f);
    EXPECT_FLOAT_EQ(handle.color.blue, 0.75f);
    EXPECT_FLOAT_EQ(handle.color.alpha, 0.7f);
    const XY w = window(corners[i]);
    EXPECT_NEAR(handle.rect.left, w.x - 4, 1e-3);
    EXPECT_NEAR(handle.rect.top, w.y - 4, 1e-3);
    EXPECT_FLOAT_EQ(handle.rect.width, 8);
    EXPECT_FLOAT_EQ(handle.rect.height, 8);
  }
  ExpectNoProblems();
}

TEST_F(Linking, AClosedOutlineOfFiveVerticesIsDrawnWholeWithoutHandles) {
  const std::vector<std::pair<double, double>> five = {
      {10, 20}, {60, 15}, {80, 50}, {45, 90}, {5, 60}};
  const int mask = AddMask(true, {five[0], five[1], five[2], five[3], five[4]});
  Set(PARAM_NUMBER, {1});
  Link(0, project().layer.masks[std::size_t(mask)].id);
  ASSERT_EQ(session().Draw(WindowKind::Layer, 0).err, PF_Err_NONE);
  const auto &ops = session().drawing();
  ASSERT_EQ(ops.size(), 1u);
  ASSERT_EQ(ops[0].path.size(), 16u);  // the move-to and five segments, the last closing it
  for (std::size_t j = 0; j < 5; ++j) {
    const auto &end = five[(j + 1) % 5];
    EXPECT_FLOAT_EQ(ops[0].path[3 + 3 * j].x, float(end.first));
    EXPECT_FLOAT_EQ(ops[0].path[3 + 3 * j].y, float(end.second));
  }
  EXPECT_FALSE(Click(five[0].first, five[0].second).handled);
  ExpectNoProblems();
}

TEST_F(Linking, EventsInOtherWindowsAndOtherEventsAreLeftToTheHost) {
  Press(PARAM_CREATE_MASK);
  const auto corners = Corners(320, 180, 640, 360, 0);
  // A window of neither kind (the effect's own panel): no event is taken and nothing is drawn.
  PF_Context panel{0x4F525645, PF_Window_EFFECT, 0, {0, 0, 0, 0}};
  PF_ContextP panel_p = &panel;
  for (PF_EventType type : {PF_Event_DRAW, PF_Event_DO_CLICK, PF_Event_DRAG}) {
    SCOPED_TRACE(type);
    PF_EventExtra extra{};
    extra.e_type = type;
    extra.contextH = &panel_p;
    extra.u.do_click.screen_point = PF_Point{A_long(corners[0].x), A_long(corners[0].y)};
    session().surface().Clear();
    EXPECT_EQ(session().Send(PF_Cmd_EVENT, &extra), PF_Err_NONE);
    EXPECT_EQ(extra.evt_out_flags, PF_EO_NONE);
    EXPECT_TRUE(session().drawing().empty());
  }
  // Other events in the layer window, even on a handle, are not taken either.
  for (PF_EventType type : {PF_Event_ADJUST_CURSOR, PF_Event_IDLE, PF_Event_KEYDOWN}) {
    SCOPED_TRACE(type);
    PF_EventExtra extra{};
    extra.e_type = type;
    extra.u.do_click.screen_point = PF_Point{A_long(corners[0].x), A_long(corners[0].y)};
    const host::EventResult r = session().SendEvent(WindowKind::Layer, extra, 0);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_FALSE(r.handled);
    EXPECT_FALSE(r.extra.u.do_click.send_drag);
  }
  ExpectNoProblems();
}

TEST_F(Linking, TheEventRecordCarriesTheDragFromPressToRelease) {
  Press(PARAM_CREATE_MASK);
  Press(PARAM_CREATE_MASK);
  Rect(0, 100, 100, 40, 40, 0);
  Rect(1, 300, 200, 100, 60, 0);  // slot 2: corner 3 at (250, 230)
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DO_CLICK;
  extra.u.do_click.screen_point = PF_Point{253, 228};
  host::EventResult down = session().SendEvent(WindowKind::Layer, extra, 0);
  ASSERT_TRUE(down.handled);
  const PF_DoClickEventInfo &click = extra.u.do_click;
  EXPECT_TRUE(click.send_drag);
  EXPECT_EQ(click.continue_refcon[0], 1);
  EXPECT_EQ(click.continue_refcon[1], 250 * 65536);
  EXPECT_EQ(click.continue_refcon[2], 230 * 65536);
  EXPECT_EQ(click.continue_refcon[3], 1);

  // Each drag event resizes slot 2 through its own point and leaves that point in the record.
  const PF_Point path[] = {{240, 240}, {230, 250}, {221, 262}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const bool last = i == 2;
    extra.e_type = PF_Event_DRAG;
    extra.u.do_click.screen_point = path[i];
    extra.u.do_click.last_time = last ? TRUE : FALSE;
    const host::EventResult r = session().SendEvent(WindowKind::Layer, extra, 0);
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(bool(click.send_drag), !last);
    EXPECT_EQ(click.continue_refcon[0], last ? 0 : 1);
    EXPECT_EQ(click.continue_refcon[1], path[i].h * 65536);
    EXPECT_EQ(click.continue_refcon[2], path[i].v * 65536);
    EXPECT_EQ(click.continue_refcon[3], 1);
    EXPECT_DOUBLE_EQ(value(PARAM_WIDTH(1)), 2.0 * (300 - path[i].h));
    EXPECT_DOUBLE_EQ(value(PARAM_HEIGHT(1)), 2.0 * (path[i].v - 200));
  }
  EXPECT_EQ(value(PARAM_WIDTH(0)), 40);
  EXPECT_EQ(value(PARAM_HEIGHT(0)), 40);
  ExpectNoProblems();
}

TEST_F(Linking, InTheApplicationTheHitTestMeasuresWithTheHostsMaths) {
  Press(PARAM_CREATE_MASK);
  Rect(0, 100, 100, 40, 40, 0);
  // Without the ANSI suite a click that reaches a handle's test is refused as a missing suite,
  // with everything it held given back.
  session().suites().Withhold("PF ANSI Suite", 1);
  const host::EventResult r = Click(81, 79);
  EXPECT_EQ(r.err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_FALSE(r.handled);
  EXPECT_TRUE(session().suites().Outstanding().empty());
  EXPECT_TRUE(session().commands().back().problems.empty())
      << session().commands().back().problems.front();
  session().suites().ClearWithheld();
  EXPECT_TRUE(Click(81, 79).handled);
}

// A corner beyond the negative end of the integer range is as far left as a point can be: it must
// not wrap around and be found under a click at the far right of the window.
TEST_F(Linking, ACornerFarBeyondTheLeftIsNotGrabbedAtTheRightEdge) {
  Press(PARAM_CREATE_MASK);
  Rect(0, 100, 100, 40, 40, 0);
  auto &outline = project().layer.masks[0].outline;
  ASSERT_TRUE(outline.keys.empty());
  ASSERT_NEAR(outline.value.vertices[0].x, 80, 1e-9);
  outline.value.vertices[0].x = -3e9;
  for (double x : {32767.0, 32766.0, 32760.0}) EXPECT_FALSE(Click(x, 80).handled) << x;
  EXPECT_FALSE(Click(81, 79).handled);
  // The other corners are where they were.
  const host::EventResult hit = Click(119, 81);
  ASSERT_TRUE(hit.handled);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[3], 0);
  ExpectNoProblems();
}

// ---- where a handle is, under a layer transform and a window view ----

class Placed : public Linking {
 protected:
  void Place(const Placement &p) {
    project().layer.transform = host::Transform{
        {p.position.x, p.position.y}, {p.anchor.x, p.anchor.y}, {p.scale.x, p.scale.y}, p.rotation};
    session().view().zoom = p.zoom;
    session().view().origin[0] = p.origin.x;
    session().view().origin[1] = p.origin.y;
  }
  // Grabs corner k of slot 1's rectangle at a window offset, drags to `to` (a layer point) and
  // checks the new sides against the point the release lands on.
  void GrabAndDrag(const Placement &p, WindowKind window, int k, XY to) {
    const XY center{240, 150};
    const double angle = 25;
    Rect(0, center.x, center.y, 200, 140, angle);
    const auto corners = Corners(center.x, center.y, 200, 140, angle);
    const XY grab = p.ToWindow(corners[std::size_t(k)]);

    // The hit test measures from the window pixel of the vertex rounded to whole layer pixels.
    const XY rounded = p.ToWindow(
        {std::floor(corners[std::size_t(k)].x + 0.5), std::floor(corners[std::size_t(k)].y + 0.5)});
    const host::EventResult near = Click(rounded.x + 6, rounded.y - 5, window);
    ASSERT_TRUE(near.handled);
    EXPECT_EQ(near.extra.u.do_click.continue_refcon[3], 0);
    EXPECT_FALSE(Click(rounded.x + 11, rounded.y - 11, window).handled);

    const XY release = p.ToWindow(to);
    ASSERT_TRUE(session().Drag(window, {{grab.x, grab.y}, {release.x, release.y}}, 0));
    // The mouse reports whole window pixels; the host maps that pixel back to the layer.
    const XY landed = p.ToLayer({double(std::lround(release.x)), double(std::lround(release.y))});
    const XY sides = SidesThrough(center, angle, landed);
    EXPECT_NEAR(value(PARAM_WIDTH(0)), sides.x, 2e-3);
    EXPECT_NEAR(value(PARAM_HEIGHT(0)), sides.y, 2e-3);
    EXPECT_EQ(value(PARAM_CENTER(0)), center.x);
    EXPECT_EQ(value(PARAM_ANGLE(0)), angle);
    ExpectNoProblems();
  }
};

TEST_F(Placed, CompositionWindowUnderAScaledTurnedOffsetLayerAtHalfZoom) {
  Press(PARAM_CREATE_MASK);
  Placement p;
  p.position = {700, 420};
  p.anchor = {100, 60};
  p.scale = {150, 80};
  p.rotation = 35;
  p.zoom = 0.5;
  p.origin = {-40, 25};
  Place(p);
  // The drawn outline starts at corner 0 mapped through the whole chain.
  Rect(0, 240, 150, 200, 140, 25);
  session().Draw(WindowKind::Comp, 0);
  const XY c0 = p.ToWindow(Corners(240, 150, 200, 140, 25)[0]);
  ASSERT_EQ(Outlines().size(), 1u);
  EXPECT_NEAR(Outlines()[0].x, c0.x, 1e-3);
  EXPECT_NEAR(Outlines()[0].y, c0.y, 1e-3);
  GrabAndDrag(p, WindowKind::Comp, 2, {330, 200});
}

TEST_F(Placed, LayerWindowAtZoomTwoAndAnOrigin) {
  Press(PARAM_CREATE_MASK);
  Placement p;
  p.comp_window = false;
  p.zoom = 2;
  p.origin = {35, -18};
  Place(p);
  // The layer's own transform plays no part in its window.
  project().layer.transform = host::Transform{{50, 70}, {10, 10}, {60, 60}, 80};
  GrabAndDrag(p, WindowKind::Layer, 1, {300, 90});
}

}  // namespace
}  // namespace orvane::test
