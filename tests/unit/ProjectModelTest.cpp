// The application's rules that the host's model keeps: the undo history, new masks and their
// colours, the Info panel and what each parameter type holds.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/InfoPanel.h"
#include "model/ParamTypes.h"
#include "model/Project.h"
#include "model/UndoHistory.h"

namespace host = orvane::host;
using Strings = std::vector<std::string>;

// A model that differs from another by one mask of a given width, so each state is told apart.
void AddMask(host::ProjectModel &m, double width) {
  host::Mask mask = m.layer.NewMask();
  mask.outline.value.vertices = {AEGP_MaskVertex{0, 0, 0, 0, 0, 0},
                                 AEGP_MaskVertex{width, 0, 0, 0, 0, 0}};
  m.layer.masks.push_back(mask);
}

TEST(UndoHistory, OnlyTheOutermostGroupIsAnEntryAndChangesInsideItJoinIt) {
  host::ProjectModel m;
  host::UndoHistory undo;
  undo.StartGroup("Create Masks", m);
  undo.StartGroup("inner", m);
  undo.WillChange(m);
  AddMask(m, 10);
  EXPECT_TRUE(undo.EndGroup(m));
  EXPECT_TRUE(undo.group_open());
  EXPECT_TRUE(undo.EndGroup(m));
  EXPECT_FALSE(undo.group_open());
  EXPECT_EQ(undo.entries(), Strings{"Create Masks"});
  EXPECT_EQ(undo.EndCommand(m), Strings{"undo group nested in \"Create Masks\""});
  // Outside any group a change is an entry of its own, named after the call, and a problem.
  undo.BeginCall("pre-render", false);
  undo.WillChange(m);
  m.layer.masks[0].color.redF = 0.5;
  EXPECT_EQ(undo.EndCommand(m),
            Strings{"changed the project outside an undo group (in pre-render)"});
  EXPECT_EQ(undo.entries(), (Strings{"Create Masks", "pre-render"}));
}

TEST(UndoHistory, AGroupNeverStartedFailsAndAForgottenOneIsClosedAtTheEndOfTheCommand) {
  host::ProjectModel m;
  host::UndoHistory undo;
  EXPECT_FALSE(undo.EndGroup(m));
  EXPECT_TRUE(undo.entries().empty());
  undo.StartGroup("Bake Masks", m);
  undo.WillChange(m);
  AddMask(m, 1);
  EXPECT_EQ(undo.EndCommand(m), (Strings{"undo group ended that was never started",
                                         "undo group \"Bake Masks\" left open"}));
  EXPECT_EQ(undo.entries(), Strings{"Bake Masks"});
  EXPECT_FALSE(undo.group_open());
  // What comes after is an entry of its own, not part of the forgotten group.
  undo.StartGroup("Move Masks", m);
  undo.WillChange(m);
  m.layer.masks[0].outline.value.vertices[1].x = 2;
  EXPECT_TRUE(undo.EndGroup(m));
  EXPECT_EQ(undo.entries(), (Strings{"Bake Masks", "Move Masks"}));
}

TEST(UndoHistory, AGroupThatChangesNothingLeavesNoEntryNorClearsRedo) {
  host::ProjectModel m;
  host::UndoHistory undo;
  undo.StartGroup("Create Masks", m);
  undo.WillChange(m);
  AddMask(m, 10);
  undo.EndGroup(m);
  ASSERT_TRUE(undo.Undo(m));
  // Written, but to the value it had: nothing changed, so nothing to undo and Redo stays.
  undo.StartGroup("Move Masks", m);
  undo.WillChange(m);
  m.comp.fps = 30;
  undo.EndGroup(m);
  undo.StartGroup("Empty", m);
  undo.EndGroup(m);
  EXPECT_TRUE(undo.entries().empty());
  EXPECT_EQ(undo.redo_entries(), Strings{"Create Masks"});
}

