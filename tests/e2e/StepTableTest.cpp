// The step table orvane-host prints after a session: each step's commands and what it changed,
// the only place a user sees whether a drag took a handle or how many keyframes a bake made.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "HostProcess.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;

// The rows of one step: the line naming it and its "sent:" and "changed:" lines.
struct Row {
  std::string what, sent, changed;
};

Row StepRow(const std::string &out, int step) {
  char head[16];
  std::snprintf(head, sizeof head, "%3d  ", step);
  Row row;
  std::istringstream lines(out);
  bool in_step = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(head, 0) == 0) {
      in_step = true;
      row.what = line.substr(5);
    } else if (in_step && line.rfind("       sent: ", 0) == 0) {
      row.sent = line.substr(13);
    } else if (in_step && line.rfind("       changed: ", 0) == 0) {
      row.changed = line.substr(16);
    } else if (in_step) {
      break;
    }
  }
  return row;
}

std::size_t Count(const std::string &text, const std::string &word) {
  std::size_t n = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

// A 640 x 360 composition of one second at 10 fps (ten frames to bake) with a 200 x 100
// rectangle about the centre in slot 1: corners (220, 130), (420, 130), (420, 230), (220, 230).
std::string Session(const std::string &steps) {
  return R"({"comp": {"width": 640, "height": 360, "fps": 10, "duration": 1},
    "layer": {"width": 640, "height": 360},
    "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
      {"do": "set", "param": "Width 1", "value": 200},
      {"do": "set", "param": "Height 1", "value": 100}, )" +
         steps + "]}";
}

TEST(StepTable, ABakeCountsTheKeyframesItAddedToEachMask) {
  // A bake clears "On"; each later bake sets it again first.
  const std::string path = WriteTemp("bake_rows.json", Session(R"(
      {"do": "press", "param": "Create Mask"},
      {"do": "press", "param": "Bake Masks"},
      {"do": "set", "param": "On", "value": true},
      {"do": "press", "param": "Bake Masks"},
      {"do": "press", "param": "Create Mask"},
      {"do": "set", "param": "On", "value": true},
      {"do": "press", "param": "Bake Masks"})"));
  auto r = RunHost("run " + path);
  ASSERT_EQ(r.code, 0) << r.out;
  // Two masks, a key for each of the ten frames.
  const Row first = StepRow(r.out, 6);
  EXPECT_EQ(first.what, "press Bake Masks");
  EXPECT_NE(first.changed.find("20 keyframes added"), std::string::npos) << first.changed;
  EXPECT_NE(first.changed.find("undo \"Bake Masks\""), std::string::npos) << first.changed;
  // Baking again replaces the keys at the same times: none is added.
  const Row again = StepRow(r.out, 8);
  EXPECT_EQ(again.changed.find("keyframes added"), std::string::npos) << again.changed;
  EXPECT_NE(again.changed.find("undo \"Bake Masks\""), std::string::npos) << again.changed;
  // With a third mask, only its own ten keys are new.
  const Row third = StepRow(r.out, 11);
  EXPECT_NE(third.changed.find("10 keyframes added"), std::string::npos) << third.changed;
  EXPECT_EQ(third.changed.find("20 keyframes"), std::string::npos) << third.changed;
  EXPECT_NE(r.out.find("mask keyframes: 30"), std::string::npos) << r.out;
}

// What a step did to the layer's masks is the difference it made, however many entries an undo
// or a redo crossed: three masks, one deleted, three entries undone (3, 2, 1 mask) and two redone.
TEST(StepTable, MasksAddedAndRemovedAreWhatTheStepChanged) {
  const std::string path = WriteTemp("mask_rows.json", R"({"steps": [{"do": "mask"},
      {"do": "mask"}, {"do": "mask"}, {"do": "delete_mask", "index": 0},
      {"do": "undo", "count": 3}, {"do": "redo", "count": 2}]})");
  auto r = RunHost("run " + path);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(StepRow(r.out, 3).changed, "1 mask(s) added");
  EXPECT_EQ(StepRow(r.out, 4).changed, "1 mask(s) removed");
  const std::string undone = StepRow(r.out, 5).changed, redone = StepRow(r.out, 6).changed;
  EXPECT_NE(undone.find("; 1 mask(s) removed"), std::string::npos) << undone;
  EXPECT_NE(redone.find("; 2 mask(s) added"), std::string::npos) << redone;
}

// A row shows four changed values and counts the rest, and cuts a value longer than 40
// characters to 37 and an ellipsis, and one of 40 not at all:
// an undo of two Creates changes two slots' colour and mask, and "Number".
TEST(StepTable, ARowShowsFourValuesCountsTheRestAndCutsALongOne) {
  const std::string create = R"({"do": "press", "param": "Create Mask"}, )";
  const std::string path =
      WriteTemp("many_values.json",
                R"({"steps": [{"do": "apply"}, {"do": "set", "param": "On", "value": false}, )" +
                    create + create + create + R"({"do": "undo", "count": 2},
      {"do": "undo"}, {"do": "redo", "count": 3}, {"do": "set", "param": "Center 1",
      "value": [-1.2345678901234567e-05, -1.23456789e-05]}, {"do": "set", "param": "Center 1",
      "value": [-1.2345678901234568e-05, -1.2345678e-05]}]})");
  auto r = RunHost("run " + path);
  ASSERT_EQ(r.code, 0) << r.out;
  // The undo's own line, four values, the count of the fifth and the masks.
  const std::string undone = StepRow(r.out, 6).changed;
  EXPECT_EQ(undone.rfind("undid \"Create Masks\" and the entry before it; ", 0), 0u) << undone;
  EXPECT_EQ(Count(undone, "; ") + 1, 1u + 4 + 1 + 1) << undone;
  EXPECT_NE(undone.find("; and 1 more parameters; 2 mask(s) removed"), std::string::npos) << undone;
  const std::string redone = StepRow(r.out, 8).changed;
  EXPECT_EQ(redone.rfind("redid \"Create Masks\" and the 2 entries before it; ", 0), 0u) << redone;
  // Its text is 41 characters, one more than a row shows whole.
  EXPECT_EQ(StepRow(r.out, 9).changed, "Center 1 [-1.2345678901234568e-05,-1.23456789e...");
  // One of exactly 40 is shown whole.
  EXPECT_EQ(StepRow(r.out, 10).changed, "Center 1 [-1.2345678901234568e-05,-1.2345678e-05]");
}

