// Values of the project as the dump and scenarios write them: parameter values in their type's
// form for people (colours as [a, r, g, b] bytes, points [x, y] in layer pixels, angles in
// degrees, "On" a boolean, paths the mask's path id), vertices, and expressions' offsets.
#pragma once

#include "model/Project.h"
#include "report/Json.h"

namespace orvane::host {

Json ParamValueJson(const EffectParam &param, const StreamValue &value);
// Appends a number as the JSON library writes it (its shortest form that reads back the same
// double; null when not finite), for writers that stream without making JSON values.
void AppendJsonNumber(std::string &out, double v);
// A vertex: [x, y], or the six numbers when it has tangents.
Json VertexJson(const AEGP_MaskVertex &v);
// The offsets of an expression, in the forms a scenario gives them.
Json ExpressionJson(const EffectParam &param);
Json ExpressionJson(const OutlineExpression &expression);

}  // namespace orvane::host
