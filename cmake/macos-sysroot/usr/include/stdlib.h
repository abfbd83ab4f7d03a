/* The part of Darwin's <stdlib.h> that the plug-in and the libc++ headers it includes need. */
#ifndef _STDLIB_H_
#define _STDLIB_H_

#define __need_size_t
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  long quot;
  long rem;
} ldiv_t;
typedef struct {
  long long quot;
  long long rem;
} lldiv_t;

long labs(long);
ldiv_t ldiv(long, long);
lldiv_t lldiv(long long, long long);
void free(void *);
int posix_memalign(void **, size_t, size_t);

#ifdef __cplusplus
}
#endif

#endif