// A baked mask follows its keys: moving to another time reshapes it though no step touched it,
// and staying at the same time does not. The mask moves from a width of 200 at 0 s to 400 at 0.9 s.
TEST(StepTable, ABakedMaskIsReshapedWhenTheTimeMovesAndNotWhenItStays) {
  const std::string path = WriteTemp("time_rows.json", R"({"comp": {"fps": 10, "duration": 1},
      "steps": [{"do": "apply"},
      {"do": "press", "param": "Create Mask"},
      {"do": "key", "param": "Width 1", "time": 0, "value": 200},
      {"do": "key", "param": "Width 1", "time": 0.9, "value": 400},
      {"do": "press", "param": "Bake Masks"},
      {"do": "render", "time": 0.5}, {"do": "render", "time": 0.5}]})");
  auto r = RunHost("run " + path);
  ASSERT_EQ(r.code, 0) << r.out;
  // Each command's own entries, and those of no other.
  EXPECT_EQ(StepRow(r.out, 5).changed, "On false; 10 keyframes added; undo \"Bake Masks\"");
  // 200 + 200 * 0.5 / 0.9 at 0.5 s.
  EXPECT_EQ(
      StepRow(r.out, 6).changed,
      "rendered at 8 bits, output equals input; Width 1 311.1111111111111; 1 mask(s) reshaped");
  EXPECT_EQ(StepRow(r.out, 7).changed, "rendered at 8 bits, output equals input");
}

TEST(StepTable, AMouseDownTheModuleDoesNotTakeIsNotFollowedByADrag) {
  const std::string path = WriteTemp("drag_rows.json", Session(R"(
      {"do": "drag", "window": "layer", "points": [[10, 10], [20, 20], [30, 30]]},
      {"do": "drag", "window": "layer", "points": [[420, 230], [430, 235], [440, 240]]},
      {"do": "click", "window": "layer", "point": [600, 20]},
      {"do": "click", "window": "layer", "point": [440, 240]})"));
  auto r = RunHost("run " + path);
  ASSERT_EQ(r.code, 0) << r.out;
  // The undo entries the module makes as it renders (it moves the mask at each) are not listed.
  EXPECT_EQ(StepRow(r.out, 3).changed, "Width 1 200.0; 1 mask(s) reshaped");
  // Far from every handle: the mouse-down is the one event sent, and nothing changes.
  const Row miss = StepRow(r.out, 5);
  EXPECT_EQ(miss.what, "drag");
  EXPECT_EQ(miss.sent, "EVENT 0");
  EXPECT_EQ(miss.changed, "no handle at the first point");
  // On the bottom-right corner: the mouse-down, then a drag event for each later point, each
  // followed by a render of the changed rectangle.
  const Row grab = StepRow(r.out, 6);
  EXPECT_EQ(Count(grab.sent, "EVENT 0"), 3u) << grab.sent;
  EXPECT_EQ(Count(grab.sent, "SMART_RENDER 0"), 2u) << grab.sent;
  EXPECT_NE(grab.changed.find("handle dragged"), std::string::npos) << grab.changed;
  EXPECT_NE(grab.changed.find("Width 1 240"), std::string::npos) << grab.changed;
  EXPECT_NE(grab.changed.find("Height 1 120"), std::string::npos) << grab.changed;
  const Row click_miss = StepRow(r.out, 7);
  EXPECT_EQ(click_miss.sent, "EVENT 0");
  EXPECT_EQ(click_miss.changed, "no handle there");
  // A click on the corner it was dragged to: the mouse-down and the release that ends it.
  const Row click = StepRow(r.out, 8);
  EXPECT_EQ(Count(click.sent, "EVENT 0"), 2u) << click.sent;
  EXPECT_NE(click.changed.find("handle grabbed"), std::string::npos) << click.changed;
}

// A save and an open name the file each wrote or read; the open starts the module afresh.
TEST(StepTable, ASaveAndAnOpenNameTheirFile) {
  const std::string out = ::testing::TempDir() + "open_rows";
  const std::string path = WriteTemp("open_rows.json", R"({"steps": [{"do": "apply"},
      {"do": "save", "file": "p.json"}, {"do": "open", "file": "p.json"}]})");
  auto r = RunHost("run " + path + " --out " + out);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(StepRow(r.out, 2).changed, "saved " + out + "/p.json");
  const Row open = StepRow(r.out, 3);
  EXPECT_EQ(open.changed, "opened " + out + "/p.json");
  EXPECT_EQ(open.sent.rfind("GLOBAL_SETDOWN 0, GLOBAL_SETUP 0", 0), 0u) << open.sent;
}

}  // namespace
