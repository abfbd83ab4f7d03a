// Shared set-up for end-to-end tests: the real module, loaded once, and a fresh session per test.
#ifndef ORVANE_TESTS_HOSTFIXTURE_H
#define ORVANE_TESTS_HOSTFIXTURE_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>
#include <string>

#include "model/Units.h"
#include "protocol/Suites.h"  // TRUE and FALSE for A_Boolean arguments
#include "protocol/Session.h"

namespace orvane::test {

class HostTest : public ::testing::Test {
 protected:
  static host::Module &module() {
    static host::Module loaded(ORVANE_MODULE_PATH);
    return loaded;
  }
  void SetUp() override {
    session_ = std::make_unique<host::Session>(module());
    // End-to-end tests look at the calls a command made.
    session_->trace().SetRecording(true);
  }
  void TearDown() override { session_.reset(); }

  host::Session &session() { return *session_; }
  // A 640 x 360 composition and layer, the layer at its centre, unscaled and unturned.
  void SmallComposition() {
    project().comp.width = project().layer.width = 640;
    project().comp.height = project().layer.height = 360;
    project().layer.transform = host::Transform{{320, 180}, {320, 180}, {100, 100}, 0};
  }
  host::Project &project() { return session_->project(); }

  // Applies the effect and checks that every command of it succeeded.
  void ApplyEffect() {
    ASSERT_EQ(session().Apply(), PF_Err_NONE);
    ASSERT_TRUE(project().effect.applied);
  }
  host::EffectParam &param(int index) { return project().effect.params.at(std::size_t(index)); }
  double value(int index, int component = 0) {
    return param(index).stream.At(project().LayerTime(project().time)).v[component];
  }
  // Sets a parameter as the user would: the value, then the application's reaction.
  void Set(int index, std::initializer_list<double> v) {
    host::StreamValue value;
    int i = 0;
    for (double x : v) value.v[i++] = x;
    session().BeginUserChange("Change \"" + param(index).name + "\"");
    param(index).stream.Set(project().LayerTime(project().time),
                            host::Ticks(project().time, project().comp.time_scale), value);
    session().ParamChanged(index);
  }
  void Press(int index) { session().ParamChanged(index); }
  // The last command of this kind that was sent.
  const host::CommandRecord &LastCommand(PF_Cmd cmd) {
    const auto &all = session().commands();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
      if (it->cmd == cmd) return *it;
    }
    static host::CommandRecord none;
    ADD_FAILURE() << "no command " << cmd << " was sent";
    return none;
  }
  // Adds a mask by hand and returns its index.
  int AddMask(bool closed, std::initializer_list<std::pair<double, double>> points) {
    host::Mask mask;
    mask.id = project().layer.TakeMaskId();
    mask.outline.value.open = !closed;
    for (auto [x, y] : points)
      mask.outline.value.vertices.push_back(AEGP_MaskVertex{x, y, 0, 0, 0, 0});
    project().layer.masks.push_back(mask);
    return int(project().layer.masks.size() - 1);
  }
  // Every host problem recorded so far (leaks, misuse, open undo groups).
  void ExpectNoProblems() {
    for (const auto &problem : session().problems()) ADD_FAILURE() << problem;
  }

 private:
  std::unique_ptr<host::Session> session_;
};

}  // namespace orvane::test

#endif
