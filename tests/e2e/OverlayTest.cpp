// The overlay through the loaded module: drawing linked masks and their handles, grabbing a
// handle and dragging it, in composition and layer windows.
#include <cairo.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>

#include "FaultSweep.h"
#include "HostFixture.h"
#include "Params.h"
#include "Picture.h"
#include "report/Pictures.h"
#include "protocol/Suites.h"

namespace orvane::test {
namespace {

using host::DrawOp;
using host::Point2;
using host::WindowKind;

class Overlay : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    SmallComposition();
    ApplyEffect();
  }
  // A slot with a linked rectangle mask: centre, size and angle as given.
  void Rectangle(double cx, double cy, double w, double h, double angle = 0) {
    const int s = int(value(PARAM_NUMBER));
    Press(PARAM_CREATE_MASK);
    Set(PARAM_CENTER(s), {cx, cy});
    Set(PARAM_WIDTH(s), {w});
    Set(PARAM_HEIGHT(s), {h});
    Set(PARAM_ANGLE(s), {angle});
  }
  const std::vector<DrawOp> &Draw(WindowKind window = WindowKind::Layer) {
    last_draw_ = session().Draw(window, 0);
    return session().drawing();
  }
  std::size_t Calls(const char *function) {
    std::size_t n = 0;
    for (const auto &e : session().trace().entries()) n += std::strcmp(e.function, function) == 0;
    return n;
  }
  host::EventResult Click(double x, double y, WindowKind window = WindowKind::Layer) {
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DO_CLICK;
    extra.u.do_click.screen_point = PF_Point{A_long(x), A_long(y)};
    return session().SendEvent(window, extra, 0);
  }
  host::EventResult last_draw_;
};

TEST_F(Overlay, WithOnClearedNothingIsDrawnAndNoClickIsTaken) {
  Rectangle(320, 180, 200, 100);
  Set(PARAM_ON, {0});
  session().trace().Reset();
  EXPECT_TRUE(Draw().empty());
  EXPECT_TRUE(last_draw_.handled);
  EXPECT_EQ(session().trace().calls(), 0u);
  host::EventResult click = Click(220, 130);
  EXPECT_FALSE(click.handled);
  EXPECT_FALSE(click.extra.u.do_click.send_drag);
}

TEST_F(Overlay, ARectangleMaskIsAnOutlineAndFourHandles) {
  Rectangle(320, 180, 200, 100);
  const AEGP_ColorVal c = project().layer.masks[0].color;
  const auto &ops = Draw();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0].kind, DrawOp::Kind::Stroke);
  EXPECT_FLOAT_EQ(ops[0].size, 5.0f);
  EXPECT_FLOAT_EQ(ops[0].color.alpha, 0.6f);
  EXPECT_FLOAT_EQ(ops[0].color.red, float(c.redF));
  EXPECT_FLOAT_EQ(ops[0].color.blue, float(c.blueF));
  // Move-to, then four Bezier segments of three points each, closing on the first corner.
  ASSERT_EQ(ops[0].path.size(), 13u);
  EXPECT_FLOAT_EQ(ops[0].path[0].x, 220);
  EXPECT_FLOAT_EQ(ops[0].path[0].y, 130);
  EXPECT_FLOAT_EQ(ops[0].path[12].x, 220);
  const double corners[4][2] = {{220, 130}, {420, 130}, {420, 230}, {220, 230}};
  for (int i = 0; i < 4; ++i) {
    const DrawOp &handle = ops[std::size_t(i) + 1];
    EXPECT_EQ(handle.kind, DrawOp::Kind::Rect);
    EXPECT_FLOAT_EQ(handle.color.alpha, 0.7f);
    EXPECT_FLOAT_EQ(handle.rect.width, 8);
    EXPECT_FLOAT_EQ(handle.rect.height, 8);
    EXPECT_FLOAT_EQ(handle.rect.left, float(corners[i][0] - 4));
    EXPECT_FLOAT_EQ(handle.rect.top, float(corners[i][1] - 4));
  }
  ExpectNoProblems();
}

