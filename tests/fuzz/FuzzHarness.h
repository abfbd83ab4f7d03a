// What the session fuzz target does through the host's harness library (built without
// sanitizers or coverage; see CMakeLists.txt), rather than in its own instrumented code.
#ifndef ORVANE_TESTS_FUZZ_HARNESS_H
#define ORVANE_TESTS_FUZZ_HARNESS_H

#include "model/Project.h"

namespace orvane::fuzz {

// `to = from`: the project copied into each input's session. Written here, the copy's inline code
// would be compiled into the instrumented target and cost most of an input.
void CopyProject(host::Project &to, const host::Project &from);

}  // namespace orvane::fuzz

#endif
