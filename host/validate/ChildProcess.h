// Running one check in a child process: a crash, a signal or a time-out is the check's outcome,
// never the validator's end.
#pragma once

#include <string>

#include "validate/Validator.h"

namespace orvane::host {

#if !defined(_WIN32)
CheckResult RunInChild(const Check &check, const std::string &module_path,
                       const ValidateOptions &options);
#endif

}  // namespace orvane::host