// Open paths, triangles and outlines of more than four corners have no handles; the hexagon's
// six segments are drawn whole, though only four corners could ever be handles.
TEST_F(Overlay, OpenPathsTrianglesAndHexagonsHaveNoHandles) {
  const int open = AddMask(false, {{10, 10}, {50, 10}, {50, 50}, {10, 50}});
  const int triangle = AddMask(true, {{100, 100}, {150, 100}, {125, 150}});
  const int hexagon =
      AddMask(true, {{200, 100}, {240, 100}, {260, 130}, {240, 160}, {200, 160}, {180, 130}});
  Set(PARAM_NUMBER, {3});
  Set(PARAM_MASK_PATH(0), {double(project().layer.masks[std::size_t(open)].id)});
  Set(PARAM_MASK_PATH(1), {double(project().layer.masks[std::size_t(triangle)].id)});
  Set(PARAM_MASK_PATH(2), {double(project().layer.masks[std::size_t(hexagon)].id)});
  const auto &ops = Draw();
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, DrawOp::Kind::Stroke);
  EXPECT_EQ(ops[0].path.size(), 10u);  // three segments
  EXPECT_EQ(ops[1].kind, DrawOp::Kind::Stroke);
  EXPECT_EQ(ops[1].path.size(), 10u);
  EXPECT_EQ(ops[2].kind, DrawOp::Kind::Stroke);
  ASSERT_EQ(ops[2].path.size(), 19u);  // six segments
  EXPECT_FLOAT_EQ(ops[2].path[18].x, 200);
  EXPECT_FLOAT_EQ(ops[2].path[18].y, 100);
  EXPECT_FLOAT_EQ(ops[2].path[9].x, 240);
  EXPECT_FLOAT_EQ(ops[2].path[9].y, 160);
  ExpectNoProblems();
}

TEST_F(Overlay, AMaskIsDrawnOnceInTheLowerSlotsPlaceAndOnlyUpToNumber) {
  Rectangle(100, 100, 20, 20);
  Rectangle(300, 200, 20, 20);
  // Slot 1 now shows mask 1 too; slot 3 (above Number) chooses mask 0.
  Set(PARAM_MASK_PATH(0), {double(project().layer.masks[1].id)});
  Set(PARAM_MASK_PATH(2), {double(project().layer.masks[0].id)});
  const auto &ops = Draw();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_FLOAT_EQ(ops[0].path[0].x, 290);
  Set(PARAM_NUMBER, {3});
  // Slot 3 now counts: mask 0 follows its rectangle, the default 640 x 360 about the centre.
  const auto &all = Draw();
  ASSERT_EQ(all.size(), 10u);
  EXPECT_FLOAT_EQ(all[5].path[0].x, 0);
  EXPECT_FLOAT_EQ(all[5].path[0].y, 0);
}

