/* Callback suites reached through the basic suite: handle memory and the ANSI maths. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion2 2

typedef struct PF_HandleSuite2 {
  PF_Handle (*host_new_handle)(A_u_long size);
  void *(*host_lock_handle)(PF_Handle pf_handle);
  void (*host_unlock_handle)(PF_Handle pf_handle);
  void (*host_dispose_handle)(PF_Handle pf_handle);
  A_u_long (*host_get_handle_size)(PF_Handle pf_handle);
} PF_HandleSuite2;

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1

typedef struct PF_ANSISuite1 {
  A_FpLong (*fabs)(A_FpLong);
} PF_ANSISuite1;

#ifdef __cplusplus
}
#endif
