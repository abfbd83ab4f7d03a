#include "report/ValueJson.h"

#include <cmath>
#include <cstdint>

#include "model/ParamTypes.h"

namespace orvane::host {

void AppendJsonNumber(std::string &out, double v) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buffer[64];
  char *end = ::nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, end);
}

Json ParamValueJson(const EffectParam &param, const StreamValue &value) {
  const double *v = value.v;
  switch (TypeOf(param.def).shape) {
    case ValueShape::Colour: {
      Json bytes = Json::array();
      for (int i = 0; i < 4; ++i) bytes.push_back(int(std::lround(v[i] * 255.0)));
      return bytes;
    }
    case ValueShape::Point:
      return {v[0], v[1]};
    case ValueShape::Number:
      return v[0];
    case ValueShape::Integer:
      return std::lround(v[0]);
    case ValueShape::Boolean:
      return v[0] != 0;
    case ValueShape::MaskId:
      return static_cast<uint32_t>(v[0]);
    case ValueShape::None:
      break;
  }
  return nullptr;
}

Json VertexJson(const AEGP_MaskVertex &v) {
  if (v.tan_in_x || v.tan_in_y || v.tan_out_x || v.tan_out_y)
    return {v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y};
  return {v.x, v.y};
}

Json ExpressionJson(const EffectParam &param) {
  if (!param.expression) return nullptr;
  const double *v = param.expression->v;
  switch (TypeOf(param.def).shape) {
    case ValueShape::Point:
      return {v[0], v[1]};
    case ValueShape::Colour:
      return {v[0] * 255, v[1] * 255, v[2] * 255, v[3] * 255};
    default:
      return v[0];
  }
}

Json ExpressionJson(const OutlineExpression &e) {
  if (e.uniform) return {e.offsets[0].x, e.offsets[0].y};
  Json out = Json::array();
  for (const AEGP_MaskVertex &d : e.offsets) out.push_back(VertexJson(d));
  return out;
}

}  // namespace orvane::host
