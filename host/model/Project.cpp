#include "model/Project.h"

#include <algorithm>

#include "model/ParamTypes.h"

namespace orvane::host {

namespace {

// The palette new masks cycle through, as the application gives each new mask the next colour.
const AEGP_ColorVal kMaskPalette[] = {
    {1, 0.957, 0.788, 0.176}, {1, 0.263, 0.631, 0.965}, {1, 0.925, 0.349, 0.404},
    {1, 0.420, 0.839, 0.392}, {1, 0.733, 0.424, 0.925}, {1, 0.992, 0.604, 0.255},
    {1, 0.353, 0.863, 0.847}, {1, 0.965, 0.494, 0.769},
};

}  // namespace

const AEGP_ColorVal &PaletteColor(std::size_t i) {
  return kMaskPalette[i % (sizeof kMaskPalette / sizeof kMaskPalette[0])];
}

Mask Layer::NewMask() {
  Mask mask;
  mask.id = TakeMaskId();
  mask.color = PaletteColor(next_color_++);
  return mask;
}

StreamValue EffectParam::KeyedAt(double t) const { return stream.At(t, TypeOf(def).holds); }

StreamValue EffectParam::At(double t, bool pre_expression) const {
  StreamValue v = KeyedAt(t);
  if (pre_expression || !expression) return v;
  for (int i = 0; i < 4; ++i) v.v[i] += expression->v[i];
  // A colour stays a colour whatever its expression adds.
  if (def.param_type == PF_Param_COLOR) {
    for (double &c : v.v) c = std::clamp(c, 0.0, 1.0);
  }
  return v;
}

bool EffectParam::has_stream() const { return TypeOf(def).has_stream; }

Transform Layer::TransformAt(double layer_time) const {
  Transform t = transform;
  const TransformKeys &k = transform_keys;
  auto pair = [layer_time](const Animatable<StreamValue> &a, double out[2]) {
    if (a.keys.empty()) return;
    const StreamValue v = a.At(layer_time);
    out[0] = v.v[0];
    out[1] = v.v[1];
  };
  pair(k.position, t.position);
  pair(k.anchor, t.anchor);
  pair(k.scale, t.scale);
  if (!k.rotation.keys.empty()) t.rotation = k.rotation.At(layer_time).v[0];
  return t;
}

int EffectInstance::FindParam(const std::string &name) const {
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (!name.empty() && params[i].name == name) return int(i);
  }
  return -1;
}

int Project::MaskIndexById(AEGP_MaskIDVal id) const {
  for (std::size_t i = 0; i < layer.masks.size(); ++i) {
    if (layer.masks[i].id == id) return int(i);
  }
  return -1;
}

}  // namespace orvane::host
