// The arguments the module passes with its host calls, seen through their outcomes: reads with
// and without expressions, the undoable flag of a visibility change, the time given to the
// coordinate callbacks, and layer time against composition time on a layer that starts late or
// runs stretched. Expected positions are computed here from the scenario's numbers.
#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

#include "HostFixture.h"
#include "HostProcess.h"
#include "Params.h"

namespace orvane::test {
namespace {

using host::Point2;
using host::WindowKind;

constexpr double kPi = 3.14159265358979323846;

class Arguments : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    SmallComposition();
  }
  // A slot with a linked rectangle mask: centre, size and angle as given.
  void Rectangle(double cx, double cy, double w, double h) {
    const int s = int(value(PARAM_NUMBER));
    Press(PARAM_CREATE_MASK);
    Set(PARAM_CENTER(s), {cx, cy});
    Set(PARAM_WIDTH(s), {w});
    Set(PARAM_HEIGHT(s), {h});
  }
  host::EventResult Click(WindowKind window, double x, double y, double time) {
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DO_CLICK;
    extra.u.do_click.screen_point = PF_Point{A_long(x), A_long(y)};
    return session().SendEvent(window, extra, time);
  }
  // The same vertex offset (position and tangents) on each of the mask's vertices.
  void OutlineExpression(int mask, AEGP_MaskVertex offset) {
    host::OutlineExpression e;
    e.offsets.assign(project().layer.masks.at(std::size_t(mask)).outline.At(0).vertices.size(),
                     offset);
    project().layer.masks[std::size_t(mask)].expression = e;
  }
  const std::vector<AEGP_MaskVertex> &Keyframed(int mask) {
    return project().layer.masks.at(std::size_t(mask)).outline.value.vertices;
  }
};

// ---- pre-expression and post-expression reads ----

TEST_F(Arguments, TheLiveUpdateWritesTheKeyframedOutlineWhileDrawAndClickSeeTheExpression) {
  ApplyEffect();
  Rectangle(320, 180, 200, 100);  // corners (220, 130), (420, 130), (420, 230), (220, 230)
  const AEGP_MaskVertex offset{5, 7, 1, 2, 3, 4};
  OutlineExpression(0, offset);
  session().Render(session().context());
  // The live update reads the keyframed outline: the expression's tangents stay out of it.
  for (const AEGP_MaskVertex &v : Keyframed(0)) {
    EXPECT_EQ(v.tan_in_x, 0);
    EXPECT_EQ(v.tan_out_y, 0);
  }
  EXPECT_EQ(Keyframed(0)[0].x, 220);

  // The overlay shows the outline as the user sees it: every vertex 5 right and 7 down, the
  // first control point 3, 4 from it.
  session().Draw(WindowKind::Layer, 0);
  const auto &ops = session().drawing();
  ASSERT_FALSE(ops.empty());
  EXPECT_FLOAT_EQ(ops[0].path[0].x, 225);
  EXPECT_FLOAT_EQ(ops[0].path[0].y, 137);
  EXPECT_FLOAT_EQ(ops[0].path[1].x, 228);
  EXPECT_FLOAT_EQ(ops[0].path[1].y, 141);
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_FLOAT_EQ(ops[1].rect.left, 225 - 4);

  // A click 15 city-block pixels from the shown corner grabs it; the keyframed corner is 27 away.
  host::EventResult hit = Click(WindowKind::Layer, 225 + 8, 137 + 7, 0);
  ASSERT_TRUE(hit.handled);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[1], 225 * 65536);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[2], 137 * 65536);
  ExpectNoProblems();
}