// An entry keeps the parameters it was told of, each as it was at the first change to it:
// changes to masks, to two parameters (one of them twice) and a display flag set without an
// entry of its own are taken back and given again exactly, and parameters nobody changed are
// not held by the entry.
TEST(UndoHistory, AnEntryKeepsEachParameterItWasToldOfAsItWasFirst) {
  host::ProjectModel m;
  m.effect.params.resize(5);
  for (std::size_t i = 0; i < m.effect.params.size(); ++i) {
    m.effect.params[i].name = "p" + std::to_string(i);
    m.effect.params[i].def.param_type = PF_Param_FLOAT_SLIDER;
    m.effect.params[i].stream.value = host::StreamValue{{double(i), 0, 0, 0}};
  }
  const host::ProjectModel before = m;
  host::UndoHistory undo;
  undo.StartGroup("Create Masks", m);
  undo.WillChange(m, host::UndoHistory::ModelPart());
  AddMask(m, 10);
  undo.WillChange(m, host::UndoHistory::ParamPart(3));
  m.effect.params[3].stream.value.v[0] = 30;
  undo.WillChange(m, host::UndoHistory::ParamPart(1));
  m.effect.params[1].stream.value.v[0] = 10;
  undo.WillChange(m, host::UndoHistory::ParamPart(3));
  m.effect.params[3].stream.value.v[0] = 300;
  undo.Touch(m, host::UndoHistory::ParamPart(4));
  m.effect.params[4].hidden = true;
  undo.EndGroup(m);
  const host::ProjectModel after = m;
  ASSERT_EQ(undo.entries(), Strings{"Create Masks"});
  ASSERT_TRUE(undo.Undo(m));
  EXPECT_TRUE(m == before);
  EXPECT_EQ(m.effect.params[3].stream.value.v[0], 3);
  EXPECT_FALSE(m.effect.params[4].hidden);
  ASSERT_TRUE(undo.Redo(m));
  EXPECT_TRUE(m == after);
  EXPECT_EQ(m.effect.params[3].stream.value.v[0], 300);
  // Touched with no entry being made, a change is nobody's: there is nothing to take back.
  undo.Touch(m, host::UndoHistory::ParamPart(2));
  m.effect.params[2].hidden = true;
  EXPECT_EQ(undo.size(), 1u);
  // A change to anything keeps every parameter, those kept before at their first state.
  undo.StartGroup("Bake Masks", m);
  undo.WillChange(m, host::UndoHistory::ParamPart(0));
  m.effect.params[0].stream.value.v[0] = -1;
  undo.WillChange(m);
  m.effect.params[0].stream.value.v[0] = -2;
  m.effect.params[2].stream.value.v[0] = -3;
  undo.EndGroup(m);
  ASSERT_TRUE(undo.Undo(m));
  EXPECT_EQ(m.effect.params[0].stream.value.v[0], 0);
  EXPECT_EQ(m.effect.params[2].stream.value.v[0], 2);
  EXPECT_TRUE(m.effect.params[2].hidden);
}

