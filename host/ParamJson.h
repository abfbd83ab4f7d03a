// Parameter values in the units a scenario uses: points [x, y] in layer pixels, angles in
// degrees, colours [a, r, g, b] bytes, "On" a boolean, paths the mask's path id.
#ifndef ORVANE_HOST_PARAMJSON_H
#define ORVANE_HOST_PARAMJSON_H

#include <nlohmann/json.hpp>

#include "Project.h"

namespace orvane::host {

nlohmann::ordered_json ParamValueJson(const EffectParam &param, const StreamValue &value);
// A scenario's value for a parameter, checked against the parameter's type and valid range;
// throws BadInput saying what is wrong. Paths take a layer mask index (or null for none).
StreamValue ParamValueFromJson(const EffectParam &param, const nlohmann::ordered_json &value,
                               const Project &project);

}  // namespace orvane::host

#endif
