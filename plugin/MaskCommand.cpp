#include "MaskCommand.h"

namespace Orvane {

PathToMaskMap BuildPathMap(MaskCommand &c, AEGP_LayerH layer, MaskSuite suite) {
  PathToMaskMap map;
  A_long count = -1;
  c.err.Do([&] {
    return suite == MaskSuite::V5
               ? c.suites.LayerMaskSuite5()->AEGP_GetLayerNumMasks(layer, &count)
               : c.suites.LayerMaskSuite6()->AEGP_GetLayerNumMasks(layer, &count);
  });
  for (A_long k = 0; k < count; ++k) {
    PF_PathID id = 0;
    c.err.Do(
        [&] { return c.suites.PathQuerySuite1()->PF_PathInfo(c.in_data->effect_ref, k, &id); });
    map.emplace(id, k);  // keeps the first index for an identifier already present
  }
  return map;
}

}  // namespace Orvane
