// The application's rules that the host's model keeps: the undo history, new masks and their
// colours, the Info panel and what each parameter type holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/InfoPanel.h"
#include "model/ParamTypes.h"
#include "model/Project.h"
#include "model/UndoHistory.h"

namespace host = orvane::host;
using Strings = std::vector<std::string>;

TEST(UndoHistory, OnlyTheOutermostGroupIsAnEntryAndChangesInsideItJoinIt) {
  host::UndoHistory undo;
  undo.StartGroup("Create Masks");
  undo.StartGroup("inner");
  undo.RecordChange("Hide \"Center 2\"");
  EXPECT_TRUE(undo.EndGroup());
  EXPECT_TRUE(undo.group_open());
  EXPECT_TRUE(undo.EndGroup());
  EXPECT_FALSE(undo.group_open());
  EXPECT_EQ(undo.entries(), Strings{"Create Masks"});
  EXPECT_EQ(undo.EndCommand(), Strings{"undo group nested in \"Create Masks\""});
  // Outside any group a change is an entry of its own.
  undo.RecordChange("Show \"Center 2\"");
  EXPECT_EQ(undo.entries(), (Strings{"Create Masks", "Show \"Center 2\""}));
  EXPECT_TRUE(undo.EndCommand().empty());
}

TEST(UndoHistory, AGroupNeverStartedFailsAndAForgottenOneIsClosedAtTheEndOfTheCommand) {
  host::UndoHistory undo;
  EXPECT_FALSE(undo.EndGroup());
  EXPECT_TRUE(undo.entries().empty());
  undo.StartGroup("Bake Masks");
  EXPECT_EQ(undo.EndCommand(), (Strings{"undo group ended that was never started",
                                        "undo group \"Bake Masks\" left open"}));
  EXPECT_EQ(undo.entries(), Strings{"Bake Masks"});
  EXPECT_FALSE(undo.group_open());
  // What comes after is an entry of its own, not part of the forgotten group.
  undo.StartGroup("Move Masks");
  EXPECT_TRUE(undo.EndGroup());
  EXPECT_EQ(undo.entries(), (Strings{"Bake Masks", "Move Masks"}));
}

TEST(Layer, NewMasksTakeTheNextIdAndCycleThroughEightColours) {
  host::Layer layer;
  std::vector<host::Mask> made;
  for (int i = 0; i < 9; ++i) made.push_back(layer.NewMask());
  for (int i = 0; i < 9; ++i) EXPECT_EQ(made[std::size_t(i)].id, AEGP_MaskIDVal(i + 1));
  // The ninth colour is the first again; the first is opaque yellow.
  EXPECT_DOUBLE_EQ(made[8].color.redF, made[0].color.redF);
  EXPECT_DOUBLE_EQ(made[8].color.blueF, made[0].color.blueF);
  EXPECT_DOUBLE_EQ(made[0].color.alphaF, 1.0);
  EXPECT_GT(made[0].color.redF, 0.9);
  EXPECT_LT(made[0].color.blueF, 0.2);
  for (int i = 1; i < 8; ++i) {
    const auto &a = made[std::size_t(i)].color, &b = made[std::size_t(i - 1)].color;
    EXPECT_FALSE(a.redF == b.redF && a.greenF == b.greenF && a.blueF == b.blueF) << i;
  }
  // An id taken alone does not use up a colour.
  EXPECT_EQ(layer.TakeMaskId(), AEGP_MaskIDVal(10));
  const host::Mask next = layer.NewMask();
  EXPECT_EQ(next.id, AEGP_MaskIDVal(11));
  EXPECT_DOUBLE_EQ(next.color.greenF, made[1].color.greenF);
}

TEST(InfoPanel, KeepsBothLinesInOrderAndTellsItsWatcher) {
  host::InfoPanel info;
  Strings seen;
  info.on_show = [&](const std::string &a, const std::string &b) { seen.push_back(a + "|" + b); };
  info.Show("Processing... 50.00%", "");
  info.Show("Completed", "3 keys");
  EXPECT_EQ(info.lines(), (Strings{"Processing... 50.00%", "Completed", "3 keys"}));
  EXPECT_EQ(seen, (Strings{"Processing... 50.00%|", "Completed|3 keys"}));
}

TEST(ParamTypes, EachTypeKeepsItsOwnFieldsAndRange) {
  PF_ParamDef slider{};
  slider.param_type = PF_Param_SLIDER;
  slider.u.sd.valid_min = 0;
  slider.u.sd.valid_max = 50;
  AEGP_StreamVal2 val{};
  val.one_d = 61.6;
  EXPECT_DOUBLE_EQ(host::TypeOf(slider).from_stream(slider, val).v[0], 50);
  val.one_d = 7.4;
  EXPECT_DOUBLE_EQ(host::TypeOf(slider).from_stream(slider, val).v[0], 7);

  PF_ParamDef point{};
  point.param_type = PF_Param_POINT;
  host::StreamValue v;
  v.v[0] = 100;
  v.v[1] = 30;
  host::WriteValue(point, v, 0.5, 0.25);
  EXPECT_EQ(point.u.td.x_value, 50 << 16);
  EXPECT_EQ(point.u.td.y_value, int(7.5 * 65536));

  PF_ParamDef button{}, checkbox{}, group{};
  button.param_type = PF_Param_BUTTON;
  checkbox.param_type = PF_Param_CHECKBOX;
  group.param_type = PF_Param_GROUP_START;
  EXPECT_EQ(host::TypeOf(button).text(button), &button.u.button_d.u.namesptr);
  EXPECT_EQ(host::TypeOf(checkbox).text(checkbox), &checkbox.u.bd.u.nameptr);
  EXPECT_EQ(host::TypeOf(group).text(group), nullptr);
  EXPECT_FALSE(host::TypeOf(button).has_stream);
  EXPECT_FALSE(host::TypeOf(group).has_stream);
  EXPECT_TRUE(host::TypeOf(checkbox).has_stream);
}
