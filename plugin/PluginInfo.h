// Identity, version and capability words of the effect. The property list and global setup
// both read them from here, so the two can never disagree.
#ifndef ORVANE_PLUGIN_PLUGININFO_H
#define ORVANE_PLUGIN_PLUGININFO_H

#include "AE_Effect.h"

namespace Orvane {

constexpr const char *kPluginName = "OrvaneTavolin";
constexpr const char *kMatchName = "OrvaneTavolin";
constexpr const char *kCategory = "OrvaneUtility";
constexpr const char *kEntryPointName = "EntryPointFunc";
constexpr const char *kCredit = "Rotated rectangles kept in step with layer masks.";
// The name given to the AEGP layer at registration.
constexpr const char *kRegistrationName = "Error!";

constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;
constexpr int kBugVersion = 0;
constexpr int kStage = PF_Stage_RELEASE;
constexpr int kBuildVersion = 1;

constexpr A_u_long kVersion =
    PF_VERSION(kMajorVersion, kMinorVersion, kBugVersion, kStage, kBuildVersion);
constexpr A_long kOutFlags =
    PF_OutFlag_CUSTOM_UI | PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr A_long kOutFlags2 = PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE;

static_assert(kVersion == 0x80601, "packed version word");
static_assert(kOutFlags == 0x6008000, "global out flags");
static_assert(kOutFlags2 == 0x1400, "global out flags 2");

}  // namespace Orvane

#endif
