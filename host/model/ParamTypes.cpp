#include "model/ParamTypes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane::host {

namespace {

A_u_char ToByte(double unit) {
  double v = std::round(unit * 255.0);
  if (!(v >= 0)) return 0;
  return v > 255 ? 255 : A_u_char(v);
}

StreamValue One(double v) {
  StreamValue out;
  out.v[0] = v;
  return out;
}

// What the rows of types without a value of their own hold.
StreamValue NoDefault(const PF_ParamDef &, const Layer &) { return {}; }
void NoWrite(PF_ParamDef &, const StreamValue &, double, double) {}
StreamValue NoRead(const PF_ParamDef &) { return {}; }
AEGP_StreamVal2 OneToStream(const StreamValue &v) {
  AEGP_StreamVal2 val{};
  val.one_d = v.v[0];
  return val;
}
StreamValue OneFromStream(const PF_ParamDef &, const AEGP_StreamVal2 &val) {
  return One(val.one_d);
}
const A_char **NoText(PF_ParamDef &) { return nullptr; }
bool NoRange(const PF_ParamDef &, double *, double *) { return false; }

StreamValue PixelValue(const PF_Pixel &p) {
  StreamValue v;
  v.v[0] = p.alpha / 255.0;
  v.v[1] = p.red / 255.0;
  v.v[2] = p.green / 255.0;
  v.v[3] = p.blue / 255.0;
  return v;
}

const ParamType kColor = {
    PF_Param_COLOR,
    true,
    ValueShape::Colour,
    [](const PF_ParamDef &d, const Layer &) { return PixelValue(d.u.cd.dephault); },
    [](PF_ParamDef &d, const StreamValue &s, double, double) {
      const double *v = s.v;
      d.u.cd.value = PF_Pixel{ToByte(v[0]), ToByte(v[1]), ToByte(v[2]), ToByte(v[3])};
    },
    [](const PF_ParamDef &d) { return PixelValue(d.u.cd.value); },
    [](const StreamValue &s) {
      AEGP_StreamVal2 val{};
      val.color = AEGP_ColorVal{s.v[0], s.v[1], s.v[2], s.v[3]};
      return val;
    },
    [](const PF_ParamDef &, const AEGP_StreamVal2 &val) {
      StreamValue v;
      v.v[0] = val.color.alphaF;
      v.v[1] = val.color.redF;
      v.v[2] = val.color.greenF;
      v.v[3] = val.color.blueF;
      return v;
    },
    NoText,
    NoRange,
    nullptr,
    false};

const ParamType kPoint = {PF_Param_POINT,
                          true,
                          ValueShape::Point,
                          [](const PF_ParamDef &d, const Layer &layer) {
                            StreamValue v;
                            v.v[0] = FromFixed(d.u.td.x_dephault) / 100.0 * layer.width;
                            v.v[1] = FromFixed(d.u.td.y_dephault) / 100.0 * layer.height;
                            return v;
                          },
                          [](PF_ParamDef &d, const StreamValue &s, double dx, double dy) {
                            d.u.td.x_value = ToFixed(s.v[0] * dx);
                            d.u.td.y_value = ToFixed(s.v[1] * dy);
                          },
                          [](const PF_ParamDef &d) {
                            StreamValue v;
                            v.v[0] = FromFixed(d.u.td.x_value);
                            v.v[1] = FromFixed(d.u.td.y_value);
                            return v;
                          },
                          [](const StreamValue &s) {
                            AEGP_StreamVal2 val{};
                            val.two_d = AEGP_TwoDVal{s.v[0], s.v[1]};
                            return val;
                          },
                          [](const PF_ParamDef &, const AEGP_StreamVal2 &val) {
                            StreamValue v;
                            v.v[0] = val.two_d.x;
                            v.v[1] = val.two_d.y;
                            return v;
                          },
                          NoText,
                          NoRange,
                          nullptr,
                          false};

const ParamType kFloatSlider = {
    PF_Param_FLOAT_SLIDER,
    true,
    ValueShape::Number,
    [](const PF_ParamDef &d, const Layer &) { return One(d.u.fs_d.dephault); },
    [](PF_ParamDef &d, const StreamValue &s, double, double) { d.u.fs_d.value = s.v[0]; },
    [](const PF_ParamDef &d) { return One(d.u.fs_d.value); },
    OneToStream,
    [](const PF_ParamDef &d, const AEGP_StreamVal2 &val) {
      return One(std::clamp(val.one_d, double(d.u.fs_d.valid_min), double(d.u.fs_d.valid_max)));
    },
    NoText,
    [](const PF_ParamDef &d, double *lo, double *hi) {
      *lo = d.u.fs_d.valid_min;
      *hi = d.u.fs_d.valid_max;
      return true;
    },
    nullptr,
    false};

const ParamType kAngle = {
    PF_Param_ANGLE,
    true,
    ValueShape::Number,
    [](const PF_ParamDef &d, const Layer &) { return One(FromFixed(d.u.ad.dephault)); },
    [](PF_ParamDef &d, const StreamValue &s, double, double) { d.u.ad.value = ToFixed(s.v[0]); },
    [](const PF_ParamDef &d) { return One(FromFixed(d.u.ad.value)); },
    OneToStream,
    OneFromStream,
    NoText,
    NoRange,
    "degrees",
    false};

const ParamType kSlider = {PF_Param_SLIDER,
                           true,
                           ValueShape::Integer,
                           [](const PF_ParamDef &d, const Layer &) { return One(d.u.sd.dephault); },
                           [](PF_ParamDef &d, const StreamValue &s, double, double) {
                             d.u.sd.value = PF_ParamValue(std::lround(s.v[0]));
                           },
                           [](const PF_ParamDef &d) { return One(d.u.sd.value); },
                           OneToStream,
                           [](const PF_ParamDef &d, const AEGP_StreamVal2 &val) {
                             return One(std::clamp(std::round(val.one_d), double(d.u.sd.valid_min),
                                                   double(d.u.sd.valid_max)));
                           },
                           NoText,
                           [](const PF_ParamDef &d, double *lo, double *hi) {
                             *lo = d.u.sd.valid_min;
                             *hi = d.u.sd.valid_max;
                             return true;
                           },
                           nullptr,
                           false};

const ParamType kCheckbox = {
    PF_Param_CHECKBOX,
    true,
    ValueShape::Boolean,
    [](const PF_ParamDef &d, const Layer &) { return One(d.u.bd.dephault ? 1 : 0); },
    [](PF_ParamDef &d, const StreamValue &s, double, double) {
      d.u.bd.value = s.v[0] != 0 ? 1 : 0;
    },
    [](const PF_ParamDef &d) { return One(d.u.bd.value ? 1 : 0); },
    OneToStream,
    [](const PF_ParamDef &, const AEGP_StreamVal2 &val) { return One(val.one_d != 0 ? 1 : 0); },
    [](PF_ParamDef &d) { return &d.u.bd.u.nameptr; },
    NoRange,
    nullptr,
    true};

const ParamType kPath = {
    PF_Param_PATH,
    true,
    ValueShape::MaskId,
    [](const PF_ParamDef &d, const Layer &) { return One(d.u.path_d.dephault); },
    [](PF_ParamDef &d, const StreamValue &s, double, double) {
      d.u.path_d.path_id = PF_PathID(s.v[0]);
    },
    [](const PF_ParamDef &d) { return One(d.u.path_d.path_id); },
    [](const StreamValue &s) {
      AEGP_StreamVal2 val{};
      val.mask_id = AEGP_MaskIDVal(s.v[0]);
      return val;
    },
    [](const PF_ParamDef &, const AEGP_StreamVal2 &val) { return One(val.mask_id); },
    NoText,
    NoRange,
    nullptr,
    true};

const ParamType kButton = {
    PF_Param_BUTTON, false,         ValueShape::None,
    NoDefault,       NoWrite,       NoRead,
    OneToStream,     OneFromStream, [](PF_ParamDef &d) { return &d.u.button_d.u.namesptr; },
    NoRange,         nullptr,       false};

// Groups and the input layer hold no value; a choice (popup) holds one number, kept until the next
// key; another type the host does not model holds one number.
const ParamType kNoValue = {PF_Param_LAYER, false,   ValueShape::None, NoDefault,
                            NoWrite,        NoRead,  OneToStream,      OneFromStream,
                            NoText,         NoRange, nullptr,          true};
const ParamType kPopup = {PF_Param_POPUP, true,    ValueShape::None, NoDefault,
                          NoWrite,        NoRead,  OneToStream,      OneFromStream,
                          NoText,         NoRange, nullptr,          true};
const ParamType kOther = {PF_Param_NO_DATA, true,    ValueShape::None, NoDefault,
                          NoWrite,          NoRead,  OneToStream,      OneFromStream,
                          NoText,           NoRange, nullptr,          false};

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

const ParamType &TypeOf(PF_ParamType type) {
  switch (type) {
    case PF_Param_COLOR:
      return kColor;
    case PF_Param_POINT:
      return kPoint;
    case PF_Param_FLOAT_SLIDER:
      return kFloatSlider;
    case PF_Param_ANGLE:
      return kAngle;
    case PF_Param_SLIDER:
      return kSlider;
    case PF_Param_CHECKBOX:
      return kCheckbox;
    case PF_Param_PATH:
      return kPath;
    case PF_Param_BUTTON:
      return kButton;
    case PF_Param_POPUP:
      return kPopup;
    case PF_Param_LAYER:
    case PF_Param_GROUP_START:
    case PF_Param_GROUP_END:
      return kNoValue;
    default:
      return kOther;
  }
}

}  // namespace orvane::host