TEST_F(Arguments, TheBakeKeysTheRectangleAndOutlineAsTheUserSeesThem) {
  project().comp.work_duration = 2.0 / 30;
  ApplyEffect();
  Rectangle(320, 180, 200, 100);
  param(PARAM_CENTER(0)).expression = host::StreamValue{{10, 20, 0, 0}};
  param(PARAM_WIDTH(0)).expression = host::StreamValue{{50, 0, 0, 0}};
  OutlineExpression(0, AEGP_MaskVertex{0, 0, 1, 2, 3, 4});
  Press(PARAM_BAKE_MASKS);
  const auto &keys = project().layer.masks[0].outline.keys;
  ASSERT_EQ(keys.size(), 2u);
  for (const auto &key : keys) {
    // Centre (330, 200), width 250, height 100.
    const auto &v = key.value.vertices;
    EXPECT_DOUBLE_EQ(v[0].x, 205);
    EXPECT_DOUBLE_EQ(v[0].y, 150);
    EXPECT_DOUBLE_EQ(v[2].x, 455);
    EXPECT_DOUBLE_EQ(v[2].y, 250);
    // The outline each key starts from is read with its expression, tangents included.
    EXPECT_DOUBLE_EQ(v[1].tan_in_x, 1);
    EXPECT_DOUBLE_EQ(v[1].tan_out_y, 4);
  }
  ExpectNoProblems();
}

TEST_F(Arguments, CreateCountsOnFromTheNumberTheUserSees) {
  ApplyEffect();
  // "Number" shows 1 through its expression while its keyframed value is 0.
  param(PARAM_NUMBER).expression = host::StreamValue{{1, 0, 0, 0}};
  Press(PARAM_CREATE_MASK);
  // The new mask goes to slot 2, and the parameter write adds one to the 1 it reads.
  EXPECT_EQ(param(PARAM_NUMBER).stream.At(0).v[0], 2);
  ASSERT_EQ(project().layer.masks.size(), 1u);
  EXPECT_EQ(value(PARAM_MASK_PATH(1)), project().layer.masks[0].id);
  EXPECT_EQ(value(PARAM_MASK_PATH(0)), 0);

  // The colour reaction takes the colour the user sees: 200 red shown as 145.
  param(PARAM_MASK_COLOR(1)).expression = host::StreamValue{{0, -55 / 255.0, 0, 0}};
  Set(PARAM_MASK_COLOR(1), {1, 200 / 255.0, 100 / 255.0, 50 / 255.0});
  EXPECT_DOUBLE_EQ(project().layer.masks[0].color.redF, double(145 / 255.0f));
  EXPECT_DOUBLE_EQ(project().layer.masks[0].color.greenF, double(100 / 255.0f));
  ExpectNoProblems();
}

// ---- the undoable flag of a visibility change ----

TEST_F(Arguments, ChangingNumberAddsNoHideOrShowUndoEntries) {
  ApplyEffect();
  Set(PARAM_ON, {0});  // no live update, so no "Move Masks" either
  Set(PARAM_NUMBER, {3});
  Set(PARAM_NUMBER, {1});
  // The user's three changes, and no entry of the module's for the controls it hid or showed.
  EXPECT_EQ(project().undo.entries(),
            (std::vector<std::string>{"Change \"On\"", "Change \"Number\"", "Change \"Number\""}));
  EXPECT_FALSE(param(PARAM_CENTER(0)).hidden);
  EXPECT_TRUE(param(PARAM_CENTER(1)).hidden);
}

// ---- the time given to the coordinate callbacks ----

// The layer moves from (320, 180) to (420, 230) and turns from 0 to 90 degrees over 2 s.
class MovingLayer : public Arguments {
 protected:
  void SetUp() override {
    Arguments::SetUp();
    host::TransformKeys &k = project().layer.transform_keys;
    k.position.SetKey(0, A_Time{0, 30}, host::StreamValue{{320, 180, 0, 0}});
    k.position.SetKey(2, A_Time{60, 30}, host::StreamValue{{420, 230, 0, 0}});
    k.rotation.SetKey(0, A_Time{0, 30}, host::StreamValue{{0, 0, 0, 0}});
    k.rotation.SetKey(2, A_Time{60, 30}, host::StreamValue{{90, 0, 0, 0}});
    ApplyEffect();
    Rectangle(320, 180, 200, 100);
  }
  // Where layer point p is in the composition at time t (anchor at the layer's centre).
  static Point2 AtTime(Point2 p, double t) {
    const double a = 45 * t * kPi / 180, px = 320 + 50 * t, py = 180 + 25 * t;
    const double x = p.x - 320, y = p.y - 180;
    return {px + x * std::cos(a) - y * std::sin(a), py + x * std::sin(a) + y * std::cos(a)};
  }
  static Point2 BackAtTime(Point2 q, double t) {
    const double a = 45 * t * kPi / 180, x = q.x - (320 + 50 * t), y = q.y - (180 + 25 * t);
    return {320 + x * std::cos(a) + y * std::sin(a), 180 - x * std::sin(a) + y * std::cos(a)};
  }
};

