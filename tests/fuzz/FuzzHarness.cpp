#include "FuzzHarness.h"

namespace orvane::fuzz {

void CopyProject(host::Project &to, const host::Project &from) { to = from; }

}  // namespace orvane::fuzz
