/* The part of Darwin's <pthread.h> that libc++'s threading wrappers need, with Darwin's 64-bit
   layouts, which x86-64 and arm64 share (Darwin sizes them by LP64 alone): each object is a
   signature word followed by an opaque block of the size Darwin uses, and the static
   initialisers carry Darwin's signatures. libc++ embeds these types in its own (std::mutex,
   std::condition_variable), so their sizes are part of the ABI. */
#ifndef _PTHREAD_H
#define _PTHREAD_H

#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

struct _opaque_pthread_t;
typedef struct _opaque_pthread_t *pthread_t;
typedef unsigned long pthread_key_t;

typedef struct {
  long __sig;
  char __opaque[56];
} pthread_attr_t;
typedef struct {
  long __sig;
  char __opaque[56];
} pthread_mutex_t;
typedef struct {
  long __sig;
  char __opaque[8];
} pthread_mutexattr_t;
typedef struct {
  long __sig;
  char __opaque[40];
} pthread_cond_t;
typedef struct {
  long __sig;
  char __opaque[8];
} pthread_once_t;

/* clang-format off */
#define PTHREAD_MUTEX_INITIALIZER {0x32AAABA7, {0}}
#define PTHREAD_COND_INITIALIZER {0x3CB0B1BB, {0}}
#define PTHREAD_ONCE_INIT {0x30B1BCBA, {0}}
/* clang-format on */
#define PTHREAD_MUTEX_RECURSIVE 2

int pthread_create(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
int pthread_detach(pthread_t);
int pthread_join(pthread_t, void **);
pthread_t pthread_self(void);
int pthread_once(pthread_once_t *, void (*)(void));
int pthread_key_create(pthread_key_t *, void (*)(void *));
void *pthread_getspecific(pthread_key_t);
int pthread_setspecific(pthread_key_t, const void *);

int pthread_mutexattr_init(pthread_mutexattr_t *);
int pthread_mutexattr_settype(pthread_mutexattr_t *, int);
int pthread_mutexattr_destroy(pthread_mutexattr_t *);
int pthread_mutex_init(pthread_mutex_t *, const pthread_mutexattr_t *);
int pthread_mutex_lock(pthread_mutex_t *);
int pthread_mutex_trylock(pthread_mutex_t *);
int pthread_mutex_unlock(pthread_mutex_t *);
int pthread_mutex_destroy(pthread_mutex_t *);

int pthread_cond_signal(pthread_cond_t *);
int pthread_cond_broadcast(pthread_cond_t *);
int pthread_cond_wait(pthread_cond_t *, pthread_mutex_t *);
int pthread_cond_timedwait(pthread_cond_t *, pthread_mutex_t *, const struct timespec *);
int pthread_cond_destroy(pthread_cond_t *);

#ifdef __cplusplus
}
#endif

#endif
