// orvane-host validate: the real module passes every check, and each deliberately broken module
// fails the check that is there to catch its fault, for the right reason.
#include <gtest/gtest.h>

#include <chrono>

#include <nlohmann/json.hpp>

#include "HostProcess.h"

namespace {

using orvane::test::RunHost;

nlohmann::json Validate(const std::string &module, const std::string &only = "") {
  auto r = RunHost("validate " + module + " --json" + (only.empty() ? "" : " --reproduce " + only),
                   false);
  nlohmann::json report = nlohmann::json::parse(r.out, nullptr, false);
  EXPECT_FALSE(report.is_discarded()) << r.out;
  report["exit"] = r.code;
  return report;
}

TEST(Validator, TheModulePassesEveryCheck) {
  nlohmann::json report = Validate(ORVANE_MODULE_PATH);
  EXPECT_EQ(report["exit"], 0);
  EXPECT_EQ(report["summary"]["failed"], 0);
  EXPECT_EQ(report["summary"]["crashed"], 0);
  ASSERT_EQ(report["checks"].size(), 8u);
  for (const auto &check : report["checks"]) EXPECT_EQ(check["outcome"], "passed") << check.dump(2);
  const auto &sweep = report["checks"][4];
  EXPECT_EQ(sweep["id"], "fault_sweep");
  EXPECT_GT(sweep["figures"]["faults_injected"].get<int>(), 1000);
  EXPECT_EQ(sweep["figures"]["faults_injected"], sweep["figures"]["faults_survived"]);
}

TEST(Validator, EachBrokenModuleFailsForItsOwnReason) {
  struct Case {
    const char *fixture;
    const char *check;
    const char *outcome;
    const char *reason;
  };
  const Case cases[] = {
      {"leaks_stream", "handle_hygiene", "failed", "leaked stream"},
      {"calls_after_failure", "fault_sweep", "failed", "afterwards"},
      {"throws", "handle_hygiene", "failed", "an exception escaped the module"},
      {"scribbles_output", "render_sentinels", "failed", "outside the output"},
      {"crashes", "handle_hygiene", "crashed", ""},
      {"adds_parameter", "parameters", "failed", "registers 310 parameters"},
      {"hides_render_failure", "fault_sweep", "failed", "failing: returned 0"},
      {"no_property_list", "property_list", "failed", "carries no property list"},
      {"writes_number_after_its_group", "undo_integrity", "failed",
       "undoing Create does not give back the project"},
      {"changes_outside_its_empty_group", "undo_integrity", "failed",
       "Create made the undo entries \\\"Press"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.fixture);
    nlohmann::json report =
        Validate(std::string(ORVANE_FIXTURES_DIR) + "/fixture_" + c.fixture + ".so", c.check);
    EXPECT_EQ(report["exit"], 1);
    ASSERT_EQ(report["checks"].size(), 1u);
    const auto &check = report["checks"][0];
    EXPECT_EQ(check["outcome"], c.outcome);
    EXPECT_NE(check["failures"].dump().find(c.reason), std::string::npos) << check.dump(2);
  }
}

// A module that never returns from a changed parameter: each time-out cuts it short, names what
// was under way and exits with 1, long before the default time.
TEST(Timeout, AHangingModuleIsCutShortAndNamed) {
  using Clock = std::chrono::steady_clock;
  const std::string hangs = std::string(ORVANE_FIXTURES_DIR) + "/fixture_hangs.so";
  const auto started = Clock::now();
  nlohmann::json report = nlohmann::json::parse(
      RunHost("validate " + hangs + " --json --timeout 1 --reproduce handle_hygiene", false).out,
      nullptr, false);
  ASSERT_FALSE(report.is_discarded());
  ASSERT_EQ(report["checks"].size(), 1u);
  EXPECT_EQ(report["checks"][0]["outcome"], "timed out");
  EXPECT_NE(report["checks"][0]["failures"].dump().find("no result within 1 s"), std::string::npos);
  EXPECT_EQ(report["summary"]["timed_out"], 1);

  auto in_process =
      RunHost("validate " + hangs + " --in-process --timeout 1 --reproduce handle_hygiene");
  EXPECT_EQ(in_process.code, 1);
  EXPECT_NE(in_process.out.find("check handle_hygiene timed out after 1 s"), std::string::npos)
      << in_process.out;

  const std::string scenario = orvane::test::WriteTemp(
      "hang.json", R"({"steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"}]})");
  auto run = RunHost("run " + scenario + " --module " + hangs + " --timeout 1");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.out.find("step 2 (press Create Mask) timed out after 1 s"), std::string::npos)
      << run.out;
  // Three hangs of a second each, not three of the default minute.
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(40));

  // The same session with the real module ends well inside its time, and the watchdog with it.
  auto fine = RunHost("run " + scenario + " --timeout 60 -q");
  EXPECT_EQ(fine.code, 0) << fine.out;
  EXPECT_EQ(fine.out, "");
  auto bad = RunHost("run " + scenario + " --timeout 0");
  EXPECT_EQ(bad.code, 2) << bad.out;
}

TEST(Validator, AnUnknownCheckIsBadInput) {
  auto r = RunHost(std::string("validate ") + ORVANE_MODULE_PATH + " --reproduce no_such_check");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.out.find("no check named"), std::string::npos) << r.out;
}

}  // namespace