TEST_F(MovingLayer, DrawClickAndDragLandWhereTheLayerIsAtThatTime) {
  const double t = 1;
  const Point2 corner = AtTime({220, 130}, t);  // (334.6, 98.9)
  session().Draw(WindowKind::Comp, t);
  const auto &ops = session().drawing();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_NEAR(ops[0].path[0].x, corner.x, 1e-3);
  EXPECT_NEAR(ops[0].path[0].y, corner.y, 1e-3);
  EXPECT_NEAR(ops[1].rect.left, corner.x - 4, 1e-3);

  // The handle is grabbed where it is at that time; at time 0 the same point is far from it.
  host::EventResult far = Click(WindowKind::Comp, corner.x, corner.y, 0);
  EXPECT_FALSE(far.handled);
  host::EventResult hit = Click(WindowKind::Comp, corner.x, corner.y, t);
  ASSERT_TRUE(hit.handled);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[1], 220 * 65536);

  // Dragging corner 2 to a composition point resizes the rectangle to the layer point under it
  // at that time.
  const Point2 start = AtTime({420, 230}, t);
  const Point2 end{std::round(start.x + 20), std::round(start.y - 10)};
  ASSERT_TRUE(session().Drag(WindowKind::Comp, {start, end}, t));
  const Point2 layer = BackAtTime(end, t);
  EXPECT_NEAR(value(PARAM_WIDTH(0)), 2 * std::fabs(layer.x - 320), 1e-3);
  EXPECT_NEAR(value(PARAM_HEIGHT(0)), 2 * std::fabs(layer.y - 180), 1e-3);
  ExpectNoProblems();
}

// ---- layer time and composition time ----

// The layer starts 1 s into the composition and, in the second case, runs at half speed.
class LateLayer : public Arguments, public ::testing::WithParamInterface<double> {
 protected:
  void SetUp() override {
    Arguments::SetUp();
    project().layer.start = 1;
    project().layer.stretch = GetParam();
  }
  double LayerTime(double comp) { return (comp - 1) * 100 / GetParam(); }
  // A key at a composition time on an effect parameter.
  void Key(int index, double comp, std::initializer_list<double> v) {
    host::StreamValue value;
    int i = 0;
    for (double x : v) value.v[i++] = x;
    param(index).stream.SetKey(LayerTime(comp), A_Time{A_long(std::lround(comp * 30)), 30}, value);
  }
  // Mask `mask` moves right by `speed` layer pixels per second of layer time.
  void Moving(int mask, double speed) {
    host::Mask &m = project().layer.masks.at(std::size_t(mask));
    host::Outline later = m.outline.value;
    for (AEGP_MaskVertex &v : later.vertices) v.x += speed * 10;
    m.outline.SetKey(0, A_Time{30, 30}, m.outline.value);
    m.outline.SetKey(10, A_Time{A_long(std::lround(project().CompTime(10) * 30)), 30}, later);
  }
};

TEST_P(LateLayer, DrawAndClickReadTheOutlineAtTheLayersOwnTime) {
  ApplyEffect();
  Rectangle(320, 180, 200, 100);
  Moving(0, 30);
  // Composition time 3 is layer time 2 (or 1 when stretched): the corner has moved 60 (or 30).
  const double shift = 30 * LayerTime(3);
  session().Draw(WindowKind::Layer, 3);
  ASSERT_FALSE(session().drawing().empty());
  EXPECT_FLOAT_EQ(session().drawing()[0].path[0].x, float(220 + shift));
  host::EventResult hit = Click(WindowKind::Layer, 220 + shift + 10, 130 + 5, 3);
  ASSERT_TRUE(hit.handled);
  EXPECT_EQ(hit.extra.u.do_click.continue_refcon[1], A_intptr_t(220 + shift) * 65536);
}

