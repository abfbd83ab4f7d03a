// The user's undo history with the real module: each of its actions is one entry, and Undo and
// Redo (played as scenario steps, with the UI update and the render that follow) give back
// exactly the project before and after it.
#include "HostFixture.h"
#include "Params.h"
#include "report/Json.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::test {
namespace {

class Undo : public HostTest {
 protected:
  // Plays the steps (a JSON array) on this test's session: the first time on a 640 x 360
  // composition whose work area is half a second, after applying the effect.
  void Play(const std::string &steps) { PlayOn(session(), steps); }
  static void PlayOn(host::Session &s, const std::string &steps) {
    host::Json scenario = {{"steps", host::Json::parse(steps)}};
    if (!s.project().effect.applied) {
      scenario["comp"] = {{"width", 640}, {"height", 360}, {"duration", 0.5}};
      scenario["layer"] = {{"width", 640}, {"height", 360}};
      scenario["steps"].insert(scenario["steps"].begin(), host::Json{{"do", "apply"}});
    }
    host::ScenarioRunner runner(s, scenario);
    runner.Run();
  }
  // The project another session has after playing `steps`: what an undo must give back.
  static host::ProjectModel Played(const std::string &steps) {
    host::Session other(module());
    PlayOn(other, steps);
    return other.project();
  }
  const host::ProjectModel &model() { return project(); }
  std::size_t Keys() {
    std::size_t n = 0;
    for (const auto &m : project().layer.masks) n += m.outline.keys.size();
    return n;
  }
};

using Strings = std::vector<std::string>;

// With "On" cleared no render writes a mask, so each Create is the one entry it makes.
TEST_F(Undo, CreateCreateUndoIsOneCreateAndRedoIsTwo) {
  const std::string off = R"({"do": "set", "param": "On", "value": false}, )";
  Play("[" + off + R"({"do": "press", "param": "Create Mask"},
                      {"do": "press", "param": "Create Mask"}, {"do": "undo"}])");
  // One mask, id 1, in slot 1, with Number 1: what one Create gives, worked out by hand.
  ASSERT_EQ(project().layer.masks.size(), 1u);
  EXPECT_EQ(project().layer.masks[0].id, 1);
  EXPECT_EQ(value(PARAM_NUMBER), 1);
  EXPECT_EQ(value(PARAM_MASK_PATH(0)), 1);
  EXPECT_EQ(value(PARAM_MASK_PATH(1)), 0);
  EXPECT_TRUE(param(PARAM_CENTER(1)).hidden);
  EXPECT_TRUE(model() == Played("[" + off + R"({"do": "press", "param": "Create Mask"}])"));
  EXPECT_EQ(project().undo.entries(), (Strings{"Change \"On\"", "Create Masks"}));
  EXPECT_EQ(project().undo.redo_entries(), Strings{"Create Masks"});

  Play(R"([{"do": "redo"}])");
  ASSERT_EQ(project().layer.masks.size(), 2u);
  EXPECT_EQ(project().layer.masks[1].id, 2);
  EXPECT_EQ(value(PARAM_NUMBER), 2);
  EXPECT_EQ(value(PARAM_MASK_PATH(1)), 2);
  EXPECT_FALSE(param(PARAM_CENTER(1)).hidden);
  EXPECT_TRUE(model() == Played("[" + off + R"({"do": "press", "param": "Create Mask"},
                                              {"do": "press", "param": "Create Mask"}])"));
  EXPECT_EQ(project().undo.entries(), (Strings{"Change \"On\"", "Create Masks", "Create Masks"}));
  EXPECT_TRUE(project().undo.redo_entries().empty());
  ExpectNoProblems();
}

// An expression, on a parameter or on a mask, is one entry of its own, and undo takes it away.
TEST_F(Undo, AnExpressionIsAnEntryThatUndoTakesAway) {
  Play(R"([{"do": "set", "param": "On", "value": false},
           {"do": "press", "param": "Create Mask"}])");
  const host::ProjectModel before = project();
  Play(R"([{"do": "expression", "param": "Angle 1", "value": 30}])");
  ASSERT_TRUE(param(PARAM_ANGLE(0)).expression.has_value());
  EXPECT_EQ(param(PARAM_ANGLE(0)).expression->v[0], 30);
  EXPECT_EQ(project().undo.entries().back(), "Expression on \"Angle 1\"");
  Play(R"([{"do": "undo"}])");
  EXPECT_FALSE(param(PARAM_ANGLE(0)).expression.has_value());
  EXPECT_TRUE(model() == before);
  Play(R"([{"do": "expression", "mask": 0, "value": [1, 2]}])");
  ASSERT_TRUE(project().layer.masks[0].expression.has_value());
  EXPECT_EQ(project().undo.entries().back(), "Expression on Mask 1");
  Play(R"([{"do": "undo"}])");
  EXPECT_TRUE(model() == before);
  ExpectNoProblems();
}

