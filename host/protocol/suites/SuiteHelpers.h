// What the suites share: the tokens behind the layer and composition handles, how a release
// reports a handle that was not live, and the lookups of plug-in ids, masks and times that
// several suites make.
#pragma once

#include "AE_GeneralPlug.h"
#include "model/Project.h"
#include "protocol/Session.h"

namespace orvane::host {

// The layer and composition handles are tokens for the project's one layer and composition.
inline AEGP_LayerH LayerToken(Session &s) {
  return reinterpret_cast<AEGP_LayerH>(&s.project().layer);
}
inline AEGP_CompH CompToken(Session &s) { return reinterpret_cast<AEGP_CompH>(&s.project().comp); }

// What a release returns: success, or the error for a handle that was not live.
inline A_Err ReleaseResult(bool released) {
  return released ? A_Err(A_Err_NONE) : A_Err(PF_Err_BAD_CALLBACK_PARAM);
}

// Seconds of layer time for a time given to an AEGP call; false for a time with no scale.
bool LayerSeconds(Session &s, AEGP_LTimeMode mode, const A_Time *time, double *seconds);

// Checks a plug-in id against the ones the host has issued.
bool KnownPlugin(Session &s, AEGP_PluginID id, const char *function);
// The mask a mask reference follows, or null (with the misuse recorded).
Mask *MaskOf(Session &s, AEGP_MaskRefH ref, const char *function);
// The mask with this id, looking first at the index where it was last seen; null when gone.
Mask *MaskById(Session &s, AEGP_MaskIDVal id, int hint);

}  // namespace orvane::host
