/* Advanced application suite: the Info panel. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kPFAdvAppSuite "PF AE Adv App Suite"
#define kPFAdvAppSuiteVersion2 2

typedef struct PF_AdvAppSuite2 {
  PF_Err (*PF_InfoDrawText)(const A_char *line1Z0, const A_char *line2Z0);
} PF_AdvAppSuite2;

#ifdef __cplusplus
}
#endif
