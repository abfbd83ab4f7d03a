/* The part of Darwin's <time.h> that libc++'s <chrono> and threading wrappers need. */
#ifndef _TIME_H_
#define _TIME_H_

#define __need_size_t
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef long time_t;

struct timespec {
  time_t tv_sec;
  long tv_nsec;
};

int nanosleep(const struct timespec *, struct timespec *);

#ifdef __cplusplus
}
#endif

#endif
