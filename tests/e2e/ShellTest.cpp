// The plug-in shell through the loaded module: About, global setup and tear-down, parameter
// registration, command dispatch and the error boundary.
#include <cstring>

#include "AE_EffectCBSuites.h"
#include "HostFixture.h"
#include "Params.h"

namespace orvane::test {
namespace {

using host::HandleKind;

class Shell : public HostTest {};

TEST_F(Shell, AboutTextIsNameVersionAndCreditLine) {
  std::string about = session().AboutText();
  ASSERT_EQ(about.rfind("OrvaneTavolin, v1.00\r", 0), 0u) << about;
  EXPECT_GT(about.size(), std::strlen("OrvaneTavolin, v1.00\r"));
  EXPECT_EQ(about.find('\r'), about.rfind('\r'));
}

TEST_F(Shell, GlobalSetupReportsVersionFlagsAndStoresTheRegisteredId) {
  PF_OutData out{};
  ASSERT_EQ(session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out), PF_Err_NONE);
  EXPECT_EQ(out.my_version, 0x80601u);
  EXPECT_EQ(out.out_flags, 0x6008000);
  EXPECT_EQ(out.out_flags2, 0x1400);
  ASSERT_NE(out.global_data, nullptr);
  // The host's registration hands out 7 first; the block holds exactly what it returned.
  EXPECT_EQ(*reinterpret_cast<AEGP_PluginID *>(*out.global_data), 7);
  EXPECT_TRUE(session().commands().back().problems.empty());
}

TEST_F(Shell, GlobalSetupWithoutAHandleReturns512AndStillReportsVersionAndFlags) {
  session().trace().FailFunction("host_new_handle", 0, 1);
  PF_OutData out{};
  EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(out.my_version, 0x80601u);
  EXPECT_EQ(out.out_flags, 0x6008000);
  EXPECT_EQ(out.out_flags2, 0x1400);
  EXPECT_EQ(out.global_data, nullptr);
}

TEST_F(Shell, GlobalSetupThatCannotUseItsHandleDisposesIt) {
  for (const char *failing : {"host_lock_handle", "AEGP_RegisterWithAEGP"}) {
    SCOPED_TRACE(failing);
    session().trace().ClearFaults();
    session().trace().FailFunction(failing, 0, PF_Err_OUT_OF_MEMORY);
    PF_OutData out{};
    PF_Err err = session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out);
    EXPECT_NE(err, PF_Err_NONE);
    EXPECT_EQ(out.global_data, nullptr);
    EXPECT_EQ(session().handles().live_count(HandleKind::Memory), 0u);
    EXPECT_TRUE(session().commands().back().problems.empty());
  }
}

TEST_F(Shell, AWithheldSuiteReturns516WithEverySuiteReleased) {
  for (auto [name, version] :
       {std::pair<const char *, int>{"AEGP Utility Suite", 7}, {"PF Handle Suite", 2}}) {
    SCOPED_TRACE(name);
    session().suites().ClearWithheld();
    session().suites().Withhold(name, version);
    PF_OutData out{};
    EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(out.my_version, 0x80601u);
    EXPECT_TRUE(session().suites().Outstanding().empty());
    EXPECT_EQ(session().handles().live_count(HandleKind::Memory), 0u);
  }
}

