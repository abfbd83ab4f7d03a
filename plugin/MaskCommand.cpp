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

LinkedOutline::LinkedOutline(MaskCommand &c, MaskSuite suite)
    : c_(c),
      suite_(suite),
      mask_(c.err, MaskRelease{suite == MaskSuite::V5 ? c.suites.LayerMaskSuite5() : nullptr,
                               suite == MaskSuite::V6 ? c.suites.LayerMaskSuite6() : nullptr}),
      stream_(c.err, StreamRelease{c.suites.StreamSuite9()}),
      value_(c.err, ValueRelease{c.suites.StreamSuite9()}) {}

void LinkedOutline::OpenMask(AEGP_LayerH layer, A_long index) {
  c_.err.Do([&] {
    return suite_ == MaskSuite::V5
               ? c_.suites.LayerMaskSuite5()->AEGP_GetLayerMaskByIndex(layer, index, mask_.out())
               : c_.suites.LayerMaskSuite6()->AEGP_GetLayerMaskByIndex(layer, index, mask_.out());
  });
}

void LinkedOutline::ReadOutline(A_Boolean pre_expression) {
  auto &s = c_.suites;
  c_.err.Do([&] {
    return s.StreamSuite9()->AEGP_GetNewMaskStream(c_.plugin_id, mask_.get(),
                                                   AEGP_MaskStream_OUTLINE, stream_.out());
  });
  c_.err.Do([&] {
    return s.StreamSuite9()->AEGP_GetNewStreamValue(c_.plugin_id, stream_.get(),
                                                    AEGP_LTimeMode_LayerTime, &c_.now,
                                                    pre_expression, value_.out());
  });
  c_.err.Do(
      [&] { return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineNumSegments(outline(), &segments); });
  c_.err.Do([&] { return s.MaskOutlineSuite3()->AEGP_IsMaskOutlineOpen(outline(), &open); });
}

void LinkedOutline::Release() {
  value_.reset();
  stream_.reset();
  mask_.reset();
}

}  // namespace Orvane
