// Carrying points between layer (source), composition and window (frame) coordinates through
// the callbacks the host hands over with every custom-UI event.
#ifndef ORVANE_UI_CONTROLUI_H
#define ORVANE_UI_CONTROLUI_H

#include "AE_EffectUI.h"

namespace Orvane {

// Integer pixels to 16.16, saturating at the range 16.16 can hold.
PF_Fixed IntToFixed(A_long v);
// 16.16 to integer pixels, rounding toward minus infinity (-1.5 gives -2).
A_long FixedToInt(PF_Fixed v);
// A double to 16.16, rounding half away from zero and saturating (NaN gives 0).
PF_Fixed DoubleToFixed(double v);

PF_WindowType WindowType(const PF_EventExtra *extra);

}  // namespace Orvane

// In place: layer point to window frame (through the composition in a composition window).
PF_Err Source2FramePoint(PF_InData *in_data, PF_EventExtra *extra, PF_FixedPoint *point);
// In place: window frame to layer point, the inverse of Source2FramePoint.
PF_Err Frame2SourcePoint(PF_InData *in_data, PF_EventExtra *extra, PF_FixedPoint *point);

// The four conversions of one shape, so a caller can pick one by window type and pass it on.
// `in` and `out` may be the same point; `fixed_out` keeps the sub-pixel part.
using PointConversion = void (*)(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in,
                                 PF_Point *out, PF_FixedPoint *fixed_out);
void Layer2CompFrame(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                     PF_FixedPoint *fixed_out);
void Layer2LayerFrame(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                      PF_FixedPoint *fixed_out);
void LayerFrame2Layer(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                      PF_FixedPoint *fixed_out);
void CompFrame2Layer(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                     PF_FixedPoint *fixed_out);

#endif