TEST(UndoHistory, UndoAndRedoGiveBackEachStateAndANewEntryClearsRedo) {
  host::ProjectModel m;
  const host::ProjectModel empty = m;
  host::UndoHistory undo;
  for (double width : {10.0, 20.0}) {
    undo.StartGroup("Create Masks", m);
    undo.WillChange(m);
    AddMask(m, width);
    undo.EndGroup(m);
  }
  host::ProjectModel one = empty, two = empty;
  AddMask(one, 10);
  AddMask(two, 10);
  AddMask(two, 20);
  ASSERT_TRUE(m == two);
  ASSERT_TRUE(undo.Undo(m));
  EXPECT_TRUE(m == one);
  // The next mask id and colour come back too: a new mask now is the one the undone one was.
  EXPECT_EQ(m.layer.NewMask().id, 2);
  m = one;
  ASSERT_TRUE(undo.Undo(m));
  EXPECT_TRUE(m == empty);
  EXPECT_FALSE(undo.Undo(m));
  EXPECT_EQ(undo.redo_entries(), (Strings{"Create Masks", "Create Masks"}));
  ASSERT_TRUE(undo.Redo(m));
  EXPECT_TRUE(m == one);
  // A user's change with the module's change during it is one entry; it clears Redo.
  undo.BeginAction("Change \"Color 1\"");
  undo.WillChange(m);
  m.layer.masks[0].color.blueF = 0.25;
  undo.BeginCall("a parameter change", true);
  undo.WillChange(m);
  m.layer.masks[0].color.redF = 0.75;
  EXPECT_TRUE(undo.EndCommand(m).empty());
  undo.EndAction(m);
  EXPECT_EQ(undo.entries(), (Strings{"Create Masks", "Change \"Color 1\""}));
  EXPECT_TRUE(undo.redo_entries().empty());
  ASSERT_TRUE(undo.Undo(m));
  EXPECT_TRUE(m == one);
  // Opening a project starts its history afresh: nothing before it is left to undo or redo.
  undo.Clear();
  EXPECT_TRUE(undo.entries().empty());
  EXPECT_TRUE(undo.redo_entries().empty());
  EXPECT_FALSE(undo.Undo(m));
  EXPECT_FALSE(undo.Redo(m));
  EXPECT_TRUE(m == one);
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
  // Eight opaque colours a mask's colour value can hold, each told apart from every other.
  for (int i = 0; i < 8; ++i) {
    const auto &a = made[std::size_t(i)].color;
    EXPECT_EQ(a.alphaF, 1.0) << i;
    for (double c : {a.redF, a.greenF, a.blueF}) {
      EXPECT_GE(c, 0.0) << i;
      EXPECT_LE(c, 1.0) << i;
    }
    for (int k = 0; k < i; ++k) {
      const auto &b = made[std::size_t(k)].color;
      EXPECT_FALSE(a.redF == b.redF && a.greenF == b.greenF && a.blueF == b.blueF) << i << k;
    }
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
  // A checkbox is off or on, in its definition as in its stream.
  for (double on : {0.0, 1.0}) {
    host::StreamValue set;
    set.v[0] = on;
    host::WriteValue(checkbox, set);
    EXPECT_EQ(checkbox.u.bd.value, on);
    EXPECT_EQ(host::ReadValue(checkbox).v[0], on);
  }
}

// A definition's text pointer is where the host's copy of the text sits while it is handed
// over, not part of the parameter: definitions that differ only there are the same, those that
// differ in the bytes on either side of it are not.
TEST(ProjectModel, ADefinitionsTextPointerIsNotPartOfIt) {
  host::EffectParam a;
  a.def.param_type = PF_Param_CHECKBOX;
  host::EffectParam b = a;
  static const A_char one[] = "one", other[] = "other";
  a.def.u.bd.u.nameptr = one;
  b.def.u.bd.u.nameptr = other;
  EXPECT_TRUE(host::SameParam(a, b));
  b.def.u.bd.value = 1;
  EXPECT_FALSE(host::SameParam(a, b));
  b.def.u.bd.value = 0;
  b.def.flags = 1;
  EXPECT_FALSE(host::SameParam(a, b));
}

// Halfway between keys of 1 and 3, a number or an angle is 2; a choice (a popup's item, a
// checkbox) is still the first key's, as there is nothing between two items.
TEST(ParamTypes, ChoicesHoldTheirKeyAndNumbersBlend) {
  const std::pair<PF_ParamType, double> cases[] = {
      {PF_Param_POPUP, 1}, {PF_Param_CHECKBOX, 1}, {PF_Param_FLOAT_SLIDER, 2}, {PF_Param_ANGLE, 2}};
  for (const auto &[type, halfway] : cases) {
    SCOPED_TRACE(type);
    host::EffectParam param;
    param.def.param_type = type;
    param.stream.SetKey(0, A_Time{0, 30}, host::StreamValue{{1, 0, 0, 0}});
    param.stream.SetKey(2, A_Time{60, 30}, host::StreamValue{{3, 0, 0, 0}});
    EXPECT_EQ(param.KeyedAt(1).v[0], halfway);
    EXPECT_EQ(param.KeyedAt(2).v[0], 3);
  }
}

// A value handed to the stream suites lands in the fields of its kind, and a stream value given
// back reads as the same numbers, each in its own place.
TEST(ParamTypes, StreamValuesKeepEachNumberInItsPlace) {
  PF_ParamDef def{};
  def.param_type = PF_Param_POINT;
  const host::StreamValue point{{12.5, -7.25, 0, 0}};
  AEGP_StreamVal2 val = host::TypeOf(def).to_stream(point);
  EXPECT_EQ(val.two_d.x, 12.5);
  EXPECT_EQ(val.two_d.y, -7.25);
  host::StreamValue back = host::TypeOf(def).from_stream(def, val);
  EXPECT_EQ(back.v[0], 12.5);
  EXPECT_EQ(back.v[1], -7.25);

  def.param_type = PF_Param_COLOR;
  const host::StreamValue colour{{0.25, 0.5, 0.75, 1}};  // alpha, red, green, blue
  val = host::TypeOf(def).to_stream(colour);
  EXPECT_EQ(val.color.alphaF, 0.25);
  EXPECT_EQ(val.color.blueF, 1);
  back = host::TypeOf(def).from_stream(def, val);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(back.v[i], colour.v[i]) << "channel " << i;

  def.param_type = PF_Param_PATH;  // a mask reference: the mask's id, past a signed 32 bits
  val = host::TypeOf(def).to_stream(host::StreamValue{{4000000000.0, 0, 0, 0}});
  EXPECT_EQ(val.mask_id, 4000000000u);
  EXPECT_EQ(host::TypeOf(def).from_stream(def, val).v[0], 4000000000.0);
}

// A value written into a definition (as a command hands it over) reads back as itself (as a
// changed value is taken over), type by type; a type the host does not model holds one number.
TEST(ParamTypes, AValueWrittenIntoADefinitionReadsBackAsItself) {
  struct Case {
    PF_ParamType type;
    host::StreamValue value;
  };
  for (const Case &c :
       {Case{PF_Param_POINT, {{12.5, -7.25, 0, 0}}}, Case{PF_Param_ANGLE, {{-45.5, 0, 0, 0}}},
        Case{PF_Param_FLOAT_SLIDER, {{0.125, 0, 0, 0}}}, Case{PF_Param_SLIDER, {{7, 0, 0, 0}}},
        Case{PF_Param_CHECKBOX, {{1, 0, 0, 0}}}, Case{PF_Param_PATH, {{3, 0, 0, 0}}},
        Case{PF_Param_COLOR, {{1, 0.2, 0.4, 0.6}}}}) {
    SCOPED_TRACE(c.type);
    PF_ParamDef def{};
    def.param_type = c.type;
    host::WriteValue(def, c.value);
    const host::StreamValue back = host::ReadValue(def);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back.v[i], c.value.v[i]) << "number " << i;
  }
  // A colour's channels are held to a byte's range, the nearest byte taken.
  PF_ParamDef colour{};
  colour.param_type = PF_Param_COLOR;
  host::WriteValue(colour, host::StreamValue{{1.002, -0.5, 0.5, 3}});
  EXPECT_EQ(colour.u.cd.value.alpha, 255);  // 255.51 rounds to 256, held at 255
  EXPECT_EQ(colour.u.cd.value.red, 0);
  EXPECT_EQ(colour.u.cd.value.green, 128);
  EXPECT_EQ(colour.u.cd.value.blue, 255);
  const host::ParamType &unknown = host::TypeOf(PF_ParamType(99));
  EXPECT_TRUE(unknown.has_stream);
  EXPECT_EQ(unknown.shape, host::ValueShape::None);
  AEGP_StreamVal2 val{};
  val.one_d = 2.5;
  EXPECT_EQ(unknown.from_stream(PF_ParamDef{}, val).v[0], 2.5);
}