TEST_F(Overlay, AKeyedOutlineIsDrawnWithVerticesAndTangentsBlendedBetweenItsKeys) {
  const int m = AddMask(true, {{0, 0}, {0, 0}, {0, 0}});
  Set(PARAM_NUMBER, {1});
  Set(PARAM_MASK_PATH(0), {double(project().layer.masks[std::size_t(m)].id)});
  // Keys at 0 and 2 s, set after the link so that no live update reshapes them. Every number
  // differs between the keys, so each one's blend shows.
  host::Outline first, second;
  first.open = second.open = false;
  first.vertices = {
      {100, 100, -10, 4, 12, -6}, {300, 200, 8, -14, -20, 2}, {200, 300, 16, 8, -4, -12}};
  second.vertices = {
      {140, 60, 34, -16, -28, 10}, {260, 240, -32, 6, 40, -18}, {200, 340, -40, -16, 36, 28}};
  host::Mask &mask = project().layer.masks[std::size_t(m)];
  mask.outline.SetKey(0, A_Time{0, 30}, first);
  mask.outline.SetKey(2, A_Time{60, 30}, second);

  // At 0.5 s (frame 15 of 60), a quarter of the way: vertices (110, 90), (290, 210), (200, 310); in
  // and out tangents (1, -1) (2, -2), (-2, -9) (-5, -3), (2, 2) (6, -2). Each segment runs from a
  // vertex through its out tangent and the next vertex's in tangent, both relative to their vertex.
  session().Draw(WindowKind::Layer, 0.5);
  const auto &ops = session().drawing();
  ASSERT_EQ(ops.size(), 1u);  // a triangle has no handles
  const double expected[10][2] = {{110, 90},  {112, 88},  {288, 201}, {290, 210}, {285, 207},
                                  {202, 312}, {200, 310}, {206, 308}, {111, 89},  {110, 90}};
  ASSERT_EQ(ops[0].path.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_NEAR(ops[0].path[i].x, expected[i][0], 1e-3) << "point " << i;
    EXPECT_NEAR(ops[0].path[i].y, expected[i][1], 1e-3) << "point " << i;
  }
}

TEST_F(Overlay, CompositionWindowFollowsTheLayerTransformLayerWindowOnlyTheView) {
  Rectangle(320, 180, 200, 100);
  session().view().zoom = 2;
  session().view().origin[0] = 10;
  session().view().origin[1] = 20;
  const auto &layer_ops = Draw(WindowKind::Layer);
  EXPECT_FLOAT_EQ(layer_ops[0].path[0].x, 10 + 2 * 220);
  EXPECT_FLOAT_EQ(layer_ops[0].path[0].y, 20 + 2 * 130);

  project().layer.transform = host::Transform{{400, 300}, {320, 180}, {50, 50}, 90};
  const auto &comp_ops = Draw(WindowKind::Comp);
  // Corner (220, 130) is (-100, -50) from the anchor; half size and a quarter turn put it at
  // (400 + 25, 300 - 50) in the composition.
  EXPECT_NEAR(comp_ops[0].path[0].x, 10 + 2 * 425, 1e-3);
  EXPECT_NEAR(comp_ops[0].path[0].y, 20 + 2 * 250, 1e-3);
}

TEST_F(Overlay, AHandleIsHitBelowSixteenCityBlockPixels) {
  Rectangle(320, 180, 200, 100);  // corner 0 at (220, 130)
  host::EventResult hit = Click(220 + 8, 130 + 7);
  EXPECT_TRUE(hit.handled);
  EXPECT_TRUE(hit.extra.u.do_click.send_drag);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[0], 1);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[1], 220 * 65536);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[2], 130 * 65536);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[3], 0);
  host::EventResult miss = Click(220 + 8, 130 + 8);
  EXPECT_FALSE(miss.handled);
  EXPECT_FALSE(miss.extra.u.do_click.send_drag);
}

// Premiere Pro measures the hit without the ANSI suite, but to the same reach: clicks on every
// side of a corner away from the origin, all suites present.
TEST_F(Overlay, PremiereProReachesAHandleOnEverySideAsAfterEffectsDoes) {
  Rectangle(320, 180, 200, 100);  // corner 0 at (220, 130), corner 2 at (420, 230)
  for (A_long app : {host::Session::kAfterEffects, host::Session::kPremierePro}) {
    SCOPED_TRACE(app == host::Session::kPremierePro ? "PrMr" : "FXTC");
    session().set_appl_id(app);
    const int offsets[][2] = {{8, 7}, {-8, -7}, {7, -8}, {-15, 0}, {0, 15}};
    for (const auto &d : offsets) {
      host::EventResult hit = Click(220 + d[0], 130 + d[1]);
      ASSERT_TRUE(hit.handled) << d[0] << ", " << d[1];
      EXPECT_EQ(hit.extra.u.do_click.continue_refcon[1], 220 * 65536);
      EXPECT_EQ(hit.extra.u.do_click.continue_refcon[2], 130 * 65536);
    }
    host::EventResult far_corner = Click(420 - 8, 230 + 7);
    ASSERT_TRUE(far_corner.handled);
    EXPECT_EQ(far_corner.extra.u.do_click.continue_refcon[1], 420 * 65536);
    EXPECT_EQ(far_corner.extra.u.do_click.continue_refcon[2], 230 * 65536);
    for (const auto &d : {std::pair{8, 8}, {-8, -8}, {-16, 0}, {0, 16}}) {
      EXPECT_FALSE(Click(220 + d.first, 130 + d.second).handled) << d.first << ", " << d.second;
    }
  }
}

