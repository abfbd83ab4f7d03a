/* The part of Darwin's <string.h> that the plug-in and the libc++ headers it includes need. */
#ifndef _STRING_H_
#define _STRING_H_

#define __need_size_t
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void *memchr(const void *, int, size_t);
int memcmp(const void *, const void *, size_t);
void *memcpy(void *, const void *, size_t);
void *memmove(void *, const void *, size_t);
void *memset(void *, int, size_t);
char *strchr(const char *, int);
char *strpbrk(const char *, const char *);
char *strrchr(const char *, int);
char *strstr(const char *, const char *);

#ifdef __cplusplus
}
#endif

#endif
