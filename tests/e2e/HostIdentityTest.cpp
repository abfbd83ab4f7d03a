// The application the module is told it runs in, and a host that publishes fewer suites: each
// command fails with the missing-suite error, leaks nothing and keeps the host standing.
#include "HostFixture.h"
#include "HostProcess.h"
#include "Params.h"

namespace orvane::test {
namespace {

using host::WindowKind;

class HostIdentity : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    SmallComposition();
  }
  host::EventResult Click(double x, double y) {
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DO_CLICK;
    extra.u.do_click.screen_point = PF_Point{A_long(x), A_long(y)};
    return session().SendEvent(WindowKind::Layer, extra, 0);
  }
  int Acquired(const char *name, int version) {
    auto it = session().suites().uses().find({name, version});
    return it == session().suites().uses().end() ? 0 : it->second.acquired;
  }
};

TEST_F(HostIdentity, OnlyAfterEffectsMeasuresTheHitWithTheAnsiSuite) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);  // the default rectangle, corner 0 at (0, 0)
  session().suites().Withhold("PF ANSI Suite", 1);

  // Premiere Pro's hit test needs no ANSI suite: the handle 15 pixels away is grabbed.
  session().set_appl_id(host::Session::kPremierePro);
  host::EventResult premiere = Click(8, 7);
  EXPECT_EQ(premiere.err, PF_Err_NONE);
  EXPECT_TRUE(premiere.handled);
  EXPECT_EQ(premiere.extra.u.do_click.continue_refcon[3], 0);
  EXPECT_FALSE(Click(8, 8).handled);  // 16 is out of reach there too
  EXPECT_EQ(Acquired("PF ANSI Suite", 1), 0);

  // After Effects' measures through the ANSI suite, which this host withholds.
  session().set_appl_id(host::Session::kAfterEffects);
  host::EventResult effects = Click(8, 7);
  EXPECT_EQ(effects.err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_FALSE(effects.handled);
  session().suites().ClearWithheld();
  EXPECT_TRUE(Click(8, 7).handled);
  EXPECT_EQ(Acquired("PF ANSI Suite", 1), 1);
  ExpectNoProblems();
}

TEST_F(HostIdentity, WithoutTheProjectSuitesEveryCommandFailsCleanly) {
  session().set_appl_id(host::Session::kPremierePro);
  std::vector<host::SuiteKey> withheld;
  for (const auto &[key, use] : session().suites().uses()) {
    if (use.provided && key.first.rfind("AEGP", 0) == 0) withheld.push_back(key);
  }
  ASSERT_GE(withheld.size(), 10u);
  for (const auto &key : withheld) session().suites().Withhold(key.first, key.second);

  // Registration needs the AEGP layer: global setup fails, and hands over no handle.
  PF_OutData out{};
  EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(out.global_data, nullptr);
  EXPECT_EQ(session().handles().live_count(host::HandleKind::Memory), 0u);
  ASSERT_EQ(session().ParamsSetup(), PF_Err_NONE);

  // A host that goes on sending commands gets the missing-suite error from each.
  auto changed = [&](PF_ParamIndex index) {
    PF_UserChangedParamExtra extra{index};
    return session().Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
  };
  EXPECT_EQ(session().Send(PF_Cmd_UPDATE_PARAMS_UI), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(changed(PARAM_CREATE_MASK), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(changed(PARAM_MASK_COLOR(0)), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(changed(PARAM_BAKE_MASKS), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(session().Render(session().context()).pre_render_err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(session().Draw(WindowKind::Comp, 0).err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(Click(0, 0).err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
  EXPECT_TRUE(project().layer.masks.empty());
  EXPECT_TRUE(project().undo.entries().empty());
  for (const auto &key : withheld) EXPECT_EQ(Acquired(key.first.c_str(), key.second), 0);
  EXPECT_TRUE(session().suites().Outstanding().empty());
  ExpectNoProblems();
}

TEST(HostIdentityScenario, TheHostSectionNamesTheApplicationAndWhatItWithholds) {
  const std::string scenario = WriteTemp("premiere.json", R"({
    "host": {"app": "PrMr", "withhold": ["AEGP*"], "refusal": "error_with_table"},
    "steps": [{"do": "apply"}]})");
  HostResult r = RunHost("run " + scenario + " --module " + ORVANE_MODULE_PATH);
  EXPECT_EQ(r.code, 1) << r.out;
  // The effect cannot be applied: the run ends there, naming the module's error.
  EXPECT_NE(r.out.find("GLOBAL_SETUP returned error 516 (PF_Err_BAD_CALLBACK_PARAM)"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("problem:"), std::string::npos) << r.out;

  for (const char *host : {R"({"app": "Photoshop"})", R"({"withhold": ["AEGP Mask Suite"]})",
                           R"({"refusal": "maybe"})", R"({"withhold": "AEGP*"})"}) {
    SCOPED_TRACE(host);
    const std::string bad =
        WriteTemp("bad_host.json", std::string(R"({"host": )") + host + R"(, "steps": []})");
    HostResult b = RunHost("run " + bad + " --module " + ORVANE_MODULE_PATH);
    EXPECT_EQ(b.code, 2) << b.out;
    EXPECT_NE(b.out.find("host"), std::string::npos) << b.out;
  }
}

}  // namespace
}  // namespace orvane::test
