// Scenario keys for what the host models beyond sizes and steps: the application the module is
// told it runs in and the suites that application publishes, a layer whose transform moves over
// time or whose time is stretched, and expressions on parameters and mask outlines.
#ifndef ORVANE_HOST_SCENARIOMODEL_H
#define ORVANE_HOST_SCENARIOMODEL_H

#include <nlohmann/json.hpp>

#include "Session.h"

namespace orvane::host {

using Json = nlohmann::ordered_json;

// "host": {"app": "AE" | "PrMr", "withhold": [suite, ...], "refusal": "error" | "null" |
// "error_with_table"}. A suite is a name (every version the host publishes), a name ending in
// "*" (every suite whose name starts so), or {"name", "version"}.
void ConfigureHost(Session &session, const Json &scenario);

// Whether a "layer" key holds keyframes ([{"time", "value"}, ...]) rather than a static value.
bool IsKeyframes(const Json &section, const char *key);
// "layer": "stretch" (percent) and the keyframed forms of "position", "anchor", "scale" and
// "rotation"; key times are composition seconds.
void ConfigureLayerAnimation(Project &project, const Json &layer);

// An expression's offset from a scenario value, checked against the parameter's type; null
// means none.
std::optional<StreamValue> ParamExpressionFromJson(const EffectParam &param, const Json &value);
// [dx, dy] moves every vertex; a list of per-vertex offsets ([dx, dy] or the six numbers of a
// vertex) moves each vertex by its own.
std::optional<OutlineExpression> OutlineExpressionFromJson(const Json &value);

// A vertex as scenarios and the dump write it: [x, y], or the six numbers when it has tangents.
Json VertexJson(const AEGP_MaskVertex &v);
// The offsets as the dump shows them, in the same forms.
Json ExpressionJson(const EffectParam &param);
Json ExpressionJson(const OutlineExpression &expression);

}  // namespace orvane::host

#endif
