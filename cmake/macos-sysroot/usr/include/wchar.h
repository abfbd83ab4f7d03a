/* The part of Darwin's <wchar.h> that the libc++ headers the plug-in includes need. mbstate_t
   keeps Darwin's 128-byte layout: libc++ embeds it in types such as std::fpos. */
#ifndef _WCHAR_H_
#define _WCHAR_H_

#define __need_size_t
#define __need_wchar_t
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef union {
  char __mbstate8[128];
  long long _mbstateL;
} __mbstate_t;
typedef __mbstate_t mbstate_t;

wchar_t *wcschr(const wchar_t *, wchar_t);
wchar_t *wcspbrk(const wchar_t *, const wchar_t *);
wchar_t *wcsrchr(const wchar_t *, wchar_t);
wchar_t *wcsstr(const wchar_t *, const wchar_t *);
wchar_t *wmemchr(const wchar_t *, wchar_t, size_t);

#ifdef __cplusplus
}
#endif

#endif
