// Conversions between the host's stream values and the parameter definitions the module sees.
#ifndef ORVANE_HOST_PARAMVALUES_H
#define ORVANE_HOST_PARAMVALUES_H

#include "AE_Effect.h"
#include "Project.h"

namespace orvane::host {

// 16.16 fixed point, rounded and saturated to the 32-bit range (NaN becomes 0).
PF_Fixed ToFixed(double v);
double FromFixed(PF_Fixed f);

// The value a freshly applied effect starts with: point defaults are a percentage of the layer.
StreamValue DefaultValue(const PF_ParamDef &def, const Layer &layer);
// Fills the definition's value fields; points are scaled by the downsample factors.
void WriteValue(PF_ParamDef &def, const StreamValue &value, double downsample_x = 1,
                double downsample_y = 1);
// The stream value a (changed) definition holds, at full resolution.
StreamValue ReadValue(const PF_ParamDef &def);

}  // namespace orvane::host

#endif
