// Setting a session up from a scenario's sections, before its steps: the composition and the
// layer ("comp", "layer", with a transform that may move over time and a stretched time), the
// windows' view ("view"), and the application the module is told it runs in with the suites it
// publishes ("host").
#pragma once

#include "protocol/Session.h"
#include "report/Json.h"

namespace orvane::host {

// "comp" (width, height, fps, time_scale, duration, work_area) and "layer" (width, height,
// start, stretch, position, anchor, scale, rotation; the last four static or keyframed).
void ConfigureProject(Project &project, const Json &scenario);
// "view": {"zoom", "origin"}.
void ConfigureView(View &view, const Json &scenario);
// "host": {"app": "AE" | "PrMr", "withhold": [suite, ...], "refusal": "error" | "null" |
// "error_with_table"}. A suite is a name (every version the host publishes), a name ending in
// "*" (every suite whose name starts so), or {"name", "version"}.
void ConfigureHost(Session &session, const Json &scenario);

}  // namespace orvane::host
