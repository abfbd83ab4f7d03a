// The project dump: the JSON sections of the command-line contract (steps, params, masks, undo,
// info, draw, host).
#pragma once

#include <ostream>
#include <vector>

#include "protocol/Session.h"
#include "report/Json.h"
#include "report/StepRecord.h"

namespace orvane::host {

Json DumpProject(Session &session, const std::vector<StepRecord> &steps);
// The same text as DumpProject(...).dump(2) and a newline, written as it is produced, so an
// hour's bake of millions of keys is never held as one JSON value.
void WriteProject(std::ostream &out, Session &session, const std::vector<StepRecord> &steps);
// The dump's "draw" section: a draw event's operations in order.
Json DrawingJson(const std::vector<DrawOp> &ops);

}  // namespace orvane::host
