// Fault sweep: run a command once to learn its host calls, then once per call position with
// that call failing, and check what the module did after the failure.
#ifndef ORVANE_TESTS_FAULTSWEEP_H
#define ORVANE_TESTS_FAULTSWEEP_H

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "protocol/Session.h"

namespace orvane::test {

struct SweepCase {
  // Brings a fresh session to the state before the command.
  std::function<void(host::Session &)> setup;
  // Sends the command and returns its result.
  std::function<PF_Err(host::Session &)> command;
  // Whether a failure of this call is expected to come back as the command's result.
  std::function<bool(const char *function)> propagates = [](const char *) { return true; };
};

constexpr PF_Err kInjected = 0x4F56;  // an error no host function returns by itself

// Returns how many positions were swept.
inline std::size_t SweepFaults(host::Module &module, const SweepCase &c) {
  std::size_t calls = 0;
  {
    host::Session session(module);
    c.setup(session);
    session.trace().Reset();
    EXPECT_EQ(c.command(session), PF_Err_NONE);
    calls = session.trace().calls();
  }
  for (std::size_t k = 1; k <= calls; ++k) {
    host::Session session(module);
    c.setup(session);
    // The command may look at the calls it made (what it committed before the failure).
    session.trace().SetRecording(true);
    session.trace().Reset();
    session.trace().FailCallAt(k, kInjected);
    std::size_t commands_before = session.commands().size();
    PF_Err err = c.command(session);
    const char *failed = session.trace().function_at_fault();
    if (!failed) {
      ADD_FAILURE() << "the command made fewer calls on rerun: " << session.trace().calls() << " < "
                    << k;
      return calls;
    }
    if (!session.trace().fault().can_fail()) continue;
    SCOPED_TRACE("call " + std::to_string(k) + " (" + failed + ") failing");
    if (c.propagates(failed)) {
      EXPECT_EQ(err, kInjected);
    }
    // The trace watches, as the calls happen, for one after the failure that is not a release.
    if (const char *after = session.trace().called_after_failure())
      ADD_FAILURE() << "called " << after << " after the failure";
    for (std::size_t i = commands_before; i < session.commands().size(); ++i) {
      for (const auto &problem : session.commands()[i].problems) ADD_FAILURE() << problem;
    }
    EXPECT_FALSE(session.project().undo.group_open());
  }
  return calls;
}

}  // namespace orvane::test

#endif
