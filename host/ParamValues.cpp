#include "ParamValues.h"

#include <cmath>
#include <limits>

namespace orvane::host {

namespace {

A_u_char ToByte(double unit) {
  double v = std::round(unit * 255.0);
  if (!(v >= 0)) return 0;
  return v > 255 ? 255 : A_u_char(v);
}

}  // namespace

PF_Fixed ToFixed(double v) {
  double f = std::round(v * 65536.0);
  if (std::isnan(f)) return 0;
  if (f >= double(std::numeric_limits<PF_Fixed>::max()))
    return std::numeric_limits<PF_Fixed>::max();
  if (f <= double(std::numeric_limits<PF_Fixed>::min()))
    return std::numeric_limits<PF_Fixed>::min();
  return PF_Fixed(f);
}

double FromFixed(PF_Fixed f) { return f / 65536.0; }

StreamValue DefaultValue(const PF_ParamDef &def, const Layer &layer) {
  StreamValue v;
  switch (def.param_type) {
    case PF_Param_COLOR:
      v.v[0] = def.u.cd.dephault.alpha / 255.0;
      v.v[1] = def.u.cd.dephault.red / 255.0;
      v.v[2] = def.u.cd.dephault.green / 255.0;
      v.v[3] = def.u.cd.dephault.blue / 255.0;
      break;
    case PF_Param_POINT:
      v.v[0] = FromFixed(def.u.td.x_dephault) / 100.0 * layer.width;
      v.v[1] = FromFixed(def.u.td.y_dephault) / 100.0 * layer.height;
      break;
    case PF_Param_FLOAT_SLIDER:
      v.v[0] = def.u.fs_d.dephault;
      break;
    case PF_Param_ANGLE:
      v.v[0] = FromFixed(def.u.ad.dephault);
      break;
    case PF_Param_SLIDER:
      v.v[0] = def.u.sd.dephault;
      break;
    case PF_Param_CHECKBOX:
      v.v[0] = def.u.bd.dephault ? 1 : 0;
      break;
    case PF_Param_PATH:
      v.v[0] = def.u.path_d.dephault;
      break;
    default:
      break;
  }
  return v;
}

void WriteValue(PF_ParamDef &def, const StreamValue &value, double downsample_x,
                double downsample_y) {
  const double *v = value.v;
  switch (def.param_type) {
    case PF_Param_COLOR:
      def.u.cd.value = PF_Pixel{ToByte(v[0]), ToByte(v[1]), ToByte(v[2]), ToByte(v[3])};
      break;
    case PF_Param_POINT:
      def.u.td.x_value = ToFixed(v[0] * downsample_x);
      def.u.td.y_value = ToFixed(v[1] * downsample_y);
      break;
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.value = v[0];
      break;
    case PF_Param_ANGLE:
      def.u.ad.value = ToFixed(v[0]);
      break;
    case PF_Param_SLIDER:
      def.u.sd.value = PF_ParamValue(std::lround(v[0]));
      break;
    case PF_Param_CHECKBOX:
      def.u.bd.value = v[0] != 0 ? 1 : 0;
      break;
    case PF_Param_PATH:
      def.u.path_d.path_id = PF_PathID(v[0]);
      break;
    default:
      break;
  }
}

StreamValue ReadValue(const PF_ParamDef &def) {
  StreamValue out;
  double *v = out.v;
  switch (def.param_type) {
    case PF_Param_COLOR:
      v[0] = def.u.cd.value.alpha / 255.0;
      v[1] = def.u.cd.value.red / 255.0;
      v[2] = def.u.cd.value.green / 255.0;
      v[3] = def.u.cd.value.blue / 255.0;
      break;
    case PF_Param_POINT:
      v[0] = FromFixed(def.u.td.x_value);
      v[1] = FromFixed(def.u.td.y_value);
      break;
    case PF_Param_FLOAT_SLIDER:
      v[0] = def.u.fs_d.value;
      break;
    case PF_Param_ANGLE:
      v[0] = FromFixed(def.u.ad.value);
      break;
    case PF_Param_SLIDER:
      v[0] = def.u.sd.value;
      break;
    case PF_Param_CHECKBOX:
      v[0] = def.u.bd.value ? 1 : 0;
      break;
    case PF_Param_PATH:
      v[0] = def.u.path_d.path_id;
      break;
    default:
      break;
  }
  return out;
}

}  // namespace orvane::host
