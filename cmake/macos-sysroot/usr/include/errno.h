/* Darwin's errno: a per-thread value reached through __error(). Only the codes that libc++'s
   inline threading wrappers test are here, with Darwin's numbers. */
#ifndef _SYS_ERRNO_H_
#define _SYS_ERRNO_H_

#ifdef __cplusplus
extern "C" {
#endif

extern int *__error(void);
#define errno (*__error())

#define EINTR 4
#define ENOMEM 12
#define EINVAL 22
#define ETIMEDOUT 60

#ifdef __cplusplus
}
#endif

#endif