TEST_F(Overlay, TheFirstHandleInSlotAndVertexOrderWins) {
  Rectangle(320, 180, 20, 20);  // slot 1, corner 2 at (330, 190)
  Rectangle(340, 200, 20, 20);  // slot 2, corner 0 at (330, 190) too
  host::EventResult r = Click(332, 191);
  ASSERT_TRUE(r.handled);
  EXPECT_EQ(r.extra.u.do_click.continue_refcon[3], 0);
  EXPECT_EQ(r.extra.u.do_click.continue_refcon[1], 330 * 65536);
  // Within one slot, vertex 0 wins over a nearer vertex 1 when both are in reach.
  Set(PARAM_NUMBER, {0});
  Rectangle(100, 100, 10, 10);  // corners (95, 95) and (105, 95)
  host::EventResult near1 = Click(103, 95);
  ASSERT_TRUE(near1.handled);
  EXPECT_EQ(near1.extra.u.do_click.continue_refcon[1], 95 * 65536);
}

TEST_F(Overlay, DraggingACornerResizesTheRotatedRectangleAboutItsCentre) {
  Rectangle(320, 180, 200, 100, 30);
  const double before_center[2] = {value(PARAM_CENTER(0)), value(PARAM_CENTER(0), 1)};
  const auto v = project().layer.masks[0].outline.At(0).vertices;
  const Point2 corner{v[2].x, v[2].y};
  // Outward along the rectangle's own x axis by 10 pixels: width grows by 20, height stays.
  const double a = 30 * 3.14159265358979323846 / 180;
  const Point2 out{corner.x + 10 * std::cos(a), corner.y + 10 * std::sin(a)};
  ASSERT_TRUE(session().Drag(WindowKind::Layer, {corner, {corner.x + 3, corner.y + 3}, out}, 0));
  // The mouse reports whole window pixels: the release point is `out` rounded.
  const double dx = std::lround(out.x) - before_center[0],
               dy = std::lround(out.y) - before_center[1];
  EXPECT_NEAR(value(PARAM_WIDTH(0)), 2 * std::fabs(dx * std::cos(a) + dy * std::sin(a)), 1e-4);
  EXPECT_NEAR(value(PARAM_HEIGHT(0)), 2 * std::fabs(-dx * std::sin(a) + dy * std::cos(a)), 1e-4);
  EXPECT_NEAR(value(PARAM_WIDTH(0)), 220, 1.5);
  EXPECT_NEAR(value(PARAM_HEIGHT(0)), 100, 1.5);
  EXPECT_EQ(value(PARAM_CENTER(0)), before_center[0]);
  EXPECT_EQ(value(PARAM_CENTER(0), 1), before_center[1]);
  EXPECT_EQ(value(PARAM_ANGLE(0)), 30);
  // The live update has moved the mask onto the new rectangle: its corner is where the mouse let
  // go.
  const auto moved = project().layer.masks[0].outline.At(0).vertices;
  EXPECT_NEAR(moved[2].x, std::lround(out.x), 0.6);
  EXPECT_NEAR(moved[2].y, std::lround(out.y), 0.6);
  ExpectNoProblems();
}

