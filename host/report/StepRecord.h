// What one step of a session did, as the reports show it: the step, the commands it sent with
// their results, and what it changed in the project in words.
#pragma once

#include <string>
#include <vector>

#include "protocol/Session.h"

namespace orvane::host {

struct StepRecord {
  std::string what;  // the step's "do", and the parameter it names
  std::vector<CommandRecord> commands;
  std::vector<std::string> changes;
};

}  // namespace orvane::host
