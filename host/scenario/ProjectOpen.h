// Opening a saved project (docs/project-file.md) in a session, as the application opens a
// project that has the effect applied: the project's composition, layer and masks, global setup
// and parameter setup, the saved values over the defaults, then the UI update.
#pragma once

#include <cstddef>
#include <string>

#include "protocol/Session.h"
#include "report/Json.h"
#include "scenario/Limits.h"

namespace orvane::host {

// The file's text parsed within the scenario limits; BadInput ("FILE: why") when it cannot be.
Json ReadProjectFile(const std::string &path, const Limits &limits);
// Ends what the session had (global tear-down), starts it afresh from `file`, and sends the
// commands of an opened project. Throws BadInput naming `origin` and the part that is wrong.
// The run limits are checked with the opened layer for the `steps_to_come`.
void OpenProject(Session &session, const Json &file, const std::string &origin,
                 const Limits &limits, std::size_t steps_to_come);

}  // namespace orvane::host
