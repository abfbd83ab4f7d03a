#include "ParamJson.h"

#include <cmath>
#include <sstream>

#include "Errors.h"

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

namespace {

using Json = nlohmann::ordered_json;

double FiniteNumber(const Json &v, const std::string &what) {
  if (!v.is_number() || !std::isfinite(v.get<double>())) throw BadInput(what + " must be a number");
  return v.get<double>();
}

std::string Range(double lo, double hi) {
  std::ostringstream out;
  out << lo << " to " << hi;
  return out.str();
}

}  // namespace

StreamValue ParamValueFromJson(const EffectParam &param, const Json &value,
                               const Project &project) {
  StreamValue out;
  double *v = out.v;
  const PF_ParamDef &def = param.def;
  const std::string name = "\"" + param.name + "\"";
  switch (def.param_type) {
    case PF_Param_COLOR: {
      if (!value.is_array() || value.size() != 4)
        throw BadInput(name + " takes a colour [a, r, g, b] of bytes 0 to 255");
      for (int i = 0; i < 4; ++i) {
        const Json &c = value[std::size_t(i)];
        if (!c.is_number_integer() || c.get<long>() < 0 || c.get<long>() > 255) {
          throw BadInput(name + " takes a colour [a, r, g, b] of bytes 0 to 255");
        }
        v[i] = c.get<long>() / 255.0;
      }
      return out;
    }
    case PF_Param_POINT:
      if (!value.is_array() || value.size() != 2)
        throw BadInput(name + " takes a point [x, y] in layer pixels");
      v[0] = FiniteNumber(value[0], name + " x");
      v[1] = FiniteNumber(value[1], name + " y");
      if (std::fabs(v[0]) > 1e6 || std::fabs(v[1]) > 1e6)
        throw BadInput(name + " is too far outside the layer");
      return out;
    case PF_Param_FLOAT_SLIDER: {
      double lo = def.u.fs_d.valid_min, hi = def.u.fs_d.valid_max;
      v[0] = FiniteNumber(value, name);
      if (v[0] < lo || v[0] > hi) throw BadInput(name + " must be from " + Range(lo, hi));
      return out;
    }
    case PF_Param_ANGLE:
      v[0] = FiniteNumber(value, name + " (degrees)");
      return out;
    case PF_Param_SLIDER: {
      double lo = def.u.sd.valid_min, hi = def.u.sd.valid_max;
      if (!value.is_number_integer())
        throw BadInput(name + " takes a whole number from " + Range(lo, hi));
      v[0] = double(value.get<long long>());
      if (v[0] < lo || v[0] > hi) throw BadInput(name + " must be from " + Range(lo, hi));
      return out;
    }
    case PF_Param_CHECKBOX:
      if (!value.is_boolean()) throw BadInput(name + " takes true or false");
      v[0] = value.get<bool>() ? 1 : 0;
      return out;
    case PF_Param_PATH: {
      if (value.is_null()) return out;
      const long count = long(project.layer.masks.size());
      if (!value.is_number_integer() || value.get<long>() < 0 || value.get<long>() >= count) {
        throw BadInput(name + " takes a mask index from 0 to " + std::to_string(count - 1) +
                       ", or null for none" + (count == 0 ? " (the layer has no masks)" : ""));
      }
      v[0] = project.layer.masks[std::size_t(value.get<long>())].id;
      return out;
    }
    default:
      throw BadInput(
          name + " has no value to set" +
          std::string(def.param_type == PF_Param_BUTTON ? "; use {\"do\": \"press\"}" : ""));
  }
}

}  // namespace orvane::host
