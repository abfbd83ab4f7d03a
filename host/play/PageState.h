// What the page shows of the project, in the form its panels read: the Effect Controls in the
// order the effect registered them, the masks, the timeline's marks, the Info panel, the undo
// history and the windows' sizes. Values are in the dump's forms (report/ValueJson.h).
#pragma once

#include <cstddef>

#include "protocol/Session.h"
#include "report/Json.h"

namespace orvane::host::play {

Json PageState(Session &session, std::size_t steps_played);
// The value of every parameter that has one, by name, at the current time: what a drag's
// answers carry instead of the whole state.
Json ControlValues(const Project &project);

}  // namespace orvane::host::play
