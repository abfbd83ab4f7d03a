// The objects behind the AEGP handles the host gives a module.
#ifndef ORVANE_HOST_HOSTOBJECTS_H
#define ORVANE_HOST_HOSTOBJECTS_H

#include "HandleTable.h"
#include "Project.h"
#include "Session.h"

namespace orvane::host {

struct EffectObject : HandleObject {};

// A mask reference follows its mask by id, so it stays right when other masks come and go.
struct MaskObject : HandleObject {
  AEGP_MaskIDVal mask_id = 0;
  int index = -1;  // where the mask was when the reference was made: looked at first
};

struct StreamObject : HandleObject {
  enum class Target { EffectParam, MaskOutline } target = Target::EffectParam;
  int param_index = 0;
  AEGP_MaskIDVal mask_id = 0;
  int mask_index = -1;   // where the mask was when the stream was made: looked at first
  int open_values = 0;   // values obtained and not yet disposed
  double last_time = 0;  // layer time of the last value obtained, where a set value lands
  int outstanding() const override { return open_values; }
};

// The outline behind an AEGP_MaskOutlineValH: a copy the module edits until it sets it back.
struct OutlineObject : HandleObject {
  Outline outline;
  void Drop() override { std::vector<AEGP_MaskVertex>().swap(outline.vertices); }
};

// A batch keeps what it needs of its stream, which the module may dispose of before the batch.
struct KeyframeBatchObject : HandleObject {
  StreamObject::Target target = StreamObject::Target::EffectParam;
  AEGP_MaskIDVal mask_id = 0;
  // The keys added so far, in the compact form the mask keeps them in; `set` says which have
  // been given a value.
  KeyList<Outline> keys;
  std::vector<bool> set;
  void Drop() override {
    keys = KeyList<Outline>();
    std::vector<bool>().swap(set);
  }
};

// The layer and composition handles are tokens for the project's one layer and composition.
inline AEGP_LayerH LayerToken(Session &s) {
  return reinterpret_cast<AEGP_LayerH>(&s.project().layer);
}
inline AEGP_CompH CompToken(Session &s) { return reinterpret_cast<AEGP_CompH>(&s.project().comp); }

// What a release returns: success, or the error for a handle that was not live.
inline A_Err ReleaseResult(bool released) {
  return released ? A_Err(A_Err_NONE) : A_Err(PF_Err_BAD_CALLBACK_PARAM);
}

// The colour the application gives the i-th new mask.
const AEGP_ColorVal &PaletteColor(std::size_t i);
// Seconds of layer time for a time given to an AEGP call; false for a time with no scale.
bool LayerSeconds(Session &s, AEGP_LTimeMode mode, const A_Time *time, double *seconds);

// Checks a plug-in id against the ones the host has issued.
bool KnownPlugin(Session &s, AEGP_PluginID id, const char *function);
// The mask a mask reference follows, or null (with the misuse recorded).
Mask *MaskOf(Session &s, AEGP_MaskRefH ref, const char *function);
// The mask with this id, looking first at the index where it was last seen; null when gone.
Mask *MaskById(Session &s, AEGP_MaskIDVal id, int hint);

}  // namespace orvane::host

#endif
