// When two project models are the same: what the undo history uses to drop an entry that
// changes nothing and what a test compares after an undo. Every number is compared exactly.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <tuple>
#include <type_traits>

#include "model/ParamTypes.h"
#include "model/Project.h"

namespace orvane::host {

namespace {

bool Same(const AEGP_MaskVertex &a, const AEGP_MaskVertex &b) {
  return std::tie(a.x, a.y, a.tan_in_x, a.tan_in_y, a.tan_out_x, a.tan_out_y) ==
         std::tie(b.x, b.y, b.tan_in_x, b.tan_in_y, b.tan_out_x, b.tan_out_y);
}

bool Same(const Outline &a, const Outline &b) {
  if (a.open != b.open || a.vertices.size() != b.vertices.size()) return false;
  for (std::size_t i = 0; i < a.vertices.size(); ++i) {
    if (!Same(a.vertices[i], b.vertices[i])) return false;
  }
  return true;
}

bool Same(const A_Time &a, const A_Time &b) { return a.value == b.value && a.scale == b.scale; }

bool Same(const StreamValue &a, const StreamValue &b) {
  return std::equal(std::begin(a.v), std::end(a.v), std::begin(b.v));
}

template <typename T>
bool Same(const Animatable<T> &a, const Animatable<T> &b) {
  if (!Same(a.value, b.value)) return false;
  if constexpr (std::is_same_v<T, Outline>) {
    return a.keys == b.keys;
  } else {
    if (a.keys.size() != b.keys.size()) return false;
    for (std::size_t i = 0; i < a.keys.size(); ++i) {
      if (a.keys[i].time != b.keys[i].time || !Same(a.keys[i].at, b.keys[i].at) ||
          !Same(a.keys[i].value, b.keys[i].value))
        return false;
    }
    return true;
  }
}

bool Same(const Transform &a, const Transform &b) {
  return std::equal(a.position, a.position + 2, b.position) &&
         std::equal(a.anchor, a.anchor + 2, b.anchor) &&
         std::equal(a.scale, a.scale + 2, b.scale) && a.rotation == b.rotation;
}

bool Same(const AEGP_ColorVal &a, const AEGP_ColorVal &b) {
  return std::tie(a.alphaF, a.redF, a.greenF, a.blueF) ==
         std::tie(b.alphaF, b.redF, b.greenF, b.blueF);
}

bool Same(const OutlineExpression &a, const OutlineExpression &b) {
  if (a.uniform != b.uniform || a.offsets.size() != b.offsets.size()) return false;
  for (std::size_t i = 0; i < a.offsets.size(); ++i) {
    if (!Same(a.offsets[i], b.offsets[i])) return false;
  }
  return true;
}

template <typename T>
bool SameOptional(const std::optional<T> &a, const std::optional<T> &b) {
  return a.has_value() == b.has_value() && (!a || Same(*a, *b));
}

bool Same(const Mask &a, const Mask &b) {
  return a.id == b.id && Same(a.color, b.color) && Same(a.outline, b.outline) &&
         SameOptional(a.expression, b.expression);
}

// A definition is the module's own record, copied whole; its text pointer is only set while it
// is handed over, so it is left out.
bool Same(const PF_ParamDef &a, const PF_ParamDef &b) {
  if (a.param_type != b.param_type) return false;
  // The bytes on either side of the text pointer, which sits where the type's row says.
  const auto *x = reinterpret_cast<const unsigned char *>(&a);
  const auto *y = reinterpret_cast<const unsigned char *>(&b);
  const A_char **text = TypeOf(a).text(const_cast<PF_ParamDef &>(a));
  if (!text) return std::memcmp(x, y, sizeof a) == 0;
  const std::size_t at = std::size_t(reinterpret_cast<const unsigned char *>(text) - x);
  const std::size_t end = at + sizeof *text;
  return std::memcmp(x, y, at) == 0 && std::memcmp(x + end, y + end, sizeof a - end) == 0;
}

bool Same(const EffectParam &a, const EffectParam &b) {
  return Same(a.def, b.def) && a.name == b.name && a.text == b.text && Same(a.stream, b.stream) &&
         SameOptional(a.expression, b.expression) && a.hidden == b.hidden;
}

}  // namespace

bool operator==(const OutlineKeys &a, const OutlineKeys &b) {
  if (a.data_ == b.data_) return true;
  if (a.size() != b.size() || a.d().times != b.d().times) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!Same(a.at(i), b.at(i)) || !Same(a.value(i), b.value(i))) return false;
  }
  return true;
}

bool operator==(const Layer &a, const Layer &b) {
  if (a.width != b.width || a.height != b.height || a.start != b.start || a.stretch != b.stretch ||
      !Same(a.transform, b.transform) || a.next_mask_id_ != b.next_mask_id_ ||
      a.next_color_ != b.next_color_ || a.masks.size() != b.masks.size())
    return false;
  const TransformKeys &x = a.transform_keys, &y = b.transform_keys;
  if (!Same(x.position, y.position) || !Same(x.anchor, y.anchor) || !Same(x.scale, y.scale) ||
      !Same(x.rotation, y.rotation))
    return false;
  for (std::size_t i = 0; i < a.masks.size(); ++i) {
    if (!Same(a.masks[i], b.masks[i])) return false;
  }
  return true;
}

bool SameComposition(const Composition &x, const Composition &y) {
  return std::tie(x.width, x.height, x.fps, x.time_scale, x.duration, x.work_start,
                  x.work_duration) == std::tie(y.width, y.height, y.fps, y.time_scale, y.duration,
                                               y.work_start, y.work_duration);
}

bool SameMask(const Mask &a, const Mask &b) { return Same(a, b); }

bool SameParam(const EffectParam &a, const EffectParam &b) { return Same(a, b); }

bool SameEffectSettings(const EffectInstance &e, const EffectInstance &f) {
  return e.applied == f.applied && e.ui_registered == f.ui_registered &&
         std::memcmp(&e.ui, &f.ui, sizeof e.ui) == 0;
}

bool operator==(const ProjectModel &a, const ProjectModel &b) {
  if (!SameComposition(a.comp, b.comp) || !(a.layer == b.layer)) return false;
  const EffectInstance &e = a.effect, &f = b.effect;
  if (!SameEffectSettings(e, f) || e.params.size() != f.params.size()) return false;
  for (std::size_t i = 0; i < e.params.size(); ++i) {
    if (!Same(e.params[i], f.params[i])) return false;
  }
  return true;
}

}  // namespace orvane::host
