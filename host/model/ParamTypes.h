// What the host knows of each kind of effect parameter, one row per PF_Param type: the value a
// fresh effect starts with, how the value travels in a PF_ParamDef and in an AEGP stream value,
// its text pointer, its valid range and the form people read and write it in. Everything that
// depends on a parameter's type asks its row.
#pragma once

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "model/Project.h"

namespace orvane::host {

// 16.16 fixed point, rounded and saturated to the 32-bit range (NaN becomes 0).
PF_Fixed ToFixed(double v);
double FromFixed(PF_Fixed f);

// The form of a value for people (scenarios and the dump): colours as [a, r, g, b] bytes,
// points as [x, y] layer pixels, numbers, whole numbers, true or false, a mask's path id.
enum class ValueShape { None, Colour, Point, Number, Integer, Boolean, MaskId };

struct ParamType {
  PF_ParamType type;
  bool has_stream;  // groups, buttons and the input layer hold no value
  ValueShape shape;
  // The value a freshly applied effect starts with: point defaults are a percentage of the layer.
  StreamValue (*default_value)(const PF_ParamDef &def, const Layer &layer);
  // Fills the definition's value fields; points are scaled by the downsample factors.
  void (*write)(PF_ParamDef &def, const StreamValue &value, double downsample_x,
                double downsample_y);
  // The stream value a (changed) definition holds, at full resolution.
  StreamValue (*read)(const PF_ParamDef &def);
  AEGP_StreamVal2 (*to_stream)(const StreamValue &value);
  // The application keeps slider values inside their valid range.
  StreamValue (*from_stream)(const PF_ParamDef &def, const AEGP_StreamVal2 &value);
  // The field that points at the parameter's own text (a button's or a checkbox's), or null.
  const A_char **(*text)(PF_ParamDef &def);
  // The range a user may set, where the type has one.
  bool (*range)(const PF_ParamDef &def, double *lo, double *hi);
  const char *unit;  // what a number of this type counts, for messages, or null
  bool holds;        // keyed values are held until the next key, not blended
};

// The row of a type; types the host does not model share a row that holds one number.
const ParamType &TypeOf(PF_ParamType type);
inline const ParamType &TypeOf(const PF_ParamDef &def) { return TypeOf(def.param_type); }

inline StreamValue DefaultValue(const PF_ParamDef &def, const Layer &layer) {
  return TypeOf(def).default_value(def, layer);
}
inline void WriteValue(PF_ParamDef &def, const StreamValue &value, double downsample_x = 1,
                       double downsample_y = 1) {
  TypeOf(def).write(def, value, downsample_x, downsample_y);
}
inline StreamValue ReadValue(const PF_ParamDef &def) { return TypeOf(def).read(def); }

}  // namespace orvane::host
