// A scenario file's text, and its parsing into JSON within the scenario limits, with the file,
// line and column of what does not read.
#pragma once

#include <string>

#include "report/Json.h"
#include "scenario/Limits.h"

namespace orvane::host {

// Reads a scenario file's text, or throws BadInput naming why it cannot.
std::string ReadScenarioFile(const std::string &path, const Limits &limits = Limits());
// Throws BadInput naming the problem, with line and column where the text is not JSON.
Json ParseScenario(const std::string &text, const std::string &origin,
                   const Limits &limits = Limits());

}  // namespace orvane::host
