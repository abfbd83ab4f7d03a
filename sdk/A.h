/* Basic scalar and time types shared by every host interface. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include <stdint.h>

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef unsigned char A_u_char;
typedef unsigned char A_Boolean;
typedef double A_FpLong;
typedef float A_FpShort;
typedef int64_t A_intptr_t;
typedef int32_t A_Err;

enum { A_Err_NONE = 0 };

typedef struct {
  A_long value;
  A_u_long scale;
} A_Time;

typedef struct {
  A_long num;
  A_u_long den;
} A_Ratio;

typedef struct {
  A_FpLong x, y;
} A_FloatPoint;
