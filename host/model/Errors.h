// Errors the host reports to its user (as opposed to errors it returns to the module).
#pragma once

#include <stdexcept>
#include <string>

namespace orvane::host {

// Input the user gave us that we cannot use: a scenario, a value, a module path (exit code 2).
struct BadInput : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The module failed in a way the session cannot go on from (an effect it could not apply): the
// run ends there, naming the module's error (exit code 1).
struct ModuleFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace orvane::host
