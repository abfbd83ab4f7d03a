#include "validate/Validator.h"

#include "model/Errors.h"
#include "validate/Checks.h"
#include "validate/ChildProcess.h"
#include "validate/Watchdog.h"

namespace orvane::host {

namespace {

constexpr std::size_t kMaxFailures = 12;

}  // namespace

void Fail(CheckResult &r, const std::string &what) {
  if (r.failures.size() < kMaxFailures) r.failures.push_back(what);
  r.outcome = CheckResult::Outcome::Failed;
}

const std::vector<Check> &Checks() {
  static const std::vector<Check> checks = {
      {"property_list", "property list layout; version and flags equal what global setup reports",
       CheckPropertyList},
      {"parameters",
       "309 parameters, ids equal to indices, custom UI for composition and layer windows",
       CheckParameters},
      {"handle_hygiene", "the reference session leaks, double-releases and misuses no handle",
       CheckHygiene},
      {"missing_suites",
       "each suite withheld in turn during each command, refused each way a host may: 516, "
       "everything released",
       CheckMissingSuites},
      {"fault_sweep",
       "each host call of each command made to fail: the error comes back, nothing after it but "
       "releases",
       CheckFaultSweep},
      {"render_sentinels",
       "output fully written and nothing around it; input untouched; 8, 16 and 32 bits",
       CheckRenderSentinels},
      {"hostile_values", "NaN, infinite and huge values, Number outside 0..50, unknown path ids",
       CheckHostileValues},
      {"undo_integrity",
       "Create, a second Create, a colour change and Bake are one undo entry each; undoing and "
       "redoing each gives back exactly the project before and after it",
       CheckUndoIntegrity},
  };
  return checks;
}

std::vector<CheckResult> Validate(const std::string &module_path, const ValidateOptions &options) {
  std::vector<CheckResult> results;
  bool known = options.only.empty();
  for (const Check &check : Checks()) {
    if (!options.only.empty() && options.only != check.id) continue;
    known = true;
#if !defined(_WIN32)
    if (!options.in_process) {
      results.push_back(RunInChild(check, module_path, options));
      continue;
    }
#endif
    CheckResult result{
        check.id, check.description, CheckResult::Outcome::Passed, {}, CheckJson::object()};
    // In this process a hang can only be reported by ending the process.
    Watchdog watchdog(options.timeout_seconds, "orvane-host: ");
    watchdog.SetActivity(std::string("check ") + check.id);
    Module module(module_path);
    check.run(CheckContext{module, options.seed}, result);
    results.push_back(result);
  }
  if (!known) throw BadInput("no check named \"" + options.only + "\"");
  return results;
}

CheckJson ToJson(const std::vector<CheckResult> &results) {
  CheckJson checks = CheckJson::array();
  int passed = 0, failed = 0, crashed = 0, timed_out = 0;
  for (const CheckResult &r : results) {
    const char *outcome = r.outcome == CheckResult::Outcome::Passed    ? "passed"
                          : r.outcome == CheckResult::Outcome::Failed  ? "failed"
                          : r.outcome == CheckResult::Outcome::Crashed ? "crashed"
                                                                       : "timed out";
    passed += r.outcome == CheckResult::Outcome::Passed;
    failed += r.outcome == CheckResult::Outcome::Failed;
    crashed += r.outcome == CheckResult::Outcome::Crashed;
    timed_out += r.outcome == CheckResult::Outcome::TimedOut;
    checks.push_back({{"id", r.id},
                      {"description", r.description},
                      {"outcome", outcome},
                      {"failures", r.failures},
                      {"figures", r.figures}});
  }
  return {
      {"checks", checks},
      {"summary",
       {{"passed", passed}, {"failed", failed}, {"crashed", crashed}, {"timed_out", timed_out}}}};
}

}  // namespace orvane::host
