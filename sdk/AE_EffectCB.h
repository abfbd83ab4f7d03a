/* Utility callbacks the host hands over with every command (PF_InData::utils). */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  A_FpLong (*fabs)(A_FpLong);
  A_long (*sprintf)(A_char *buffer, const A_char *format, ...);
  A_char *(*strcpy)(A_char *dest, const A_char *src);
} PF_ANSICallbacks;

typedef struct _PF_UtilCallbacks {
  PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld *src, PF_EffectWorld *dst, PF_Rect *src_r,
                 PF_Rect *dst_r);
  PF_ANSICallbacks ansi;
} PF_UtilCallbacks;

#define PF_STRCPY(DST, SRC) in_data->utils->ansi.strcpy(DST, SRC)

#ifdef __cplusplus
}
#endif