// A key set at a time that has one replaces it, value and ticks; the keys stay in time order.
TEST(Animation, AKeySetWhereOneIsReplacesIt) {
  host::Animatable<host::StreamValue> a;
  a.SetKey(2, A_Time{60, 30}, host::StreamValue{{20, 0, 0, 0}});
  a.SetKey(1, A_Time{30, 30}, host::StreamValue{{10, 0, 0, 0}});
  a.Set(1, A_Time{60, 60}, host::StreamValue{{15, 0, 0, 0}});
  ASSERT_EQ(a.keys.size(), 2u);
  EXPECT_EQ(a.keys[0].time, 1);
  EXPECT_EQ(a.keys[0].value.v[0], 15);
  EXPECT_EQ(a.keys[0].at.scale, 60);
  EXPECT_EQ(a.keys[1].value.v[0], 20);
  EXPECT_EQ(a.At(1.5).v[0], 17.5);
}

// A key's ticks are part of it: a key at 0 s on a scale of 30 is not one at 0 s on 60, though
// the tick and the time are the same, nor one on another tick of the same scale.
TEST(ProjectModel, KeysAtTheSameTimeOnOtherTicksOrScalesAreNotTheSame) {
  host::Outline square;
  square.vertices = {AEGP_MaskVertex{0, 0, 0, 0, 0, 0}, AEGP_MaskVertex{1, 0, 0, 0, 0, 0}};
  const auto layer_keyed = [&](A_Time at) {
    host::Layer layer;
    host::Mask mask = layer.NewMask();
    mask.outline.SetKey(0, at, square);
    layer.masks.push_back(mask);
    return layer;
  };
  const auto param_keyed = [](A_Time at) {
    host::EffectParam param;
    param.def.param_type = PF_Param_ANGLE;
    param.stream.SetKey(0, at, host::StreamValue{{5, 0, 0, 0}});
    return param;
  };
  const A_Time at{0, 30};
  EXPECT_TRUE(layer_keyed(at) == layer_keyed(at));
  EXPECT_TRUE(host::SameParam(param_keyed(at), param_keyed(at)));
  for (A_Time other : {A_Time{0, 60}, A_Time{1, 30}}) {
    EXPECT_FALSE(layer_keyed(at) == layer_keyed(other)) << other.value << "/" << other.scale;
    EXPECT_FALSE(host::SameParam(param_keyed(at), param_keyed(other)))
        << other.value << "/" << other.scale;
  }
  // Whole models differ where one of their masks does, and only there.
  host::ProjectModel first, second;
  first.layer = layer_keyed(at);
  second.layer = layer_keyed(at);
  EXPECT_FALSE(first != second);
  second.layer = layer_keyed(A_Time{1, 30});
  EXPECT_TRUE(first != second);
  // And where any one of their parameters does, the last as much as the first.
  second.layer = first.layer;
  first.effect.params.resize(3);
  second.effect.params = first.effect.params;
  EXPECT_TRUE(first == second);
  second.effect.params[2] = param_keyed(at);
  EXPECT_TRUE(first != second);
  // And where the effect is applied to one only, or one holds a parameter fewer.
  second = first;
  second.effect.applied = !first.effect.applied;
  EXPECT_TRUE(first != second);
  second = first;
  second.effect.params.pop_back();
  EXPECT_TRUE(first != second);
}

