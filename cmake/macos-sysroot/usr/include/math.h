/* Darwin's <math.h> for x86-64 and arm64, as far as libc++'s <cmath> and the plug-in need it: the
   C99 functions in their three precisions (libc++ wraps each one in overloads; long double is
   whatever the compiler makes it, 80-bit on x86-64 and double on arm64) and the classification
   macros that it and libc++ use, here on the compiler's builtins. */
#ifndef __MATH_H__
#define __MATH_H__

#ifdef __cplusplus
extern "C" {
#endif

#define isfinite(x) __builtin_isfinite(x)
#define isinf(x) __builtin_isinf(x)
#define isnan(x) __builtin_isnan(x)

/* Each function in double, float (f) and long double (l). */
#define __MATH_X(n)  \
  double n(double);  \
  float n##f(float); \
  long double n##l(long double)
#define __MATH_XX(n)        \
  double n(double, double); \
  float n##f(float, float); \
  long double n##l(long double, long double)

__MATH_X(acos);
__MATH_X(asin);
__MATH_X(atan);
__MATH_X(cos);
__MATH_X(sin);
__MATH_X(tan);
__MATH_X(acosh);
__MATH_X(asinh);
__MATH_X(atanh);
__MATH_X(cosh);
__MATH_X(sinh);
__MATH_X(tanh);
__MATH_X(exp);
__MATH_X(exp2);
__MATH_X(expm1);
__MATH_X(log);
__MATH_X(log10);
__MATH_X(log1p);
__MATH_X(log2);
__MATH_X(logb);
__MATH_X(cbrt);
__MATH_X(fabs);
__MATH_X(sqrt);
__MATH_X(erf);
__MATH_X(erfc);
__MATH_X(lgamma);
__MATH_X(tgamma);
__MATH_X(ceil);
__MATH_X(floor);
__MATH_X(nearbyint);
__MATH_X(rint);
__MATH_X(round);
__MATH_X(trunc);
__MATH_XX(atan2);
__MATH_XX(pow);
__MATH_XX(hypot);
__MATH_XX(fmod);
__MATH_XX(remainder);
__MATH_XX(copysign);
__MATH_XX(nextafter);
__MATH_XX(fdim);
__MATH_XX(fmax);
__MATH_XX(fmin);

double fma(double, double, double);
float fmaf(float, float, float);
long double fmal(long double, long double, long double);
double frexp(double, int *);
float frexpf(float, int *);
long double frexpl(long double, int *);
double ldexp(double, int);
float ldexpf(float, int);
long double ldexpl(long double, int);
double modf(double, double *);
float modff(float, float *);
long double modfl(long double, long double *);
double scalbn(double, int);
float scalbnf(float, int);
long double scalbnl(long double, int);
double scalbln(double, long);
float scalblnf(float, long);
long double scalblnl(long double, long);
int ilogb(double);
int ilogbf(float);
int ilogbl(long double);
long lrint(double);
long lrintf(float);
long lrintl(long double);
long lround(double);
long lroundf(float);
long lroundl(long double);
long long llrint(double);
long long llrintf(float);
long long llrintl(long double);
long long llround(double);
long long llroundf(float);
long long llroundl(long double);
double remquo(double, double, int *);
float remquof(float, float, int *);
long double remquol(long double, long double, int *);
double nexttoward(double, long double);
float nexttowardf(float, long double);
long double nexttowardl(long double, long double);
double nan(const char *);
float nanf(const char *);
long double nanl(const char *);

#undef __MATH_X
#undef __MATH_XX

#ifdef __cplusplus
}
#endif

#endif
