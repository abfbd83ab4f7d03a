#include "ParamJson.h"

#include <cmath>

namespace orvane::host {

nlohmann::ordered_json ParamValueJson(const EffectParam &param, const StreamValue &value) {
  const double *v = value.v;
  switch (param.def.param_type) {
    case PF_Param_COLOR: {
      nlohmann::ordered_json bytes = nlohmann::ordered_json::array();
      for (int i = 0; i < 4; ++i) bytes.push_back(int(std::lround(v[i] * 255.0)));
      return bytes;
    }
    case PF_Param_POINT:
      return {v[0], v[1]};
    case PF_Param_FLOAT_SLIDER:
    case PF_Param_ANGLE:
      return v[0];
    case PF_Param_SLIDER:
      return std::lround(v[0]);
    case PF_Param_CHECKBOX:
      return v[0] != 0;
    case PF_Param_PATH:
      return static_cast<uint32_t>(v[0]);
    default:
      return nullptr;
  }
}

}  // namespace orvane::host
