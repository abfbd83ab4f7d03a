// Smart pre-render, where the linked masks follow their rectangles while "On" is set, and the
// pass-through smart render.
#include <array>
#include <vector>

#include "AE_EffectCB.h"
#include "BooleanValues.h"
#include "CreateRect.h"
#include "Handlers.h"
#include "MaskCommand.h"
#include "Params.h"
#include "Smart_Utils.h"

using namespace Orvane;

namespace {

// Parameters checked out at the render time; every one that was checked out is checked back in.
class CheckedOutParams {
 public:
  // Room for every index is made before the first checkout: recording one can then not fail
  // after the host has handed the parameter over.
  CheckedOutParams(PF_InData *in_data, ErrorChain &err)
      : in_data_(in_data), err_(err), defs_(PARAM_COUNT) {
    checked_out_.reserve(PARAM_COUNT);
  }
  ~CheckedOutParams() {
    for (PF_ParamIndex index : checked_out_)
      in_data_->inter.checkin_param(in_data_->effect_ref, &defs_[index]);
  }
  CheckedOutParams(const CheckedOutParams &) = delete;
  CheckedOutParams &operator=(const CheckedOutParams &) = delete;

  void Checkout(PF_ParamIndex index) {
    defs_[index] = PF_ParamDef();
    err_.Do([&] {
      return in_data_->inter.checkout_param(in_data_->effect_ref, index, in_data_->current_time,
                                            in_data_->time_step, in_data_->time_scale,
                                            &defs_[index]);
    });
    if (err_.ok()) checked_out_.push_back(index);
  }
  const PF_ParamDef &operator[](PF_ParamIndex index) const { return defs_[index]; }

 private:
  PF_InData *in_data_;
  ErrorChain &err_;
  std::vector<PF_ParamDef> defs_;
  std::vector<PF_ParamIndex> checked_out_;
};

// A factor the host reports as zero, negative or not a number is taken as full resolution.
double Factor(PF_RationalScale r) {
  const double f = r.den ? double(r.num) / double(r.den) : 0.0;
  return f > 0 && f < 1e9 ? f : 1.0;
}

struct Downsample {
  double x;
  double y;
};

void MoveMasks(MaskCommand &c, AEGP_LayerH layer, const CheckedOutParams &params, int size,
               Downsample ds) {
  auto &s = c.suites;
  UndoGroup undo(c, "Move Masks");
  const PathToMaskMap map = BuildPathMap(c, layer, MaskSuite::V5);
  for (int j = 0; j < size; ++j) {
    const PF_PathID path = params[PARAM_MASK_PATH(j)].u.path_d.path_id;
    auto linked = map.find(path);
    if (path == 0 || linked == map.end()) continue;

    LinkedOutline linked_outline(c, MaskSuite::V5);
    linked_outline.OpenMask(layer, linked->second);
    linked_outline.ReadOutline(TRUE);
    // Only a closed four-vertex outline is a rectangle this effect owns; others keep their shape.
    if (!linked_outline.IsRectangle()) continue;
    const AEGP_MaskOutlineValH outline = linked_outline.outline();

    const PF_ParamDef &center = params[PARAM_CENTER(j)];
    // Points come scaled to the render's resolution; mask vertices are full-resolution pixels.
    const Vector<double> full_center =
        Vector<double>(center.u.td.x_value / 65536.0, center.u.td.y_value / 65536.0) /
        Vector<double>(ds.x, ds.y);
    const RectangleCreator rect(full_center, params[PARAM_WIDTH(j)].u.fs_d.value,
                                params[PARAM_HEIGHT(j)].u.fs_d.value,
                                params[PARAM_ANGLE(j)].u.ad.value / 65536.0);
    const std::array<Vector<double>, 4> corners = rect.Create();
    for (AEGP_VertexIndex i = 0; i < 4; ++i) {
      AEGP_MaskVertex vertex{};
      c.err.Do([&] {
        return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineVertexInfo(outline, i, &vertex);
      });
      vertex.x = corners[std::size_t(i)].x;
      vertex.y = corners[std::size_t(i)].y;
      c.err.Do([&] {
        return s.MaskOutlineSuite3()->AEGP_SetMaskOutlineVertexInfo(outline, i, &vertex);
      });
    }
    c.err.Do([&] {
      return s.StreamSuite9()->AEGP_SetStreamValue(c.plugin_id, linked_outline.stream(),
                                                   &linked_outline.value());
    });
  }
  undo.End();
}

}  // namespace

PF_Err SmartPreRender(PF_InData *in_data, PF_OutData *, PF_PreRenderExtra *extra) {
  PF_RenderRequest request = extra->input->output_request;
  MaskCommand c(in_data);
  AEGP_LayerH layer = nullptr;
  c.err.Do([&] {
    return c.suites.PFInterfaceSuite1()->AEGP_GetEffectLayer(in_data->effect_ref, &layer);
  });

  CheckedOutParams params(in_data, c.err);
  for (int j = 0; j < SLOT_COUNT; ++j) {
    for (PF_ParamIndex k = 0; k < 4; ++k) params.Checkout(PARAM_CENTER(j) + k);
  }
  for (int j = 0; j < SLOT_COUNT; ++j) params.Checkout(PARAM_MASK_PATH(j));
  params.Checkout(PARAM_NUMBER);
  params.Checkout(PARAM_ON);

  if (c.err.ok() && params[PARAM_ON].u.bd.value) {
    const Downsample ds{Factor(in_data->downsample_x), Factor(in_data->downsample_y)};
    MoveMasks(c, layer, params, ClampSlotCount(params[PARAM_NUMBER].u.sd.value), ds);
  }

  if (c.err.ok()) {
    request.preserve_rgb_of_zero_alpha = TRUE;
    PF_CheckoutResult result{};
    c.err.Do([&] {
      return extra->cb->checkout_layer(in_data->effect_ref, PARAM_INPUT, 0, &request,
                                       in_data->current_time, in_data->time_step,
                                       in_data->time_scale, &result);
    });
    if (c.err.ok()) {
      UnionLRect(&result.result_rect, &extra->output->result_rect);
      UnionLRect(&result.max_result_rect, &extra->output->max_result_rect);
    }
  }
  return c.err.err();
}

PF_Err SmartRender(PF_InData *in_data, PF_OutData *, PF_SmartRenderExtra *extra) {
  PF_EffectWorld *input = nullptr;
  PF_EffectWorld *output = nullptr;
  PF_Err err = extra->cb->checkout_layer_pixels(in_data->effect_ref, 0, &input);
  if (!err) err = extra->cb->checkout_output(in_data->effect_ref, &output);
  if (!err) err = in_data->utils->copy(in_data->effect_ref, input, output, nullptr, nullptr);
  return err;
}