// A keyframe added by hand is an entry named for its parameter, and undo takes the key away.
TEST_F(Undo, AKeyIsAnEntryThatUndoTakesAway) {
  Play(R"([{"do": "set", "param": "On", "value": false}])");
  const host::ProjectModel before = project();
  Play(R"([{"do": "key", "param": "Angle 1", "time": 0.25, "value": 30}])");
  ASSERT_EQ(param(PARAM_ANGLE(0)).stream.keys.size(), 1u);
  EXPECT_EQ(project().undo.entries().back(), "Add Keyframe to \"Angle 1\"");
  Play(R"([{"do": "undo"}])");
  EXPECT_TRUE(param(PARAM_ANGLE(0)).stream.keys.empty());
  EXPECT_TRUE(model() == before);
  ExpectNoProblems();
}

TEST_F(Undo, BakeUndoTakesTheKeysAwayAndSetsOnAgain) {
  Play(
      R"([{"do": "press", "param": "Create Mask"}, {"do": "set", "param": "Width 1", "value": 80}])");
  const host::ProjectModel before = project();
  Play(R"([{"do": "press", "param": "Bake Masks"}])");
  ASSERT_EQ(Keys(), 15u);  // half a second at 30 fps
  ASSERT_EQ(value(PARAM_ON), 0);
  EXPECT_EQ(project().undo.entries().back(), "Bake Masks");
  Play(R"([{"do": "undo"}])");
  EXPECT_EQ(Keys(), 0u);
  EXPECT_EQ(value(PARAM_ON), 1);
  EXPECT_TRUE(model() == before);
  Play(R"([{"do": "redo"}])");
  EXPECT_EQ(Keys(), 15u);
  EXPECT_EQ(value(PARAM_ON), 0);
  ExpectNoProblems();
}

TEST_F(Undo, AColourChangeAndItsMaskAreUndoneTogether) {
  Play(R"([{"do": "press", "param": "Create Mask"}])");
  const AEGP_ColorVal old = project().layer.masks[0].color;
  const double old_slot[] = {old.alphaF, old.redF, old.greenF, old.blueF};
  // The slot keeps colours as the parameter gives them; the first palette colour is yellow.
  for (int c = 0; c < 4; ++c) ASSERT_DOUBLE_EQ(value(PARAM_MASK_COLOR(0), c), old_slot[c]);
  Play(R"([{"do": "set", "param": "Mask Color 1", "value": [255, 0, 0, 255]}])");
  ASSERT_DOUBLE_EQ(project().layer.masks[0].color.blueF, 1.0);
  ASSERT_DOUBLE_EQ(project().layer.masks[0].color.redF, 0.0);
  EXPECT_EQ(project().undo.entries().back(), "Change \"Mask Color 1\"");
  Play(R"([{"do": "undo"}])");
  const AEGP_ColorVal &now = project().layer.masks[0].color;
  EXPECT_DOUBLE_EQ(now.alphaF, 1.0);
  EXPECT_DOUBLE_EQ(now.redF, 0.957);
  EXPECT_DOUBLE_EQ(now.greenF, 0.788);
  EXPECT_DOUBLE_EQ(now.blueF, 0.176);
  for (int c = 0; c < 4; ++c) EXPECT_DOUBLE_EQ(value(PARAM_MASK_COLOR(0), c), old_slot[c]);
  ExpectNoProblems();
}

// With "On" set, the live update shapes a new mask and follows every change in its own
// "Move Masks": an Undo takes back that entry, and the re-render that follows it writes the
// masks again as a new one, which clears Redo. The user's own change is never reached.
TEST_F(Undo, WithOnSetTheRerenderAfterAnUndoTakesItsPlace) {
  Play(
      R"([{"do": "press", "param": "Create Mask"}, {"do": "set", "param": "Width 1", "value": 200}])");
  const Strings entries = {"Create Masks", "Move Masks", "Change \"Width 1\"", "Move Masks"};
  ASSERT_EQ(project().undo.entries(), entries);
  const host::ProjectModel after = project();
  for (int i = 0; i < 3; ++i) {
    Play(R"([{"do": "undo"}])");
    EXPECT_EQ(project().undo.entries(), entries);
    EXPECT_TRUE(project().undo.redo_entries().empty());
    EXPECT_TRUE(model() == after);
  }
  // The rectangle 200 wide about the layer's centre, x from 220 to 420.
  EXPECT_EQ(project().layer.masks[0].outline.value.vertices[0].x, 220);
  EXPECT_EQ(project().layer.masks[0].outline.value.vertices[1].x, 420);
  // After a bake the masks are where the re-render would put them: Undo and Redo both work.
  Play(R"([{"do": "press", "param": "Bake Masks"}, {"do": "undo"}])");
  EXPECT_EQ(project().undo.redo_entries(), Strings{"Bake Masks"});
  EXPECT_TRUE(model() == after);
}