// Outline keys are the same when every key is: two runs of keys that part only at their last key,
// in its shape or in one tangent of it, differ.
TEST(ProjectModel, OutlineKeysDifferWhereAnyOfTheirKeysDoes) {
  const host::Outline square{
      false, {{0, 0, 0, 0, 0, 0}, {10, 0, 0, 0, 0, 0}, {10, 10, 0, 0, 0, 0}, {0, 10, 0, 0, 0, 0}}};
  const auto keyed = [&](const host::Outline &last) {
    host::Animatable<host::Outline> a;
    a.SetKey(0, A_Time{0, 30}, square);
    a.SetKey(1, A_Time{30, 30}, square);
    a.SetKey(2, A_Time{60, 30}, last);
    return a.keys;
  };
  host::Outline moved = square, curved = square;
  moved.vertices[2].x = 11;
  curved.vertices[3].tan_out_y = 2;
  EXPECT_TRUE(keyed(square) == keyed(square));
  EXPECT_FALSE(keyed(square) == keyed(moved));
  EXPECT_FALSE(keyed(square) == keyed(curved));
}

// Layers are the same when their masks' expressions are: the same offsets alike, one more offset
// or a uniform one in place of one per vertex not.
TEST(ProjectModel, MasksDifferWhereTheirExpressionsDo) {
  const auto layer_with = [](std::optional<host::OutlineExpression> expression) {
    host::Layer layer;
    host::Mask mask = layer.NewMask();
    mask.expression = std::move(expression);
    layer.masks.push_back(mask);
    return layer;
  };
  const host::OutlineExpression each{false, {{1, 2, 0, 0, 0, 0}, {3, 4, 0, 0, 0, 0}}};
  host::OutlineExpression longer = each, uniform = each;
  longer.offsets.push_back({5, 6, 0, 0, 0, 0});
  uniform.uniform = true;
  EXPECT_TRUE(layer_with(each) == layer_with(each));
  EXPECT_TRUE(layer_with(std::nullopt) == layer_with(std::nullopt));
  EXPECT_FALSE(layer_with(each) == layer_with(longer));
  EXPECT_FALSE(layer_with(each) == layer_with(uniform));
  EXPECT_FALSE(layer_with(each) == layer_with(std::nullopt));
}
