// Rectangle helpers for the smart render protocol.
#ifndef ORVANE_SDK_UTIL_SMART_UTILS_H
#define ORVANE_SDK_UTIL_SMART_UTILS_H

#include "AE_Effect.h"

bool IsEmptyRect(const PF_LRect *r);
// Widens dst to cover src; an empty dst simply becomes a copy of src.
void UnionLRect(const PF_LRect *src, PF_LRect *dst);

#endif