// Both ends of the history: before the first entry, and once every entry is undone (there is
// something to redo then, and nothing to undo), each refused with the step that asked.
TEST_F(Undo, NothingToUndoOrRedoIsNamedAsTheStepsError) {
  Play("[]");
  const auto refused = [&](const std::string &steps) {
    try {
      Play(steps);
    } catch (const std::exception &e) {
      return std::string(e.what());
    }
    return std::string("taken");
  };
  EXPECT_EQ(refused(R"([{"do": "undo"}])"), "step 1 (undo): there is nothing to undo");
  EXPECT_EQ(refused(R"([{"do": "redo"}])"), "step 1 (redo): there is nothing to redo");
  Play(R"([{"do": "press", "param": "Create Mask"}, {"do": "undo", "count": 2}])");
  EXPECT_EQ(refused(R"([{"do": "undo"}])"), "step 1 (undo): there is nothing to undo");
  EXPECT_EQ(project().undo.size(), 0u);
  EXPECT_EQ(project().undo.redo_entries(), (Strings{"Create Masks", "Move Masks"}));
}

// Going back over the change and its "Move Masks" in one step, as a click in the History panel
// does, leaves the masks where the entry before put them: the render after it has nothing to
// move, so Redo keeps both entries and gives the change back.
TEST_F(Undo, BackOverAChangeAndItsMoveMasksInOneStepGetsOutOfTheLiveUpdate) {
  Play(R"([{"do": "press", "param": "Create Mask"}])");
  const host::ProjectModel created = project();
  Play(R"([{"do": "set", "param": "Width 1", "value": 200}])");
  const host::ProjectModel changed = project();
  Play(R"([{"do": "undo", "count": 2}])");
  EXPECT_TRUE(model() == created);
  EXPECT_EQ(project().undo.entries(), (Strings{"Create Masks", "Move Masks"}));
  EXPECT_EQ(project().undo.redo_entries(), (Strings{"Change \"Width 1\"", "Move Masks"}));
  // The default rectangle, 640 wide: x from 0 to 640 on the 640-pixel layer.
  EXPECT_EQ(project().layer.masks[0].outline.value.vertices[1].x, 640);
  Play(R"([{"do": "redo", "count": 2}])");
  EXPECT_TRUE(model() == changed);
  EXPECT_TRUE(project().undo.redo_entries().empty());
}

TEST_F(Undo, ACountIsAWholeNumberUpToTheEntriesThereAre) {
  Play(R"([{"do": "press", "param": "Create Mask"}])");  // two entries
  for (const char *count : {"0", "3", "1.5", "-1", "\"2\"", "null"}) {
    try {
      Play(std::string(R"([{"do": "undo", "count": )") + count + "}]");
      ADD_FAILURE() << "count " << count << " was taken";
    } catch (const std::exception &e) {
      EXPECT_STREQ(e.what(),
                   "step 1 (undo): \"count\" is a whole number from 1 to 2, the entries there "
                   "are to undo")
          << count;
    }
  }
  EXPECT_EQ(project().undo.size(), 2u);
}

// A drag with "On" set renders at every move, and each render moves the mask; all of it is the
// one "Drag" entry, which names the renders' groups it took in, and one Undo takes it back.
TEST_F(Undo, ADragIsOneEntryFromThePressToTheRelease) {
  Play(R"([{"do": "press", "param": "Create Mask"},
           {"do": "set", "param": "Width 1", "value": 200},
           {"do": "set", "param": "Height 1", "value": 100}])");
  const host::ProjectModel before = project();
  const std::size_t entries = project().undo.size();
  // The bottom-right handle of the 200 x 100 rectangle about (320, 180), then four moves.
  Play(R"([{"do": "drag", "window": "comp",
            "points": [[420, 230], [425, 232], [430, 234], [435, 236], [440, 240]]}])");
  ASSERT_EQ(project().undo.size(), entries + 1);
  const auto &drag = project().undo.records().back();
  EXPECT_EQ(drag.name, "Drag");
  EXPECT_FALSE(drag.by_render);
  ASSERT_EQ(drag.joined.size(), 1u);
  EXPECT_EQ(drag.joined[0].first, "Move Masks");
  EXPECT_EQ(drag.joined[0].second, 4u);   // a render after each move, the release's included
  EXPECT_EQ(value(PARAM_WIDTH(0)), 240);  // 2 x (440 - 320)
  Play(R"([{"do": "undo"}])");
  EXPECT_TRUE(model() == before);
  EXPECT_EQ(project().undo.redo_entries(), Strings{"Drag"});
  // The "Move Masks" after a change is the render's, and says so.
  EXPECT_TRUE(project().undo.records().back().by_render);
  EXPECT_FALSE(project().undo.records()[project().undo.size() - 2].by_render);
}

}  // namespace
}  // namespace orvane::test
