// orvane-host validate: the real module passes every check, and each deliberately broken module
// fails the check that is there to catch its fault, for the right reason.
#include <gtest/gtest.h>

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
  ASSERT_EQ(report["checks"].size(), 7u);
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
      {"no_property_list", "property_list", "failed", "carries no property list"},
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

TEST(Validator, AnUnknownCheckIsBadInput) {
  auto r = RunHost(std::string("validate ") + ORVANE_MODULE_PATH + " --reproduce no_such_check");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.out.find("no check named"), std::string::npos) << r.out;
}

}  // namespace
