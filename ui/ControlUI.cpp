#include "ControlUI.h"

#include <cmath>
#include <limits>

namespace Orvane {

PF_Fixed IntToFixed(A_long v) {
  const A_long clamped = v < -32768 ? -32768 : (v > 32767 ? 32767 : v);
  return clamped * 65536;
}

A_long FixedToInt(PF_Fixed v) { return A_long(std::floor(v / 65536.0)); }

PF_Fixed DoubleToFixed(double v) {
  const double scaled = v * 65536.0 + (v >= 0 ? 0.5 : -0.5);
  if (std::isnan(scaled)) return 0;
  if (scaled >= double(std::numeric_limits<PF_Fixed>::max()))
    return std::numeric_limits<PF_Fixed>::max();
  if (scaled <= double(std::numeric_limits<PF_Fixed>::min()))
    return std::numeric_limits<PF_Fixed>::min();
  return PF_Fixed(scaled);
}

PF_WindowType WindowType(const PF_EventExtra *extra) { return (*extra->contextH)->w_type; }

}  // namespace Orvane

using namespace Orvane;

namespace {

enum class Step { LayerToComp, CompToLayer, SourceToFrame, FrameToSource };

PF_Err Apply(PF_InData *in_data, PF_EventExtra *extra, Step step, PF_FixedPoint *point) {
  PF_EventCallbacks &cbs = extra->cbs;
  switch (step) {
    case Step::LayerToComp:
      return cbs.layer_to_comp(cbs.refcon, extra->contextH, in_data->current_time,
                               A_long(in_data->time_scale), point);
    case Step::CompToLayer:
      return cbs.comp_to_layer(cbs.refcon, extra->contextH, in_data->current_time,
                               A_long(in_data->time_scale), point);
    case Step::SourceToFrame:
      return cbs.source_to_frame(cbs.refcon, extra->contextH, point);
    case Step::FrameToSource:
      return cbs.frame_to_source(cbs.refcon, extra->contextH, point);
  }
  return PF_Err_NONE;
}

// Integer point to 16.16, the steps in order, then back to integers; the callbacks' results are
// not consulted, as a conversion has nothing to do about them.
void Convert(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
             PF_FixedPoint *fixed_out, Step first, const Step *second) {
  *fixed_out = PF_FixedPoint{IntToFixed(in->h), IntToFixed(in->v)};
  (void)Apply(in_data, extra, first, fixed_out);
  if (second) (void)Apply(in_data, extra, *second, fixed_out);
  *out = PF_Point{FixedToInt(fixed_out->x), FixedToInt(fixed_out->y)};
}

}  // namespace

PF_Err Source2FramePoint(PF_InData *in_data, PF_EventExtra *extra, PF_FixedPoint *point) {
  if (WindowType(extra) == PF_Window_COMP) (void)Apply(in_data, extra, Step::LayerToComp, point);
  return Apply(in_data, extra, Step::SourceToFrame, point);
}

PF_Err Frame2SourcePoint(PF_InData *in_data, PF_EventExtra *extra, PF_FixedPoint *point) {
  PF_Err err = Apply(in_data, extra, Step::FrameToSource, point);
  if (WindowType(extra) == PF_Window_COMP) err = Apply(in_data, extra, Step::CompToLayer, point);
  return err;
}

void Layer2CompFrame(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                     PF_FixedPoint *fixed_out) {
  const Step then = Step::SourceToFrame;
  Convert(in_data, extra, in, out, fixed_out, Step::LayerToComp, &then);
}

void Layer2LayerFrame(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                      PF_FixedPoint *fixed_out) {
  Convert(in_data, extra, in, out, fixed_out, Step::SourceToFrame, nullptr);
}

void LayerFrame2Layer(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                      PF_FixedPoint *fixed_out) {
  Convert(in_data, extra, in, out, fixed_out, Step::FrameToSource, nullptr);
}

void CompFrame2Layer(PF_InData *in_data, PF_EventExtra *extra, const PF_Point *in, PF_Point *out,
                     PF_FixedPoint *fixed_out) {
  const Step then = Step::CompToLayer;
  Convert(in_data, extra, in, out, fixed_out, Step::FrameToSource, &then);
}
