#include "protocol/suites/SuiteHelpers.h"

#include "protocol/HandleObjects.h"

namespace orvane::host {

bool KnownPlugin(Session &s, AEGP_PluginID id, const char *function) {
  if (s.IsIssuedPluginId(id)) return true;
  s.problems().push_back(std::string(function) + ": plug-in id " + std::to_string(id) +
                         " was never issued");
  return false;
}

Mask *MaskOf(Session &s, AEGP_MaskRefH ref, const char *function) {
  auto *object = s.handles().Get<MaskObject>(ref, HandleKind::Mask, function);
  return object ? MaskById(s, object->mask_id, object->index) : nullptr;
}

Mask *MaskById(Session &s, AEGP_MaskIDVal id, int hint) {
  auto &masks = s.project().layer.masks;
  if (hint >= 0 && std::size_t(hint) < masks.size() && masks[std::size_t(hint)].id == id)
    return &masks[std::size_t(hint)];
  int index = s.project().MaskIndexById(id);
  return index < 0 ? nullptr : &masks[std::size_t(index)];
}

bool LayerSeconds(Session &s, AEGP_LTimeMode mode, const A_Time *time, double *seconds) {
  if (!time || time->scale == 0) return false;
  double t = double(time->value) / double(time->scale);
  if (mode == AEGP_LTimeMode_CompTime) {
    t = s.project().LayerTime(t);
  } else if (mode != AEGP_LTimeMode_LayerTime) {
    return false;
  }
  *seconds = t;
  return true;
}

}  // namespace orvane::host
