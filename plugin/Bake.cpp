#include "MaskCommands.h"

namespace Orvane {

void BakeMasks(MaskCommand &, const ChangeTarget &, PF_ParamDef *[]) {}

}  // namespace Orvane
