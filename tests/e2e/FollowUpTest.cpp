// What follows an action, as the application sends it: a render only after a change to the
// project or when the module asks for one, the UI update only after a parameter value changed,
// and the Effect Controls panel redrawn only when the module asks. The effect relies on each:
// the panel shows the slots in use because the UI update hides the rest and asks for a redraw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "AE_Effect.h"
#include "HostProcess.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;

nlohmann::json Dump(const std::string &name, const std::string &steps) {
  const std::string path = WriteTemp(name, R"({"steps": [{"do": "apply"}, )" + steps + "]}");
  auto r = RunHost("run " + path + " --json", false);
  EXPECT_EQ(r.code, 0) << r.out;
  return nlohmann::json::parse(r.out, nullptr, false);
}

std::vector<int> Commands(const nlohmann::json &step) {
  std::vector<int> out;
  for (const auto &c : step["commands"]) out.push_back(c["cmd"].get<int>());
  return out;
}

// The slots whose controls the panel shows, from the dump (the mask links, in a group of their
// own, are always shown).
std::vector<int> SlotsShown(const nlohmann::json &dump) {
  std::vector<int> out;
  for (int slot = 1; slot <= 50; ++slot) {
    const auto &params = dump["params"];
    const std::string names[] = {"Mask Color ", "Center ", "Width ", "Height ", "Angle "};
    int shown = 0;
    for (const std::string &name : names)
      shown += params[name + std::to_string(slot)]["shown"] ? 1 : 0;
    EXPECT_TRUE(shown == 0 || shown == 5) << "slot " << slot << " half shown";
    if (shown) out.push_back(slot);
  }
  return out;
}

TEST(FollowUp, ThePanelShowsTheSlotsInUseOnceTheModuleAsksForARedraw) {
  // "Number" starts at 0: the panel shows no slot until a rectangle is created.
  EXPECT_EQ(SlotsShown(Dump("panel0.json", R"({"do": "render"})")), std::vector<int>{});
  const auto two = Dump("panel2.json", R"({"do": "press", "param": "Create Mask"},
                                          {"do": "press", "param": "Create Mask"})");
  EXPECT_EQ(SlotsShown(two), (std::vector<int>{1, 2}));
  const auto one = Dump("panel1.json", R"({"do": "press", "param": "Create Mask"},
                                          {"do": "press", "param": "Create Mask"},
                                          {"do": "set", "param": "Number", "value": 1})");
  EXPECT_EQ(SlotsShown(one), std::vector<int>{1});
  EXPECT_TRUE(one["params"]["Center 2"]["hidden"]);
}

TEST(FollowUp, APressThatChangesNothingIsRenderedOnlyBecauseTheModuleAsks) {
  // With "On" cleared, "Bake Masks" bakes nothing: no value changes, so no UI update; the module
  // asks for a render after every press, so one follows.
  const auto dump = Dump("noop.json", R"({"do": "press", "param": "Create Mask"},
                                         {"do": "set", "param": "On", "value": false},
                                         {"do": "press", "param": "Bake Masks"})");
  const auto &steps = dump["steps"];
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(Commands(steps[3]), (std::vector<int>{PF_Cmd_USER_CHANGED_PARAM,
                                                  PF_Cmd_SMART_PRE_RENDER, PF_Cmd_SMART_RENDER}));
  // Create changes "Number" and adds a mask: the UI update and a render follow.
  EXPECT_EQ(Commands(steps[1]),
            (std::vector<int>{PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI,
                              PF_Cmd_SMART_PRE_RENDER, PF_Cmd_SMART_RENDER}));
  // A user's change to a value the module does not supervise: the UI update and a render.
  EXPECT_EQ(Commands(steps[2]), (std::vector<int>{PF_Cmd_UPDATE_PARAMS_UI, PF_Cmd_SMART_PRE_RENDER,
                                                  PF_Cmd_SMART_RENDER}));
}

TEST(FollowUp, AMaskDrawnByTheUserIsRenderedWithoutAUIUpdate) {
  const auto dump = Dump("mask.json", R"({"do": "mask", "vertices": [[0, 0], [10, 0], [10, 10]]})");
  EXPECT_EQ(Commands(dump["steps"][1]),
            (std::vector<int>{PF_Cmd_SMART_PRE_RENDER, PF_Cmd_SMART_RENDER}));
}

}  // namespace
