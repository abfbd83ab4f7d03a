// Stand-alone suite helpers that report through error codes and the host's message buffer
// instead of raising, for code that must keep going when a suite is absent.
#ifndef ORVANE_SDK_UTIL_AEFX_SUITEHELPER_H
#define ORVANE_SDK_UTIL_AEFX_SUITEHELPER_H

#include "AE_Effect.h"
#include "DrawbotSuite.h"

PF_Err AEFX_AcquireSuite(PF_InData *in_data, PF_OutData *out_data, const char *name, int version,
                         const char *error_message, void **suite);
PF_Err AEFX_ReleaseSuite(PF_InData *in_data, PF_OutData *out_data, const char *name, int version,
                         const char *error_message);
PF_Err AEFX_AcquireDrawbotSuites(PF_InData *in_data, PF_OutData *out_data, DRAWBOT_Suites *suites);
PF_Err AEFX_ReleaseDrawbotSuites(PF_InData *in_data, PF_OutData *out_data);

#endif
