// orvane-host validate: a registry of named checks of an effect module, each proven by a
// deliberately broken module that must fail it.
#ifndef ORVANE_HOST_VALIDATOR_H
#define ORVANE_HOST_VALIDATOR_H

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Module.h"

namespace orvane::host {

struct CheckResult {
  std::string id;
  std::string description;
  enum class Outcome { Passed, Failed, Crashed, TimedOut } outcome = Outcome::Passed;
  std::vector<std::string> failures;  // the first few, each saying what went wrong and where
  nlohmann::ordered_json figures = nlohmann::ordered_json::object();  // counts worth reporting
};

struct Check {
  const char *id;
  const char *description;
  std::function<void(Module &module, CheckResult &result)> run;
};

// Every check, in the order they run.
const std::vector<Check> &Checks();

struct ValidateOptions {
  bool in_process = false;      // run checks in this process rather than one child each
  unsigned seed = 1;            // for the checks that draw random values
  std::string only;             // run just the check with this id
  double timeout_seconds = 60;  // per check
};

std::vector<CheckResult> Validate(const std::string &module_path, const ValidateOptions &options);
nlohmann::ordered_json ToJson(const std::vector<CheckResult> &results);

}  // namespace orvane::host

#endif