TEST_F(Overlay, EachDragEventMarksWidthAndHeightChanged) {
  Rectangle(320, 180, 200, 100);
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DRAG;
  extra.u.do_click.send_drag = TRUE;
  extra.u.do_click.continue_refcon[3] = 0;
  extra.u.do_click.screen_point = PF_Point{330, 180};  // across the centre: 10 right of it
  host::Session::ParamArray params = session().BuildParams(session().context());
  extra.contextH = session().context_handle(WindowKind::Layer);
  host::InstallEventCallbacks(extra.cbs, &session());
  ASSERT_EQ(session().SendWithParams(PF_Cmd_EVENT, &extra, params.ptrs.data(), nullptr,
                                     session().context()),
            PF_Err_NONE);
  EXPECT_EQ(params.defs[PARAM_WIDTH(0)].uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  EXPECT_EQ(params.defs[PARAM_HEIGHT(0)].uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  EXPECT_EQ(params.defs[PARAM_CENTER(0)].uu.change_flags, 0);
  EXPECT_EQ(params.defs[PARAM_ANGLE(0)].uu.change_flags, 0);
  // Through the centre the sides shrink to 20 and 0, never below.
  EXPECT_DOUBLE_EQ(params.defs[PARAM_WIDTH(0)].u.fs_d.value, 20);
  EXPECT_DOUBLE_EQ(params.defs[PARAM_HEIGHT(0)].u.fs_d.value, 0);
  EXPECT_TRUE(extra.u.do_click.send_drag);
  EXPECT_EQ(extra.u.do_click.continue_refcon[1], 330 * 65536);
}

TEST_F(Overlay, AMouseDownWhileDraggingIsADragAndTheReleaseEndsIt) {
  Rectangle(320, 180, 200, 100);
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DO_CLICK;
  extra.u.do_click.send_drag = TRUE;
  extra.u.do_click.last_time = TRUE;
  extra.u.do_click.continue_refcon[0] = 1;
  extra.u.do_click.continue_refcon[3] = 0;
  extra.u.do_click.screen_point = PF_Point{470, 180};
  host::EventResult r = session().SendEvent(WindowKind::Layer, extra, 0);
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(extra.e_type, PF_Event_DRAG);
  EXPECT_FALSE(extra.u.do_click.send_drag);
  EXPECT_EQ(extra.u.do_click.continue_refcon[0], 0);
  EXPECT_DOUBLE_EQ(value(PARAM_WIDTH(0)), 300);
}

// A drag event whose refcon names no slot (the first past the table among them) is not a drag
// of the module's: the record comes back as it went, and no parameter moves.
TEST_F(Overlay, ASlotNumberOutsideTheTableDoesNothing) {
  Rectangle(320, 180, 200, 100);
  Rectangle(100, 100, 40, 20);
  const auto dump = [&] {
    std::vector<double> values;
    for (PF_ParamIndex i = 1; i < PARAM_COUNT; ++i) {
      for (int axis = 0; axis < 2; ++axis) values.push_back(value(i, axis));
    }
    for (const auto &mask : project().layer.masks) {
      for (const auto &v : mask.outline.At(0).vertices) {
        values.insert(values.end(), {v.x, v.y, v.tan_in_x, v.tan_out_y});
      }
    }
    return values;
  };
  const std::vector<double> before = dump();
  for (A_intptr_t k :
       {A_intptr_t(SLOT_COUNT), A_intptr_t(SLOT_COUNT + 1), A_intptr_t(-1), A_intptr_t(1) << 40}) {
    SCOPED_TRACE(k);
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DRAG;
    extra.u.do_click.send_drag = TRUE;
    extra.u.do_click.continue_refcon[0] = 1;
    extra.u.do_click.continue_refcon[1] = 1234567;
    extra.u.do_click.continue_refcon[2] = 7654321;
    extra.u.do_click.continue_refcon[3] = k;
    extra.u.do_click.screen_point = PF_Point{400, 250};
    host::EventResult r = session().SendEvent(WindowKind::Layer, extra, 0);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.extra.u.do_click.continue_refcon[1], 1234567);
    EXPECT_EQ(r.extra.u.do_click.continue_refcon[2], 7654321);
    EXPECT_EQ(r.extra.u.do_click.continue_refcon[3], k);
    EXPECT_EQ(dump(), before);
  }
}

TEST_F(Overlay, ADrawbotFailureIsTheEventsErrorWithEverythingReleased) {
  Rectangle(320, 180, 200, 100);
  for (const char *failing : {"NewPen", "NewPath", "ReleaseObject"}) {
    SCOPED_TRACE(failing);
    session().trace().ClearFaults();
    session().trace().FailFunction(failing, 1, PF_Err_OUT_OF_MEMORY);
    Draw();
    EXPECT_EQ(last_draw_.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_TRUE(session().suites().Outstanding().empty());
    EXPECT_TRUE(session().commands().back().problems.empty())
        << session().commands().back().problems.front();
  }
}

TEST_F(Overlay, APictureShowsTheOutlineAndHandles) {
  Rectangle(320, 180, 200, 100);
  const std::string path = ::testing::TempDir() + "overlay.png";
  session().Draw(WindowKind::Layer, 0);
  host::WriteWindowPng(session(), WindowKind::Layer, 0, path);
  cairo_surface_t *png = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  const unsigned char *data = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  auto pixel = [&](int x, int y) {
    return *reinterpret_cast<const uint32_t *>(data + y * stride + x * 4);
  };
  auto channel = [](uint32_t p, int shift) { return int((p >> shift) & 0xFF); };
  // The handle on corner 0 is painted in the mask's colour at 70 %.
  const AEGP_ColorVal c = project().layer.masks[0].color;
  const uint32_t handle = pixel(220, 130);
  EXPECT_NEAR(channel(handle, 16), 255 * c.redF, 0.3 * 255 + 1);
  EXPECT_GT(channel(handle, 16), 150);
  // The outline runs along the top edge; far from it inside and outside it does not.
  const uint32_t edge = pixel(320, 130), inside = pixel(320, 180), outside = pixel(40, 40);
  EXPECT_GT(channel(edge, 16) + channel(edge, 8), channel(inside, 16) + channel(inside, 8) - 40);
  // Outside the mask the layer is dimmed.
  EXPECT_LT(channel(outside, 16) + channel(outside, 8) + channel(outside, 0),
            channel(inside, 16) + channel(inside, 8) + channel(inside, 0));
  cairo_surface_destroy(png);
}

// The picture the browser session is sent, encoded for speed, is the picture the `png` step
// writes through Cairo, pixel for pixel, row for row.
TEST_F(Overlay, TheFastPictureIsThePictureWrittenToAFile) {
  Rectangle(320, 180, 200, 100);
  session().Draw(WindowKind::Layer, 0);
  const std::string path = ::testing::TempDir() + "fast.png";
  host::WriteWindowPng(session(), WindowKind::Layer, 0, path);
  const Picture decoded = Picture::FromBytes(host::WindowPng(session(), WindowKind::Layer, 0));
  const Picture file(path);
  ASSERT_TRUE(decoded.ok());
  ASSERT_TRUE(file.ok());
  const int w = file.width(), h = file.height();
  ASSERT_EQ(decoded.width(), w);
  ASSERT_EQ(decoded.height(), h);
  int differ = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) differ += decoded.At(x, y) != file.At(x, y);
  }
  EXPECT_EQ(differ, 0) << "of " << w * h << " pixels";
}

