/* The host's basic suite: the one table through which every other suite is acquired. */
#ifndef ORVANE_SDK_SPBASIC_H
#define ORVANE_SDK_SPBASIC_H

#include "A.h"

typedef int32_t SPErr;

typedef struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char *name, int32_t version, const void **suite);
  SPErr (*ReleaseSuite)(const char *name, int32_t version);
} SPBasicSuite;

#endif
