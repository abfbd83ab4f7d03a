// The one exception the plug-in's host-facing code raises: a host error code as A_Err.
#ifndef ORVANE_SDK_UTIL_MISSINGSUITEERROR_H
#define ORVANE_SDK_UTIL_MISSINGSUITEERROR_H

#include "A.h"

namespace Orvane {
// Raises PF_Err_BAD_CALLBACK_PARAM (516) as A_Err; the entry point turns it into the result.
[[noreturn]] void ThrowMissingSuite();
}  // namespace Orvane

#endif