// A stroke starts at its move-to, not at its first control point: a curve whose controls sit on
// its end is a straight line from the start, painted in full.
TEST_F(Overlay, AStrokeInThePictureStartsWhereItsPathMovedTo) {
  session().surface().Clear();
  DrawOp line;
  line.color = DRAWBOT_ColorRGBA{1, 0, 0, 1};
  line.size = 5;
  line.path = {{20, 20}, {100, 100}, {100, 100}, {100, 100}};
  session().surface().Add(line);
  const std::string path = ::testing::TempDir() + "stroke.png";
  host::WriteWindowPng(session(), WindowKind::Layer, 0, path);
  cairo_surface_t *png = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  const unsigned char *data = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  for (int at : {30, 60, 90}) {
    SCOPED_TRACE(at);
    EXPECT_EQ(*reinterpret_cast<const uint32_t *>(data + at * stride + at * 4), 0xFFFF0000u);
  }
  cairo_surface_destroy(png);
}

// The composition window shows the layer through its scale on each axis: at half its height it
// covers the middle half of the window's rows and every column, at half its width the reverse.
// What is not the layer is the window's own background, as where no layer is at all.
TEST_F(Overlay, TheCompositionWindowScalesTheLayerOnEachAxisOnItsOwn) {
  const auto picture = [&](double sx, double sy, const char *name) {
    project().layer.transform.scale[0] = sx;
    project().layer.transform.scale[1] = sy;
    const std::string path = ::testing::TempDir() + name;
    host::WriteWindowPng(session(), WindowKind::Comp, 0, path);
    return Picture(path);
  };
  const Picture half_high = picture(100, 50, "half-high.png");
  const Picture half_wide = picture(50, 100, "half-wide.png");
  project().layer.transform.position[0] = 1e5;  // nothing of the layer in the window
  const Picture none = picture(100, 100, "no-layer.png");
  ASSERT_TRUE(half_high.ok() && half_wide.ok() && none.ok());
  // Near the top at the middle column, and near the left at the middle row: each outside the
  // layer scaled on that axis, and inside the other.
  EXPECT_EQ(half_high.Region(300, 40, 340, 50), none.Region(300, 40, 340, 50));
  EXPECT_NE(half_high.Region(40, 170, 50, 190), none.Region(40, 170, 50, 190));
  EXPECT_EQ(half_wide.Region(40, 170, 50, 190), none.Region(40, 170, 50, 190));
  EXPECT_NE(half_wide.Region(300, 40, 340, 50), none.Region(300, 40, 340, 50));
}

