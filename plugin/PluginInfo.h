// Identity, version and capability words of the effect. The property list and global setup
// both read them from here, so the two can never disagree.
#ifndef ORVANE_PLUGIN_PLUGININFO_H
#define ORVANE_PLUGIN_PLUGININFO_H

#include "AE_Effect.h"

// The version number comes from the build, which writes it once (project() in CMakeLists.txt).
#if !defined(ORVANE_VERSION_MAJOR) || !defined(ORVANE_VERSION_MINOR) || !defined(ORVANE_VERSION_BUG)
#error "ORVANE_VERSION_MAJOR, _MINOR and _BUG come from the build (link orvane_version)"
#endif

namespace Orvane {

constexpr const char *kPluginName = "OrvaneTavolin";
constexpr const char *kMatchName = "OrvaneTavolin";
constexpr const char *kCategory = "OrvaneUtility";
constexpr const char *kEntryPointName = "EntryPointFunc";
constexpr const char *kCredit = "Rotated rectangles kept in step with layer masks.";
// The name given to the AEGP layer at registration.
constexpr const char *kRegistrationName = "Error!";

constexpr int kMajorVersion = ORVANE_VERSION_MAJOR;
constexpr int kMinorVersion = ORVANE_VERSION_MINOR;
constexpr int kBugVersion = ORVANE_VERSION_BUG;
// The release stage and the build number are not part of the version the changelog names.
constexpr int kStage = PF_Stage_RELEASE;
constexpr int kBuildVersion = 1;

constexpr A_u_long kVersion =
    PF_VERSION(kMajorVersion, kMinorVersion, kBugVersion, kStage, kBuildVersion);
constexpr A_long kOutFlags =
    PF_OutFlag_CUSTOM_UI | PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr A_long kOutFlags2 = PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE;

// The packed word holds a minor and a bug-fix version of 0 to 15 and a major one of 0 to 7; the
// About text writes minor and bug-fix as one digit each.
static_assert(kMajorVersion >= 0 && kMajorVersion <= 7, "major version fits the packed word");
static_assert(kMinorVersion >= 0 && kMinorVersion <= 9, "minor version is one digit");
static_assert(kBugVersion >= 0 && kBugVersion <= 9, "bug-fix version is one digit");
static_assert(kOutFlags == 0x6008000, "global out flags");
static_assert(kOutFlags2 == 0x1400, "global out flags 2");

}  // namespace Orvane

#endif