TEST_F(Shell, TearDownDisposesExactlyTheStoredHandle) {
  ASSERT_EQ(session().GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(session().handles().live_count(HandleKind::Memory), 1u);
  ASSERT_EQ(session().GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(session().handles().live_count(HandleKind::Memory), 0u);
  EXPECT_TRUE(session().problems().empty());
  std::size_t disposals = 0;
  for (const auto &call : session().trace().entries()) {
    disposals += std::strcmp(call.function, "host_dispose_handle") == 0;
  }
  EXPECT_EQ(disposals, 1u);
}

// A memory handle still held once the module has given back its global data is a leak, and
// named as one.
TEST_F(Shell, AHandleStillHeldAfterTearDownIsNamed) {
  ASSERT_EQ(session().GlobalSetup(), PF_Err_NONE);
  const void *table = nullptr;
  ASSERT_EQ(session().suites().Acquire(kPFHandleSuite, kPFHandleSuiteVersion2, &table), 0);
  const auto *handle_suite = static_cast<const PF_HandleSuite2 *>(table);
  PF_Handle kept = handle_suite->host_new_handle(16);
  ASSERT_NE(kept, nullptr);
  ASSERT_EQ(session().GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(session().problems(),
            std::vector<std::string>{"memory handles still held after global tear-down"});
  handle_suite->host_dispose_handle(kept);
  session().suites().Release(kPFHandleSuite, kPFHandleSuiteVersion2);
}

TEST_F(Shell, TearDownWithoutGlobalDataDisposesNothing) {
  EXPECT_EQ(session().Send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
  EXPECT_TRUE(session().trace().entries().empty());
}

TEST_F(Shell, UnansweredCommandsReturnSuccessAndLeaveOutDataUntouched) {
  for (PF_Cmd cmd :
       {2, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 19, 20, 21, 22, 25, 26, 1000, -1, -42}) {
    SCOPED_TRACE(cmd);
    PF_OutData out;
    std::memset(&out, 0xA5, sizeof out);
    PF_OutData before = out;
    EXPECT_EQ(session().Send(cmd, nullptr, &out), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
  }
  EXPECT_EQ(session().trace().calls(), 0u);
}

TEST_F(Shell, ParameterSetupRegistersTheWholeTable) {
  ApplyEffect();
  ASSERT_EQ(project().effect.params.size(), std::size_t(PARAM_COUNT));
  for (int i = 1; i < PARAM_COUNT; ++i) EXPECT_EQ(param(i).def.uu.id, i) << "index " << i;

  struct Row {
    int index;
    const char *name;
    PF_ParamType type;
    PF_ParamFlags flags;
  };
  const Row rows[] = {
      {1, "Rectangles", PF_Param_GROUP_START, 0x20},
      {2, "Mask Color 1", PF_Param_COLOR, 0x42},
      {3, "Center 1", PF_Param_POINT, 0x20},
      {4, "Width 1", PF_Param_FLOAT_SLIDER, 0x20},
      {5, "Height 1", PF_Param_FLOAT_SLIDER, 0x20},
      {6, "Angle 1", PF_Param_ANGLE, 0x20},
      {247, "Mask Color 50", PF_Param_COLOR, 0x42},
      {251, "Angle 50", PF_Param_ANGLE, 0x20},
      {252, "", PF_Param_GROUP_END, 0},
      {253, "Create Mask", PF_Param_BUTTON, 0x40},
      {254, "Masks", PF_Param_GROUP_START, 0x20},
      {255, "Mask 1", PF_Param_PATH, 0},
      {304, "Mask 50", PF_Param_PATH, 0},
      {305, "", PF_Param_GROUP_END, 0},
      {306, "Number", PF_Param_SLIDER, 0x22},
      {307, "On", PF_Param_CHECKBOX, 0},
      {308, "Bake Masks", PF_Param_BUTTON, 0x40},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    const PF_ParamDef &def = param(row.index).def;
    EXPECT_STREQ(def.name, row.name);
    EXPECT_EQ(def.param_type, row.type);
    EXPECT_EQ(def.flags, row.flags);
    EXPECT_EQ(def.ui_flags, PF_PUI_NONE);
  }
}

TEST_F(Shell, ParameterDefaultsAndRanges) {
  ApplyEffect();
  for (int s : {0, 23, 49}) {
    SCOPED_TRACE(s);
    const PF_ColorDef &color = param(PARAM_MASK_COLOR(s)).def.u.cd;
    EXPECT_EQ(
        color.dephault.alpha + color.dephault.red + color.dephault.green + color.dephault.blue,
        4 * 255);
    const PF_PointDef &center = param(PARAM_CENTER(s)).def.u.td;
    EXPECT_EQ(center.x_dephault, 0x320000);
    EXPECT_EQ(center.y_dephault, 0x320000);
    EXPECT_FALSE(center.restrict_bounds);
    for (auto [index, size] :
         {std::pair<int, double>{PARAM_WIDTH(s), 640}, {PARAM_HEIGHT(s), 360}}) {
      const PF_FloatSliderDef &fs = param(index).def.u.fs_d;
      EXPECT_EQ(fs.value, size);
      EXPECT_EQ(fs.dephault, float(size));
      EXPECT_EQ(fs.valid_min, 0);
      EXPECT_EQ(fs.valid_max, 50000);
      EXPECT_EQ(fs.slider_min, 100);
      EXPECT_EQ(fs.slider_max, 1000);
      EXPECT_EQ(fs.precision, 1);
      EXPECT_EQ(fs.fs_flags, 0);
      EXPECT_FLOAT_EQ(fs.curve_tolerance, 0.05f);
    }
    EXPECT_EQ(param(PARAM_ANGLE(s)).def.u.ad.dephault, 0);
    EXPECT_EQ(param(PARAM_MASK_PATH(s)).def.u.path_d.dephault, 0);
  }
  const PF_SliderDef &number = param(PARAM_NUMBER).def.u.sd;
  EXPECT_EQ(number.valid_min, 0);
  EXPECT_EQ(number.valid_max, 50);
  EXPECT_EQ(number.slider_min, 0);
  EXPECT_EQ(number.slider_max, 10);
  EXPECT_EQ(number.dephault, 0);
  EXPECT_STREQ(number.value_str, "");
  EXPECT_EQ(param(PARAM_ON).def.u.bd.value, 1);
  EXPECT_EQ(param(PARAM_ON).def.u.bd.dephault, 1);
  EXPECT_EQ(param(PARAM_ON).text, "");
  EXPECT_EQ(param(PARAM_CREATE_MASK).text, "Create");
  EXPECT_EQ(param(PARAM_BAKE_MASKS).text, "Bake");
  // The centre's default is read as a percentage of the layer: its centre.
  EXPECT_EQ(param(PARAM_CENTER(0)).stream.value.v[0], 960);
  EXPECT_EQ(param(PARAM_CENTER(0)).stream.value.v[1], 540);
}

TEST_F(Shell, ParameterSetupRegistersTheCustomUIForCompAndLayerWindows) {
  ApplyEffect();
  EXPECT_TRUE(project().effect.ui_registered);
  EXPECT_EQ(project().effect.ui.events, PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER);
  EXPECT_EQ(project().effect.ui.comp_ui_width, 0);
  EXPECT_EQ(project().effect.ui.layer_ui_height, 0);
}

TEST_F(Shell, ARefusedParameterStopsRegistration) {
  ASSERT_EQ(session().GlobalSetup(), PF_Err_NONE);
  // The 256th add is the first path parameter, "Mask 1".
  session().trace().FailFunction("add_param", 256, PF_Err_OUT_OF_MEMORY);
  host::EffectParam input;
  input.def.param_type = PF_Param_LAYER;
  project().effect.params = {input};
  PF_OutData out{};
  out.num_params = -7;
  EXPECT_EQ(session().Send(PF_Cmd_PARAMS_SETUP, nullptr, &out), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(out.num_params, -7);
  EXPECT_EQ(project().effect.params.size(), 256u);
  EXPECT_FALSE(project().effect.ui_registered);
}

TEST_F(Shell, RefusedUIRegistrationIsTheResultButParametersStayCounted) {
  ASSERT_EQ(session().GlobalSetup(), PF_Err_NONE);
  session().trace().FailFunction("register_ui", 0, PF_Err_OUT_OF_MEMORY);
  host::EffectParam input;
  input.def.param_type = PF_Param_LAYER;
  project().effect.params = {input};
  PF_OutData out{};
  EXPECT_EQ(session().Send(PF_Cmd_PARAMS_SETUP, nullptr, &out), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(out.num_params, PARAM_COUNT);
}

}  // namespace
}  // namespace orvane::test
