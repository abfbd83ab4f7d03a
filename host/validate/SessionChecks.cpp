// How the module treats the host through the reference session: handles given back, suites
// that are missing, every host call made to fail.
#include <limits>
#include <random>

#include "protocol/PropertyListReader.h"
#include "protocol/Suites.h"
#include "validate/Checks.h"
#include "validate/ReferenceSession.h"

namespace orvane::host {

using namespace reference;

namespace {

constexpr PF_Err kInjected = 0x4F56;  // an error no host function returns by itself

}  // namespace

void CheckHygiene(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  auto s = FreshSession(module);
  for (const Command &c : Commands()) {
    const std::size_t from = s->commands().size();
    if (PF_Err err = c.send(*s)) Fail(r, std::string(c.name) + " returned " + std::to_string(err));
    ExpectNoProblems(*s, from, c.name, r);
  }
  s->GlobalSetdown();
  for (const auto &problem : s->problems()) {
    if (problem.find("after global tear-down") != std::string::npos) Fail(r, problem);
  }
  r.figures["commands"] = s->commands().size();
  r.figures["host_calls"] = s->trace().calls();
}

void CheckMissingSuites(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  std::size_t withheld = 0;
  for (std::size_t i = 0; i < Commands().size(); ++i) {
    const Command &c = Commands()[i];
    // The suites this command asks for.
    std::vector<SuiteKey> asked;
    {
      auto s = FreshSession(module);
      if (!Replay(*s, i))
        return Fail(r, std::string("the reference session fails before ") + c.name);
      (void)s->suites().TakeImbalance();
      auto before = s->suites().uses();
      c.send(*s);
      for (const auto &[key, use] : s->suites().uses()) {
        auto it = before.find(key);
        if (use.acquired > (it == before.end() ? 0 : it->second.acquired)) asked.push_back(key);
      }
    }
    // Every way a host may refuse: an error and no table, success with a null table, and an
    // error with a table written all the same.
    static const std::pair<Refusal, const char *> kRefusals[] = {
        {Refusal::ErrorNoTable, "an error"},
        {Refusal::NullTable, "a null table"},
        {Refusal::ErrorWithTable, "an error with a table"}};
    for (const SuiteKey &suite : asked) {
      for (const auto &[refusal, how] : kRefusals) {
        ++withheld;
        auto s = FreshSession(module);
        Replay(*s, i);
        const std::size_t from = s->commands().size();
        s->suites().set_refusal(refusal);
        s->suites().Withhold(suite.first, suite.second);
        const PF_Err err = c.send(*s);
        const std::string where = std::string(c.name) + " without \"" + suite.first + "\" " +
                                  std::to_string(suite.second) + " (refused with " + how + ")";
        // Drawing reports a missing Drawbot suite through its own helpers and draws nothing.
        const bool drawbot = suite.first.rfind("DRAWBOT", 0) == 0 && !c.passes_errors_on;
        if (!drawbot && err != PF_Err_BAD_CALLBACK_PARAM)
          Fail(r, where + " returned " + std::to_string(err) + ", not 516");
        ExpectNoProblems(*s, from, where, r);
      }
    }
  }
  r.figures["suites_withheld"] = withheld;
}

void CheckFaultSweep(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  std::size_t injected = 0, survived = 0;
  for (std::size_t i = 0; i < Commands().size(); ++i) {
    const Command &c = Commands()[i];
    std::size_t calls = 0;
    {
      auto s = FreshSession(module);
      if (!Replay(*s, i))
        return Fail(r, std::string("the reference session fails before ") + c.name);
      s->trace().Reset();
      c.send(*s);
      calls = s->trace().calls();
    }
    for (std::size_t k = 1; k <= calls; ++k) {
      auto s = FreshSession(module);
      Replay(*s, i);
      const std::size_t from = s->commands().size();
      s->trace().Reset();
      s->trace().FailCallAt(k, kInjected);
      const PF_Err err = c.send(*s);
      const HostFunction fault = s->trace().fault();
      if (!fault.name || !fault.can_fail()) continue;  // a call that cannot fail
      ++injected;
      const std::size_t failures_before = r.failures.size();
      const auto outcome_before = r.outcome;
      const std::string where =
          std::string(c.name) + ", call " + std::to_string(k) + " (" + fault.name + ") failing";
      // Calls that hand back a pointer report failure as the error of their own kind.
      const bool code_returned = !fault.has(kFailsAsNull);
      const bool not_passed_on = fault.has(kNeedNotPassOn);
      if (c.passes_errors_on && !not_passed_on) {
        if (code_returned ? err != kInjected : err == PF_Err_NONE)
          Fail(r, where + ": returned " + std::to_string(err));
      }
      // Checked by the trace as the calls happen: the first call after the failure that was
      // not a release.
      if (const char *after = s->trace().called_after_failure())
        Fail(r, where + ": called " + after + " afterwards");
      ExpectNoProblems(*s, from, where, r);
      if (r.failures.size() == failures_before && r.outcome == outcome_before) ++survived;
    }
  }
  r.figures["faults_injected"] = injected;
  r.figures["faults_survived"] = survived;
}

}  // namespace orvane::host
