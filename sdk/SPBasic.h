/* The host's basic suite: the one table through which every other suite is acquired. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "A.h"

typedef int32_t SPErr;

typedef struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char *name, int32_t version, const void **suite);
  SPErr (*ReleaseSuite)(const char *name, int32_t version);
} SPBasicSuite;
