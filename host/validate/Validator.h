// orvane-host validate: a registry of named checks of an effect module, each proven by a
// deliberately broken module that must fail it. Each check runs in a child process of its own
// unless asked otherwise, so a crash or a hang is that check's outcome.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "protocol/Module.h"

namespace orvane::host {

// The validator's report is JSON of its own (it uses the protocol and the model only).
using CheckJson = nlohmann::ordered_json;

struct CheckResult {
  std::string id;
  std::string description;
  enum class Outcome { Passed, Failed, Crashed, TimedOut } outcome = Outcome::Passed;
  std::vector<std::string> failures;        // the first few, each saying what went wrong and where
  CheckJson figures = CheckJson::object();  // counts worth reporting
};

// What a check is given: the module, loaded afresh, and the run's options that concern it.
struct CheckContext {
  Module &module;
  unsigned seed = 1;  // for the checks that draw random values
};

struct Check {
  const char *id;
  const char *description;
  std::function<void(const CheckContext &context, CheckResult &result)> run;
};

// Every check, in the order they run.
const std::vector<Check> &Checks();

// Records a failure (the first few are kept) and marks the check failed.
void Fail(CheckResult &r, const std::string &what);

struct ValidateOptions {
  bool in_process = false;      // run checks in this process rather than one child each
  unsigned seed = 1;            // for the checks that draw random values
  std::string only;             // run just the check with this id
  double timeout_seconds = 60;  // per check
};

std::vector<CheckResult> Validate(const std::string &module_path, const ValidateOptions &options);
CheckJson ToJson(const std::vector<CheckResult> &results);

}  // namespace orvane::host
