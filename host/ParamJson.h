// Parameter values in the units a scenario uses: points [x, y] in layer pixels, angles in
// degrees, colours [a, r, g, b] bytes, "On" a boolean, paths the mask's path id.
#ifndef ORVANE_HOST_PARAMJSON_H
#define ORVANE_HOST_PARAMJSON_H

#include <nlohmann/json.hpp>

#include "Project.h"

namespace orvane::host {

nlohmann::ordered_json ParamValueJson(const EffectParam &param, const StreamValue &value);

}  // namespace orvane::host

#endif
