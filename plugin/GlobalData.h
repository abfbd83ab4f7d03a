#ifndef ORVANE_PLUGIN_GLOBALDATA_H
#define ORVANE_PLUGIN_GLOBALDATA_H

#include "AE_GeneralPlug.h"

// The effect's only allocated block: 4 bytes the host owns from global setup to tear-down.
struct GlobalData {
  AEGP_PluginID plugin_id;
};
static_assert(sizeof(GlobalData) == 4, "the host hands back exactly this block");

// Readers take the block through the handle's master pointer, without locking it. A host that
// sends commands after a failed global setup hands no block: there is no id then, and the AEGP
// calls that need one are refused rather than the module reading through a null handle.
inline AEGP_PluginID PluginIdOf(const PF_InData *in_data) {
  if (!in_data->global_data || !*in_data->global_data) return 0;
  return reinterpret_cast<const GlobalData *>(*in_data->global_data)->plugin_id;
}

#endif