TEST_P(LateLayer, TheLiveUpdateKeysTheOutlineAtTheLayersOwnTime) {
  ApplyEffect();
  Rectangle(320, 180, 200, 100);
  Moving(0, 30);
  Set(PARAM_WIDTH(0), {300});  // at composition time 0
  project().time = 3;
  session().Render(session().context());
  // The new shape is keyed at the layer time of composition time 3 and nowhere else.
  const auto &keys = project().layer.masks[0].outline.keys;
  bool found = false;
  for (const auto &key : keys) {
    if (std::fabs(key.time - LayerTime(3)) < 1e-9) {
      found = true;
      EXPECT_DOUBLE_EQ(key.value.vertices[0].x, 170);
    }
  }
  EXPECT_TRUE(found);
  EXPECT_DOUBLE_EQ(project().layer.masks[0].outline.At(LayerTime(3)).vertices[0].x, 170);
}

TEST_P(LateLayer, TheBakeReadsAndKeysEachFrameAtItsCompositionTime) {
  project().comp.work_start = 2;
  project().comp.work_duration = 3.0 / 30;
  ApplyEffect();
  // A closed five-vertex mask, which the live update leaves alone and the bake keys; its fifth
  // vertex moves 100 layer pixels per second of layer time.
  AddMask(true, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 50}});
  Moving(0, 100);
  Set(PARAM_NUMBER, {1});
  Set(PARAM_MASK_PATH(0), {double(project().layer.masks[0].id)});
  Set(PARAM_WIDTH(0), {200});
  Set(PARAM_HEIGHT(0), {100});
  // The centre moves 100 pixels per second of composition time.
  Key(PARAM_CENTER(0), 0, {100, 180});
  Key(PARAM_CENTER(0), 4, {500, 180});
  project().time = 0;
  Press(PARAM_BAKE_MASKS);
  const auto &keys = project().layer.masks[0].outline.keys;
  std::vector<host::Keyframe<host::Outline>> baked;
  for (const auto &key : keys) {
    if (key.at.value >= 60 && key.at.value <= 62) baked.push_back(key);
  }
  ASSERT_EQ(baked.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const double comp = 2 + i / 30.0;
    SCOPED_TRACE(comp);
    EXPECT_EQ(baked[std::size_t(i)].at.value, 60 + i);
    EXPECT_NEAR(baked[std::size_t(i)].time, LayerTime(comp), 1e-9);
    const auto &v = baked[std::size_t(i)].value.vertices;
    EXPECT_NEAR(v[0].x, 100 + 100 * comp - 100, 1e-6);
    EXPECT_NEAR(v[4].x, 100 * LayerTime(comp), 1e-6);
  }
}

