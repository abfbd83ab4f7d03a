/* The part of Darwin's <stdio.h> that the plug-in needs: it formats parameter names with
   snprintf. FILE stays incomplete; nothing here reads or writes a stream. */
#ifndef _STDIO_H_
#define _STDIO_H_

#define __need_size_t
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __sFILE FILE;

int snprintf(char *, size_t, const char *, ...) __attribute__((__format__(__printf__, 3, 4)));

#ifdef __cplusplus
}
#endif

#endif
