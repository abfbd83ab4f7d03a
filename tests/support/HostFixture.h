// Shared set-up for end-to-end tests: the real module, loaded once, and a fresh session per test.
#ifndef ORVANE_TESTS_HOSTFIXTURE_H
#define ORVANE_TESTS_HOSTFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Session.h"

namespace orvane::test {

class HostTest : public ::testing::Test {
 protected:
  static host::Module &module() {
    static host::Module loaded(ORVANE_MODULE_PATH);
    return loaded;
  }
  void SetUp() override { session_ = std::make_unique<host::Session>(module()); }
  void TearDown() override { session_.reset(); }

  host::Session &session() { return *session_; }
  host::Project &project() { return session_->project(); }

  // Applies the effect and checks that every command of it succeeded.
  void ApplyEffect() {
    ASSERT_EQ(session().Apply(), PF_Err_NONE);
    ASSERT_TRUE(project().effect.applied);
  }
  const host::EffectParam &param(int index) {
    return project().effect.params.at(std::size_t(index));
  }

 private:
  std::unique_ptr<host::Session> session_;
};

}  // namespace orvane::test

#endif
