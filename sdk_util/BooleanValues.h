// TRUE and FALSE for the host's A_Boolean arguments and fields. They are ours to supply: where
// the vendor's headers or the platform's define them, those definitions stand.
#ifndef ORVANE_SDK_UTIL_BOOLEANVALUES_H
#define ORVANE_SDK_UTIL_BOOLEANVALUES_H

#include "AE_Effect.h"

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#endif