TEST_P(LateLayer, WhichMasksTheBakeKeysIsDecidedAtTheLayersOwnTime) {
  project().comp.work_start = 3;
  project().comp.work_duration = 1.0 / 30;
  ApplyEffect();
  // An open three-segment path that becomes a closed rectangle at composition time 3: the bake
  // there keys it, as it would not the open path.
  AddMask(false, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  host::Mask &mask = project().layer.masks[0];
  host::Outline closed = mask.outline.value;
  closed.open = false;
  mask.outline.SetKey(0, A_Time{30, 30}, mask.outline.value);
  mask.outline.SetKey(LayerTime(3), A_Time{90, 30}, closed);
  Set(PARAM_NUMBER, {1});
  Set(PARAM_MASK_PATH(0), {double(mask.id)});
  Set(PARAM_WIDTH(0), {200});
  Set(PARAM_HEIGHT(0), {100});
  project().time = 3;
  Press(PARAM_BAKE_MASKS);
  // The key at that frame is now the slot's rectangle.
  const host::Outline at = project().layer.masks[0].outline.At(LayerTime(3));
  ASSERT_EQ(at.vertices.size(), 4u);
  EXPECT_DOUBLE_EQ(at.vertices[0].x, 220);
  EXPECT_DOUBLE_EQ(at.vertices[2].y, 230);
}

TEST_P(LateLayer, ClearingOnKeysItAtTheLayersOwnTime) {
  ApplyEffect();
  Key(PARAM_ON, 1, {1});
  Key(PARAM_ON, 9, {1});
  project().comp.work_duration = 1.0 / 30;
  project().time = 3;
  Press(PARAM_BAKE_MASKS);
  EXPECT_EQ(param(PARAM_ON).stream.At(LayerTime(3)).v[0], 0);
  EXPECT_EQ(param(PARAM_ON).stream.keys.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(StartingLateAndStretched, LateLayer, ::testing::Values(100.0, 200.0));

// ---- the same through a scenario ----

TEST(ArgumentsScenario, ExpressionsAndAMovingLayerInAScenarioAndItsDump) {
  HostResult r = RunHost(std::string("run ") + ORVANE_SCENARIOS +
                             "/host_model.json --json --module " + ORVANE_MODULE_PATH,
                         false);
  ASSERT_EQ(r.code, 0) << r.out;
  const auto dump = nlohmann::json::parse(r.out);
  EXPECT_EQ(dump["params"]["Center 1"]["expression"], nlohmann::json::array({10.0, 20.0}));
  EXPECT_EQ(dump["masks"][0]["expression"], nlohmann::json::array({5.0, 7.0}));
  // The rectangle follows the centre as shown, (330, 200), and the drawn corner adds the mask's
  // own expression: (235, 157) in the layer. At composition time 1.5 the layer (from 0.5) is 1 s
  // in: at (370, 205), turned 45 degrees about its centre (320, 180).
  const double a = kPi / 4, x = 235 - 320.0, y = 157 - 180.0;
  const auto &corner = dump["draw"][0]["path"][0];
  EXPECT_NEAR(corner[0].get<double>(), 370 + x * std::cos(a) - y * std::sin(a), 1e-3);
  EXPECT_NEAR(corner[1].get<double>(), 205 + x * std::sin(a) + y * std::cos(a), 1e-3);
  // Three keys from composition frame 30, each the keyframed rectangle.
  const auto &keys = dump["masks"][0]["keyframes"];
  ASSERT_EQ(keys.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(keys[std::size_t(i)]["tick"], 30 + i);
    EXPECT_EQ(keys[std::size_t(i)]["vertices"][0], nlohmann::json::array({230.0, 150.0}));
  }
}

TEST(ArgumentsScenario, ExpressionsAndLayerKeysThatCannotBeUsedAreBadInput) {
  const char *apply = R"({"do": "apply"}, {"do": "press", "param": "Create Mask"})";
  const std::pair<const char *, const char *> bad[] = {
      {"{}", R"({"do": "expression", "param": "Mask 1", "value": 3})"},
      {"{}", R"({"do": "expression", "param": "Center 1", "value": 3})"},
      {"{}", R"({"do": "expression", "mask": 4, "value": [1, 2]})"},
      {"{}", R"({"do": "expression", "mask": 0, "value": [[1, 2, 3]]})"},
      {"{}", R"({"do": "expression", "param": "Width 1"})"},
      {R"({"stretch": 0})", R"({"do": "draw"})"},
      {R"({"rotation": [{"time": 0}]})", R"({"do": "draw"})"},
      {R"({"position": [{"time": 0, "value": 5}]})", R"({"do": "draw"})"},
  };
  for (const auto &[layer, step] : bad) {
    SCOPED_TRACE(std::string(layer) + " " + step);
    const std::string path =
        WriteTemp("bad_expression.json", std::string(R"({"layer": )") + layer + R"(, "steps": [)" +
                                             apply + ", " + step + "]}");
    HostResult r = RunHost("run " + path + " --quiet --module " + ORVANE_MODULE_PATH);
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_NE(r.out.find("orvane-host: "), std::string::npos) << r.out;
  }
}

}  // namespace
}  // namespace orvane::test
