// What every mask command shares: the per-command context, the slot-to-mask link lookup, the
// parameter write and the undo group.
#ifndef ORVANE_PLUGIN_MASKCOMMAND_H
#define ORVANE_PLUGIN_MASKCOMMAND_H

#include <map>

#include "AEGP_SuiteHandler.h"
#include "BooleanValues.h"
#include "GlobalData.h"
#include "HostCall.h"

namespace Orvane {

// Per-command context: suites, plug-in id, the current time and the chained error value.
struct MaskCommand {
  explicit MaskCommand(PF_InData *in)
      : in_data(in),
        suites(in->pica_basicP),
        plugin_id(PluginIdOf(in)),
        now{in->current_time, in->time_scale} {}

  PF_InData *in_data;
  AEGP_SuiteHandler suites;
  AEGP_PluginID plugin_id;
  A_Time now;
  ErrorChain err;

  // Releases for use with Own(). Each acquires its suite when the holder is made, before the
  // call that obtains the handle: a suite the host lacks then stops the command while there is
  // still nothing to give back, instead of stranding a handle it could not release.
  auto DisposeStream() {
    const AEGP_StreamSuite9 *suite = suites.StreamSuite9();
    return [suite](AEGP_StreamRefH h) { return suite->AEGP_DisposeStream(h); };
  }
  auto DisposeStreamValue() {
    const AEGP_StreamSuite9 *suite = suites.StreamSuite9();
    return [suite](AEGP_StreamValue2 *v) { return suite->AEGP_DisposeStreamValue(v); };
  }
  auto DisposeMask5() {
    const AEGP_LayerMaskSuite5 *suite = suites.LayerMaskSuite5();
    return [suite](AEGP_MaskRefH h) { return suite->AEGP_DisposeMask(h); };
  }
  auto DisposeMask6() {
    const AEGP_LayerMaskSuite6 *suite = suites.LayerMaskSuite6();
    return [suite](AEGP_MaskRefH h) { return suite->AEGP_DisposeMask(h); };
  }
};

// Path identifier -> layer mask index; the lowest index wins for a repeated identifier.
using PathToMaskMap = std::map<PF_PathID, A_long>;

enum class MaskSuite { V5, V6 };

// Built afresh per command from the layer's masks through the path query.
PathToMaskMap BuildPathMap(MaskCommand &c, AEGP_LayerH layer, MaskSuite suite);

// A linked mask's outline at the current time: the mask reference, its outline stream and the
// stream's value, obtained in that order and released in the reverse order whatever happens.
class LinkedOutline {
 public:
  LinkedOutline(MaskCommand &c, MaskSuite suite);
  // The mask at `index` of the layer's masks.
  void OpenMask(AEGP_LayerH layer, A_long index);
  // Its outline at the current time, with the segment count and the open flag.
  void ReadOutline(A_Boolean pre_expression);
  // Releases the value, the stream and the mask now rather than at the end of the scope.
  void Release();

  AEGP_MaskRefH mask() const { return mask_.get(); }
  AEGP_StreamRefH stream() const { return stream_.get(); }
  AEGP_StreamValue2 &value() { return value_.get(); }
  AEGP_MaskOutlineValH outline() { return value_.get().val.mask; }
  // Only a closed four-vertex outline is a rectangle this effect owns.
  bool IsRectangle() const { return segments == 4 && !open; }

  A_long segments = 0;
  A_Boolean open = TRUE;

 private:
  // Releases through suites acquired when the outline is made (plain functors: no allocation).
  struct MaskRelease {
    const AEGP_LayerMaskSuite5 *v5;
    const AEGP_LayerMaskSuite6 *v6;
    A_Err operator()(AEGP_MaskRefH h) const {
      return v5 ? v5->AEGP_DisposeMask(h) : v6->AEGP_DisposeMask(h);
    }
  };
  struct StreamRelease {
    const AEGP_StreamSuite9 *suite;
    A_Err operator()(AEGP_StreamRefH h) const { return suite->AEGP_DisposeStream(h); }
  };
  struct ValueRelease {
    const AEGP_StreamSuite9 *suite;
    A_Err operator()(AEGP_StreamValue2 *v) const { return suite->AEGP_DisposeStreamValue(v); }
  };

  MaskCommand &c_;
  MaskSuite suite_;
  Owned<AEGP_MaskRefH, MaskRelease> mask_;
  Owned<AEGP_StreamRefH, StreamRelease> stream_;
  OwnedValue<ValueRelease> value_;
};

// Writes one field of an effect parameter's stream value at the current time.
template <typename Change>
void ParameterWrite(MaskCommand &c, AEGP_EffectRefH effect, PF_ParamIndex index, Change change) {
  auto stream = Own<AEGP_StreamRefH>(c.err, c.DisposeStream());
  c.err.Do([&] {
    return c.suites.StreamSuite9()->AEGP_GetNewEffectStreamByIndex(c.plugin_id, effect, index,
                                                                   stream.out());
  });
  auto value = OwnValue(c.err, c.DisposeStreamValue());
  c.err.Do([&] {
    return c.suites.StreamSuite9()->AEGP_GetNewStreamValue(
        c.plugin_id, stream.get(), AEGP_LTimeMode_LayerTime, &c.now, FALSE, value.out());
  });
  if (c.err.ok()) change(value.get().val);
  c.err.Do([&] {
    return c.suites.StreamSuite9()->AEGP_SetStreamValue(c.plugin_id, stream.get(), &value.get());
  });
  value.reset();
  stream.reset();
}

// One named undo entry around a command's changes. End() closes it as an ordinary step; a
// group left open by a failure is closed all the same, so the user's undo history stays usable.
class UndoGroup {
 public:
  UndoGroup(MaskCommand &c, const char *name) : c_(c) {
    c_.err.Do([&] { return c_.suites.UtilitySuite11()->AEGP_StartUndoGroup(name); });
    open_ = c_.err.ok();
  }
  ~UndoGroup() {
    if (!open_) return;
    try {
      (void)c_.suites.UtilitySuite11()->AEGP_EndUndoGroup();
    } catch (A_Err) {
      // The suite was acquired to open the group; a refusal now leaves nothing to undo here.
    }
  }
  UndoGroup(const UndoGroup &) = delete;
  UndoGroup &operator=(const UndoGroup &) = delete;

  void End() {
    if (!open_ || !c_.err.ok()) return;
    open_ = false;
    c_.err.Do([&] { return c_.suites.UtilitySuite11()->AEGP_EndUndoGroup(); });
  }

 private:
  MaskCommand &c_;
  bool open_ = false;
};

}  // namespace Orvane

#endif
