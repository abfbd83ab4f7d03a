// The headless host's own machinery: handle bookkeeping, fault planning, keyframes, value
// conversions, window mapping and render sentinels. Faults here would hide faults in the module.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "protocol/CallTrace.h"
#include "protocol/HandleTable.h"
#include "protocol/SuiteRegistry.h"
#include "model/Image.h"
#include "model/ParamTypes.h"
#include "model/Project.h"
#include "model/Text.h"
#include "model/View.h"

namespace {

using namespace orvane::host;

struct Payload : HandleObject {
  static inline int drops = 0;
  std::vector<int> data = std::vector<int>(100, 7);
  void Drop() override {
    ++drops;
    std::vector<int>().swap(data);
  }
};

TEST(HandleTable, ReportsEveryKindOfMisuse) {
  HandleTable table;
  Payload *p = table.Make<Payload>(HandleKind::Stream);
  const void *h = p->key;  // what the module sees
  EXPECT_EQ(table.Get<Payload>(h, HandleKind::Stream, "use"), p);
  EXPECT_TRUE(table.TakeProblems().empty());

  int foreign = 0;
  EXPECT_EQ(table.Get<Payload>(&foreign, HandleKind::Stream, "F"), nullptr);
  EXPECT_EQ(table.Get<Payload>(p, HandleKind::Stream, "A"), nullptr);  // the object is no handle
  EXPECT_EQ(table.Get<Payload>(h, HandleKind::Mask, "K"), nullptr);
  const int drops = Payload::drops;
  EXPECT_TRUE(table.Release(h, HandleKind::Stream, "R"));
  EXPECT_EQ(Payload::drops, drops + 1) << "a released handle drops what it holds at once";
  EXPECT_FALSE(table.Release(h, HandleKind::Stream, "R2"));
  EXPECT_EQ(table.Get<Payload>(h, HandleKind::Stream, "U"), nullptr);
  EXPECT_EQ(table.Get<Payload>(h, HandleKind::Mask, "K2"), nullptr);
  EXPECT_EQ(table.Get<Payload>(nullptr, HandleKind::Stream, "N"), nullptr);  // null is no misuse
  const std::vector<std::string> problems = table.TakeProblems();
  ASSERT_EQ(problems.size(), 6u);
  EXPECT_EQ(problems[0], "F: foreign stream");
  EXPECT_EQ(problems[1], "A: foreign stream");
  EXPECT_EQ(problems[2], "K: stream passed as mask reference");
  EXPECT_EQ(problems[3], "R2: stream released twice");
  EXPECT_EQ(problems[4], "U: stream used after release");
  EXPECT_EQ(problems[5], "K2: stream passed as mask reference");
}

// A million handles made and given back one after another: the table keeps a slot for each
// handle held at once, not a record for each released one, and still knows the first handle as
// released, in this command and the next.
TEST(HandleTable, ReleasedHandlesCostNothingAndAreStillRecognised) {
  HandleTable table;
  const void *first = table.Make<Payload>(HandleKind::StreamValue)->key;
  const void *held = table.Make<Payload>(HandleKind::Stream)->key;
  ASSERT_TRUE(table.Release(first, HandleKind::StreamValue, "R"));
  std::vector<const void *> seen;
  for (int i = 0; i < 1000000; ++i) {
    const void *h = table.Make<Payload>(HandleKind::StreamValue)->key;
    if (i % 99991 == 0) seen.push_back(h);
    ASSERT_TRUE(table.Release(h, HandleKind::StreamValue, "R"));
  }
  EXPECT_LT(table.slot_count(), 100u);
  EXPECT_EQ(table.Get<Payload>(held, HandleKind::Stream, "use"),
            table.Peek<Payload>(held, HandleKind::Stream));
  EXPECT_EQ(table.Get<Payload>(first, HandleKind::StreamValue, "late"), nullptr);
  EXPECT_FALSE(table.Release(seen.back(), HandleKind::StreamValue, "again"));
  EXPECT_EQ(table.TakeProblems(), (std::vector<std::string>{"late: stream value used after release",
                                                            "again: stream value released twice"}));
  EXPECT_EQ(table.EndCommand(), (std::vector<std::string>{"leaked stream"}));
  for (const void *h : {first, held, seen.front()}) {
    EXPECT_EQ(table.Get<Payload>(h, HandleKind::StreamValue, "next"), nullptr);
  }
  EXPECT_EQ(table.TakeProblems(),
            (std::vector<std::string>{"next: stream value used after release",
                                      "next: stream passed as stream value",
                                      "next: stream value used after release"}));
  // A handle that no slot has reached yet was never made.
  const auto bits = reinterpret_cast<uintptr_t>(held) + (uintptr_t(1) << 30);
  EXPECT_EQ(table.Get<Payload>(reinterpret_cast<const void *>(bits), HandleKind::Stream, "G"),
            nullptr);
  EXPECT_EQ(table.TakeProblems(), (std::vector<std::string>{"G: foreign stream"}));
  // As the trace shows them: a handle held, one leaked and so released at the command's end, one
  // released whose slot is used again since, and one that is none of the table's.
  const std::string live = table.Tag(table.Make<Payload>(HandleKind::Stream)->key);
  EXPECT_EQ(live.rfind("stream #", 0), 0u) << live;
  EXPECT_EQ(live.find("released"), std::string::npos) << live;
  EXPECT_EQ(table.Tag(held), "stream (released)");
  EXPECT_EQ(table.Tag(seen.front()), "stream value (released)");
  int stranger = 0;
  EXPECT_EQ(table.Tag(&stranger), "foreign");
}

// A slot given back ages among the free before it is used again, so that a handle released a
// moment ago is not at once another handle's slot: the next 64 are made in new slots, and only
// when 65 are free is the oldest taken again.
TEST(HandleTable, AReleasedSlotAgesBeforeItIsUsedAgain) {
  HandleTable table;
  std::vector<const void *> made;
  for (int i = 0; i < 65; ++i) made.push_back(table.Make<Payload>(HandleKind::Stream)->key);
  for (const void *h : made) ASSERT_TRUE(table.Release(h, HandleKind::Stream, "R"));
  EXPECT_EQ(table.slot_count(), 65u);
  // The oldest slot again, under a handle of its own: the one released there stays released.
  const void *again = table.Make<Payload>(HandleKind::Stream)->key;
  EXPECT_EQ(table.slot_count(), 65u);
  EXPECT_NE(again, made.front());
  EXPECT_EQ(table.Get<Payload>(made.front(), HandleKind::Stream, "old"), nullptr);
  EXPECT_EQ(table.TakeProblems(), (std::vector<std::string>{"old: stream used after release"}));
  HandleTable fresh;
  const void *first = fresh.Make<Payload>(HandleKind::Stream)->key;
  ASSERT_TRUE(fresh.Release(first, HandleKind::Stream, "R"));
  fresh.Make<Payload>(HandleKind::Stream);
  EXPECT_EQ(fresh.slot_count(), 2u);
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

// A withheld suite is refused each way a host may: an error and no table, success and no table,
// or an error with the real table written anyway; none of them counts as taken. An unknown suite
// refused with a table gets one that is not any suite's.
TEST(SuiteRegistry, ARefusalWritesWhatItsKindSaysAndTakesNothing) {
  SuiteRegistry suites;
  static const int table = 7;
  suites.Provide("Kept", 2, &table);
  suites.Withhold("Kept", 2);
  const SPErr not_found = SuiteRegistry::kSuiteNotFound;
  const struct {
    Refusal refusal;
    SPErr err;
    const void *written;
  } cases[] = {{Refusal::ErrorNoTable, not_found, nullptr},
               {Refusal::NullTable, 0, nullptr},
               {Refusal::ErrorWithTable, not_found, &table}};
  for (const auto &c : cases) {
    SCOPED_TRACE(int(c.refusal));
    suites.set_refusal(c.refusal);
    const void *got = &not_found;
    EXPECT_EQ(suites.Acquire("Kept", 2, &got), c.err);
    EXPECT_EQ(got, c.written);
  }
  const void *unknown = nullptr;
  EXPECT_EQ(suites.Acquire("Unknown", 1, &unknown), not_found);
  EXPECT_NE(unknown, nullptr);
  EXPECT_NE(unknown, &table);
  EXPECT_EQ(suites.uses().at({"Kept", 2}).acquired, 0);
  EXPECT_TRUE(suites.uses().at({"Kept", 2}).refused);
  EXPECT_TRUE(suites.TakeImbalance().empty());
  // Given again, it is handed out and counted.
  suites.ClearWithheld();
  const void *got = nullptr;
  EXPECT_EQ(suites.Acquire("Kept", 2, &got), 0);
  EXPECT_EQ(got, &table);
  EXPECT_EQ(suites.uses().at({"Kept", 2}).acquired, 1);
  EXPECT_EQ(suites.TakeImbalance(), (std::map<SuiteKey, int>{{{"Kept", 2}, 1}}));
}

TEST(CallTrace, PlannedFaultsHitExactlyTheirCalls) {
  CallTrace trace;
  trace.SetRecording(true);
  trace.FailFunction("f", 2, 7);
  EXPECT_EQ(trace.Enter(HostFunction{"f"}), 0);
  EXPECT_EQ(trace.Enter(HostFunction{"g"}), 0);
  EXPECT_EQ(trace.Enter(HostFunction{"f"}), 7);
  EXPECT_EQ(trace.Enter(HostFunction{"f"}), 0);
  trace.ClearFaults();
  trace.Reset();
  trace.FailFunction("f", 0, 9);
  EXPECT_EQ(trace.Enter(HostFunction{"f"}), 9);
  EXPECT_EQ(trace.Enter(HostFunction{"f"}), 9);
  trace.ClearFaults();
  trace.Reset();
  trace.FailCallAt(2, 5);
  EXPECT_EQ(trace.Enter(HostFunction{"a"}), 0);
  EXPECT_EQ(trace.Enter(HostFunction{"b"}), 5);
  EXPECT_EQ(trace.injected(), 1u);
  EXPECT_EQ(trace.entries().size(), 2u);
  EXPECT_EQ(trace.entries()[1].injected, 5);
}

TEST(CallTrace, CallsThatCannotReportFailureAreNeverFailed) {
  CallTrace trace;
  trace.FailCallAt(1, 5);
  EXPECT_EQ(trace.Enter(HostFunction{"sprintf", kCannotFail}), 0);
  trace.FailFunction("host_dispose_handle", 0, 5);
  EXPECT_EQ(trace.Enter(HostFunction{"host_dispose_handle", kGivesBack | kCannotFail}), 0);
  EXPECT_EQ(trace.Enter(HostFunction{"host_dispose_handle", kGivesBack}), 5);
  EXPECT_EQ(trace.injected(), 1u);
}

// Without a recording or a trace file the trace keeps nothing per call, and the rule that a
// failed call is followed only by releases is still checked, as the calls happen.
TEST(CallTrace, KeepsNothingPerCallUnlessAskedAndWatchesWhatFollowsAFailure) {
  CallTrace trace;
  for (int i = 0; i < 1000; ++i) {
    trace.Enter(HostFunction{"AEGP_GetNewStreamValue"}, 7, H(nullptr), A_Time{i, 30});
    trace.Leave(0);
  }
  EXPECT_EQ(trace.calls(), 1000u);
  EXPECT_TRUE(trace.entries().empty());

  trace.Reset();
  trace.FailCallAt(2, 5);
  EXPECT_EQ(trace.Enter(HostFunction{"AEGP_GetNewMaskStream"}), 0);
  EXPECT_EQ(trace.Enter(HostFunction{"AEGP_GetNewStreamValue"}), 5);
  EXPECT_EQ(trace.Enter(HostFunction{"AEGP_DisposeStream", kGivesBack}), 0);
  EXPECT_EQ(trace.called_after_failure(), nullptr);
  trace.Enter(HostFunction{"AEGP_SetStreamValue"});
  trace.Enter(HostFunction{"AEGP_CreateVertex"});
  EXPECT_STREQ(trace.function_at_fault(), "AEGP_GetNewStreamValue");
  EXPECT_STREQ(trace.failed_function(), "AEGP_GetNewStreamValue");
  EXPECT_STREQ(trace.called_after_failure(), "AEGP_SetStreamValue");
  EXPECT_TRUE(trace.entries().empty());

  // A failed release may be followed by anything.
  trace.Reset();
  trace.FailCallAt(1, 5);
  EXPECT_EQ(trace.Enter(HostFunction{"AEGP_DisposeMask", kGivesBack}), 5);
  trace.Enter(HostFunction{"AEGP_GetMaskID"});
  EXPECT_STREQ(trace.function_at_fault(), "AEGP_DisposeMask");
  EXPECT_EQ(trace.called_after_failure(), nullptr);
}

TEST(CallTrace, StreamsEachCallWithItsArgumentsAndResultAsAJsonLine) {
  HandleTable handles;
  const void *stream = handles.Make<HandleObject>(HandleKind::Stream)->key;
  CallTrace trace;
  trace.SetHandles(&handles);
  std::ostringstream out;
  trace.StreamTo(&out);
  trace.SetCommand(3);
  trace.SetStep(2);
  trace.Enter(HostFunction{"AEGP_StartUndoGroup"}, "Create \"Masks\" \xC3\xA9\xE2\x82\xAC\n");
  trace.Leave(0);
  const A_Time at{1001, 24000};
  trace.FailFunction("AEGP_GetNewStreamValue", 1, PF_Err_OUT_OF_MEMORY);
  trace.Enter(HostFunction{"AEGP_GetNewStreamValue"}, AEGP_PluginID(7), H(stream),
              AEGP_LTimeMode_CompTime, In(&at), A_Boolean(0), 0.5, H(nullptr));
  trace.Leave(PF_Err_OUT_OF_MEMORY);
  trace.Note("ReleaseSuite", "AEGP Stream Suite", 9, 0);
  // A call is written as it returns: a module that dies right after it leaves it in the file.
  trace.Enter(HostFunction{"host_dispose_handle", kGivesBack | kCannotFail}, H(nullptr));
  trace.LeaveVoid();
  EXPECT_NE(out.str().find("\"fn\":\"host_dispose_handle\",\"args\":[null],\"result\":null}\n"),
            std::string::npos)
      << out.str();
  trace.StreamTo(nullptr);
  trace.Enter(HostFunction{"AEGP_EndUndoGroup"});  // no longer traced
  trace.Leave(0);

  std::istringstream lines(out.str());
  std::vector<nlohmann::json> calls;
  for (std::string line; std::getline(lines, line);) calls.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], (nlohmann::json{{"call", 1},
                                      {"command", 3},
                                      {"step", 2},
                                      {"fn", "AEGP_StartUndoGroup"},
                                      {"args", {"Create \"Masks\" \xC3\xA9\xE2\x82\xAC\n"}},
                                      {"result", 0}}));
  EXPECT_EQ(calls[1]["call"], 2);
  EXPECT_EQ(calls[1]["args"], (nlohmann::json{7,
                                              "stream #1",
                                              AEGP_LTimeMode_CompTime,
                                              {{"value", 1001}, {"scale", 24000}},
                                              0,
                                              0.5,
                                              nullptr}));
  EXPECT_EQ(calls[1]["result"], PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(calls[1]["injected"], PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(calls[2]["fn"], "ReleaseSuite");
  EXPECT_EQ(calls[2]["args"], (nlohmann::json{"AEGP Stream Suite", 9}));
  EXPECT_FALSE(calls[2].contains("call")) << "suites are not counted as host calls";
  EXPECT_EQ(calls[3]["call"], 3);
  EXPECT_EQ(trace.calls(), 4u);
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
  a.Set(2, A_Time{60, 30}, StreamValue{{0, 0, 0, 0}});  // a set on an animated stream keys it
  EXPECT_EQ(a.keys.size(), 3u);
  EXPECT_EQ(a.At(2).v[0], 0);
  EXPECT_EQ(a.keys[1].at.value, 60);  // with the time it was set at
  EXPECT_EQ(a.keys[1].at.scale, 30u);
  // Held, a value keeps each key's from the instant of the key until the next key.
  EXPECT_EQ(a.At(2, true).v[0], 0);
  EXPECT_EQ(a.At(2.9, true).v[0], 0);
  EXPECT_EQ(a.At(1.5, true).v[0], 10);
  EXPECT_EQ(a.At(0, true).v[0], 10);
  EXPECT_EQ(a.At(3, true).v[0], 40);
  EXPECT_EQ(a.At(1.5).v[0], 5);
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

// Outline keys are stored packed; what comes back must be what went in, tangents included, in
// time order, with a key at the same time replacing the old one.
TEST(Animatable, OutlineKeysGiveBackWhatWasKeyed) {
  const Outline square{
      false, {{0, 0, 0, 0, 0, 0}, {10, 0, 0, 0, 0, 0}, {10, 10, 0, 0, 0, 0}, {0, 10, 0, 0, 0, 0}}};
  const Outline curved{true, {{1.25, 2, -3, 4, 5, -6.5}, {7, 8, 0, 0, 0, 0}}};
  Animatable<Outline> a;
  a.SetKey(2, A_Time{60, 30}, square);
  a.SetKey(1, A_Time{30, 30}, curved);
  a.SetKey(3, A_Time{90, 30}, curved);
  a.SetKey(2, A_Time{61, 30}, curved);  // replaces the square
  ASSERT_EQ(a.keys.size(), 3u);
  std::vector<double> times;
  for (const auto &key : a.keys) {
    times.push_back(key.time);
    EXPECT_TRUE(key.value.open);
    ASSERT_EQ(key.value.vertices.size(), 2u);
    const AEGP_MaskVertex &v = key.value.vertices[0];
    EXPECT_EQ((std::vector<double>{v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y}),
              (std::vector<double>{1.25, 2, -3, 4, 5, -6.5}));
  }
  EXPECT_EQ(times, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(a.keys[1].at.value, 61);
  // Tangents are kept however few of them are set: each of the four alone, at 1, on every
  // vertex.
  for (int which = 0; which < 4; ++which) {
    Outline one{false, {{1, 2, 0, 0, 0, 0}, {3, 4, 0, 0, 0, 0}}};
    A_FpLong AEGP_MaskVertex::*const tangents[] = {
        &AEGP_MaskVertex::tan_in_x, &AEGP_MaskVertex::tan_in_y, &AEGP_MaskVertex::tan_out_x,
        &AEGP_MaskVertex::tan_out_y};
    for (AEGP_MaskVertex &v : one.vertices) v.*tangents[which] = 1;
    Animatable<Outline> b;
    b.SetKey(0, A_Time{0, 30}, one);
    const Outline kept = b.keys[0].value;  // keys are unpacked as they are read
    const AEGP_MaskVertex &v = kept.vertices[1];
    EXPECT_EQ((std::vector<double>{v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y}),
              (std::vector<double>{which == 0 ? 1.0 : 0.0, which == 1 ? 1.0 : 0.0,
                                   which == 2 ? 1.0 : 0.0, which == 3 ? 1.0 : 0.0}))
        << which;
  }
  a.SetKey(2.5, A_Time{75, 30}, square);
  EXPECT_EQ(a.At(2.5).vertices.size(), 4u);
  EXPECT_DOUBLE_EQ(a.At(2.25).vertices[1].x, 7);  // different shapes: the earlier key holds
  EXPECT_DOUBLE_EQ(a.At(0).vertices[1].x, 7);
  EXPECT_EQ(a.At(9).vertices.size(), 2u);

  OutlineKeys batch;
  batch.Append(5, A_Time{150, 30}, Outline());
  batch.Append(4, A_Time{120, 30}, Outline());
  batch.Replace(0, square);
  batch.Replace(1, square);
  a.keys.SetFrom(batch, 0);
  a.keys.SetFrom(batch, 1);
  EXPECT_EQ(a.keys.size(), 6u);
  EXPECT_EQ(a.keys.back().at.value, 150);
  EXPECT_EQ(a.keys[4].value.vertices[2].y, 10);
  EXPECT_FALSE(a.keys[4].value.open);
}

// An expression moves each vertex and both its tangents by an offset: every vertex by the one
// offset when it is uniform, vertex i by offset i otherwise, and those past the offsets not at all.
TEST(OutlineExpressions, MoveEachVertexAndItsTangentsByItsOffset) {
  const Outline outline{false, {{10, 20, 1, 2, 3, 4}, {30, 40, 5, 6, 7, 8}, {50, 60, 0, 0, 0, 0}}};
  auto numbers = [](const Outline &o) {
    std::vector<std::vector<double>> all;
    for (const AEGP_MaskVertex &v : o.vertices)
      all.push_back({v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y});
    return all;
  };
  const OutlineExpression uniform{true, {{1, -2, 0.5, -0.5, 0.25, -0.25}}};
  EXPECT_EQ(numbers(uniform.Apply(outline)),
            (std::vector<std::vector<double>>{{11, 18, 1.5, 1.5, 3.25, 3.75},
                                              {31, 38, 5.5, 5.5, 7.25, 7.75},
                                              {51, 58, 0.5, -0.5, 0.25, -0.25}}));
  const OutlineExpression each{false, {{1, 1, 1, 1, 1, 1}, {-1, -2, -3, -4, -5, -6}}};
  EXPECT_EQ(numbers(each.Apply(outline)),
            (std::vector<std::vector<double>>{
                {11, 21, 2, 3, 4, 5}, {29, 38, 2, 2, 2, 2}, {50, 60, 0, 0, 0, 0}}));
}

// Text a module hands over is read as UTF-8 where it is well formed; every other byte shows as
// U+FFFD on its own: a lead byte whose sequence breaks off, an overlong form, a surrogate, a code
// point past U+10FFFF.
TEST(ModuleText, EachByteThatStartsNoWellFormedSequenceShowsAsTheReplacement) {
  const std::string r = "\xEF\xBF\xBD";
  struct Case {
    std::string in, shown;
  };
  const Case cases[] = {
      {"a\xC3\xA9", "a\xC3\xA9"},
      {"\xED\x9F\xBF\xF4\x8F\xBF\xBF", "\xED\x9F\xBF\xF4\x8F\xBF\xBF"},  // U+D7FF, U+10FFFF
      {"\xEF\x80\x80\xF0\x90\x80\x80", "\xEF\x80\x80\xF0\x90\x80\x80"},  // U+F000, U+10000
      {"\xE2\x82"
       "A",
       r + r + "A"},  // the third byte is no continuation
      {"\xF0\x9F\x98"
       "x",
       r + r + r + "x"},
      {"\xE2\x82", r + r},  // cut off by the end
      {"\xC0\xAF", r + r},
      {"\xE0\x80\x80", r + r + r},
      {"\xF0\x8F\xBF\xBF", r + r + r + r},
      {"\xED\xA0\x80", r + r + r},
      {"\xF4\x90\x80\x80", r + r + r + r},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(ValidUtf8(c.in), c.shown) << c.in;
    EXPECT_EQ(IsUtf8(c.in), c.in == c.shown) << c.in;
  }
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
  WriteValue(point, centre);  // and one that names no resolution, the full one
  EXPECT_EQ(point.u.td.x_value, 320 << 16);
  EXPECT_EQ(point.u.td.y_value, 180 << 16);

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
  // Every turn maps as its cosine and sine say, the one of exactly a radian too (the angle of
  // degrees that is 1.0 once converted), and none as the unturned layer does.
  const double per_degree = M_PI / 180;
  double radian = 180 / M_PI;
  for (int i = 0; i < 16 && radian * per_degree != 1.0; ++i)
    radian = std::nextafter(radian, i % 2 ? 0.0 : 100.0);
  ASSERT_EQ(radian * per_degree, 1.0);
  for (double degrees : {radian, 1e-300, -45.0, 720.0}) {
    SCOPED_TRACE(degrees);
    const double a = degrees * per_degree;
    const Point2 q = LayerToComp(Transform{{0, 0}, {0, 0}, {100, 100}, degrees}, {10, 0});
    EXPECT_NEAR(q.x, 10 * std::cos(a), 1e-9);
    EXPECT_NEAR(q.y, 10 * std::sin(a), 1e-9);
  }
  // A layer flattened on one axis still maps back along the other; the flat axis sits on the
  // anchor.
  Point2 flat_x = CompToLayer(Transform{{400, 300}, {320, 180}, {0, 50}, 0}, {400, 325});
  EXPECT_NEAR(flat_x.x, 320, 1e-9);
  EXPECT_NEAR(flat_x.y, 230, 1e-9);
  Point2 flat_y = CompToLayer(Transform{{400, 300}, {320, 180}, {50, 0}, 0}, {410, 300});
  EXPECT_NEAR(flat_y.x, 340, 1e-9);
  EXPECT_NEAR(flat_y.y, 180, 1e-9);
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
    // Over the middle column, in the rows above and below the image: no side column is touched.
    for (A_long row : {-1, 3}) {
      image.FillSentinel();
      image.Row(row)[2 * image.PixelBytes()] = 0;
      EXPECT_FALSE(image.GuardIntact()) << "a write in guard row " << row;
    }
  }
  Image floats(1, 1, 32);
  floats.FillSentinel();
  float f;
  std::memcpy(&f, floats.Row(0), 4);
  EXPECT_TRUE(std::isnan(f)) << "the 32-bit sentinel is a NaN";
}

// The world a module is handed is the image inside its guard band: its first pixel, its size,
// its padded rows, and an extent that is the whole of it.
TEST(Image, TheWorldHandedOverIsTheImageInsideItsGuard) {
  Image image(5, 3, 16, 2);
  const PF_EffectWorld world = image.World();
  EXPECT_EQ(world.data, static_cast<void *>(image.Row(0)));
  EXPECT_EQ(world.width, 5);
  EXPECT_EQ(world.height, 3);
  EXPECT_EQ(world.rowbytes, 80);  // (5 + 2 * 2) pixels of 8 bytes, padded to 16
  // A row already a multiple of 16 bytes is not padded further.
  EXPECT_EQ(Image(4, 1, 8, 0).World().rowbytes, 16);
  EXPECT_EQ(world.extent_hint.left, 0);
  EXPECT_EQ(world.extent_hint.top, 0);
  EXPECT_EQ(world.extent_hint.right, 5);
  EXPECT_EQ(world.extent_hint.bottom, 3);
  EXPECT_EQ(world.pix_aspect_ratio.num, 1);
  EXPECT_EQ(world.pix_aspect_ratio.den, 1);
}

// Pictures of a 16- or 32-bit render show its pixels as bytes: 16-bit channels run to 32768,
// float channels to 1.0 and are held there, each rounded to the nearest byte.
TEST(Image, DeepPixelsAreReadAsTheNearestByte) {
  Image deep(2, 1, 16);
  const uint16_t shorts[8] = {32768, 16384, 0, 129, 32768, 32768, 32768, 32768};
  std::memcpy(deep.Row(0), shorts, sizeof shorts);
  // 16384 / 32768 * 255 = 127.5, rounded up; 129 / 32768 * 255 = 1.0039, down to 1.
  PF_Pixel p = deep.At8(0, 0);
  EXPECT_EQ(std::vector<int>({p.alpha, p.red, p.green, p.blue}),
            std::vector<int>({255, 128, 0, 1}));
  p = deep.At8(1, 0);
  EXPECT_EQ(std::vector<int>({p.alpha, p.red, p.green, p.blue}),
            std::vector<int>({255, 255, 255, 255}));

  Image bytes(1, 1, 8);
  const uint8_t argb[4] = {200, 10, 20, 30};
  std::memcpy(bytes.Row(0), argb, sizeof argb);
  p = bytes.At8(0, 0);
  EXPECT_EQ(std::vector<int>({p.alpha, p.red, p.green, p.blue}),
            std::vector<int>({200, 10, 20, 30}));

  Image floats(1, 1, 32);
  const float channels[4] = {1.0f, 0.25f, 2.0f, -1.0f};
  std::memcpy(floats.Row(0), channels, sizeof channels);
  // 0.25 * 255 = 63.75, up to 64; 2 is held at 1 and -1 at 0.
  p = floats.At8(0, 0);
  EXPECT_EQ(std::vector<int>({p.alpha, p.red, p.green, p.blue}),
            std::vector<int>({255, 64, 255, 0}));
}

// The layer's pattern is the same picture at every depth: at (0, 0) a dark square (three
// quarters of each channel's light value) of red 0.15, green 0.25 and blue 0.55, opaque.
TEST(Image, ThePatternIsTheSameColoursAtEveryDepth) {
  const Image bytes = TestPattern(130, 70, 8);
  const std::vector<int> first = {255, int(0.75 * 0.15 * 255 + 0.5), int(0.75 * 0.25 * 255 + 0.5),
                                  int(0.75 * 0.55 * 255 + 0.5)};
  for (int depth : {8, 16, 32}) {
    SCOPED_TRACE(depth);
    const Image deep = TestPattern(130, 70, depth);
    const PF_Pixel p = deep.At8(0, 0);
    EXPECT_EQ(std::vector<int>({p.alpha, p.red, p.green, p.blue}), first);
    for (const auto &[x, y] : {std::pair{129, 69}, std::pair{64, 0}, std::pair{70, 65}}) {
      // Within the byte each depth rounds to on its own.
      const PF_Pixel a = bytes.At8(x, y), b = deep.At8(x, y);
      EXPECT_EQ(a.alpha, b.alpha);
      EXPECT_NEAR(a.red, b.red, 1) << x << "," << y;
      EXPECT_NEAR(a.green, b.green, 1) << x << "," << y;
      EXPECT_NEAR(a.blue, b.blue, 1) << x << "," << y;
    }
  }
}

TEST(ProjectModel, AMaskIsFoundByItsIdAndAnIdOfNoMaskIsNowhere) {
  Project project;
  for (AEGP_MaskIDVal id : {5, 9, 2}) {
    Mask mask;
    mask.id = id;
    project.layer.masks.push_back(mask);
  }
  EXPECT_EQ(project.MaskIndexById(5), 0);
  EXPECT_EQ(project.MaskIndexById(2), 2);
  EXPECT_EQ(project.MaskIndexById(7), -1);
  project.layer.masks.clear();
  EXPECT_EQ(project.MaskIndexById(5), -1);
}

}  // namespace
