// A scenario's values for effect parameters and expressions, checked against the parameter's
// type and valid range; each throws BadInput saying what is wrong.
#pragma once

#include <optional>

#include "model/Project.h"
#include "report/Json.h"

namespace orvane::host {

// Paths take a layer mask index (or null for none).
StreamValue ParamValueFromJson(const EffectParam &param, const Json &value, const Project &project);
// A value as the project holds it (a saved project's "raw"), held to what `set` accepts: the
// parameter's range, whole numbers where it takes them, a colour's fractions from 0 to 1, and
// zero in the numbers its type does not use. Throws BadInput naming the parameter.
void CheckHeldValue(const EffectParam &param, const StreamValue &value);
// An expression's offset as the project holds it, held to what the "expression" step accepts.
void CheckHeldExpression(const EffectParam &param, const StreamValue &offset);
// An expression's offset, checked against the parameter's type; null means none.
std::optional<StreamValue> ParamExpressionFromJson(const EffectParam &param, const Json &value);
// [dx, dy] moves every vertex; a list of per-vertex offsets ([dx, dy] or the six numbers of a
// vertex) moves each vertex by its own.
std::optional<OutlineExpression> OutlineExpressionFromJson(const Json &value);

}  // namespace orvane::host
