#include "MissingSuiteError.h"

#include "AE_Effect.h"

namespace Orvane {
void ThrowMissingSuite() { throw A_Err(PF_Err_BAD_CALLBACK_PARAM); }
}  // namespace Orvane