// The layer's picture follows the layer's size: made after its height changes (its width kept),
// it is the picture a thread with nothing kept from before makes.
TEST_F(Overlay, TheLayersPictureFollowsItsHeight) {
  host::WindowLayerPng(session(), WindowKind::Layer, 0);
  project().layer.height += 4;
  const std::string after = host::WindowLayerPng(session(), WindowKind::Layer, 0);
  std::string fresh;
  std::thread([&] { fresh = host::WindowLayerPng(session(), WindowKind::Layer, 0); }).join();
  EXPECT_TRUE(after == fresh) << "a picture of the layer at its old height";
}

TEST(OverlayFaults, DrawAndClickStopAtAFailedCallAndLeakNothing) {
  static host::Module module(ORVANE_MODULE_PATH);
  auto setup = [](host::Session &s) {
    s.project().layer.width = 64;
    s.project().layer.height = 36;
    ASSERT_EQ(s.Apply(), PF_Err_NONE);
    s.ParamChanged(PARAM_CREATE_MASK);
    s.ParamChanged(PARAM_CREATE_MASK);
  };
  SweepCase draw;
  draw.setup = setup;
  draw.command = [](host::Session &s) {
    return s.Draw(WindowKind::Comp, 0).err;  // host errors while drawing are not passed on
  };
  draw.propagates = [](const char *) { return false; };
  EXPECT_GT(SweepFaults(module, draw), 30u);

  SweepCase click;
  click.setup = setup;
  click.command = [](host::Session &s) {
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DO_CLICK;
    extra.u.do_click.screen_point = PF_Point{1000, 1000};  // a miss, so every mask is read
    host::EventResult r = s.SendEvent(WindowKind::Comp, extra, 0);
    EXPECT_FALSE(r.handled && s.trace().injected() > 0) << "a failed click took the mouse";
    return r.err;
  };
  click.propagates = [](const char *) { return false; };
  EXPECT_GT(SweepFaults(module, click), 20u);
}

}  // namespace
}  // namespace orvane::test
