// The reactions to a changed parameter, entered from UserChangedParam with its context.
#ifndef ORVANE_PLUGIN_MASKCOMMANDS_H
#define ORVANE_PLUGIN_MASKCOMMANDS_H

#include "MaskCommand.h"

namespace Orvane {

// The handles UserChangedParam obtains for every reaction.
struct ChangeTarget {
  AEGP_LayerH layer = nullptr;
  AEGP_CompH comp = nullptr;
  AEGP_EffectRefH effect = nullptr;
};

// Adds a closed four-vertex mask and links it to slot count + 1 (count is 0..49).
void CreateMask(MaskCommand &c, const ChangeTarget &t, int count);
// Gives the mask linked to slot `slot` (1..50) the colour of that slot's colour parameter.
void UpdateMaskColor(MaskCommand &c, const ChangeTarget &t, PF_ParamDef *params[], int slot);
// Keys every linked slot's mask over the work area and clears "On".
void BakeMasks(MaskCommand &c, const ChangeTarget &t, PF_ParamDef *params[]);

}  // namespace Orvane

#endif
