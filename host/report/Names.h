// Names for people: a command code and an error code as the SDK spells them.
#pragma once

#include <string>

#include "AE_Effect.h"

namespace orvane::host {

std::string CommandName(PF_Cmd cmd);
std::string ErrorName(PF_Err err);

}  // namespace orvane::host
