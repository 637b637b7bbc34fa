/* A shared library that the tests of the DLL built-in call: procedures of
   plain C arguments, and procedures of the interface of user libraries
   written for the interpreter. */
#include <ctype.h>
#include <errno.h>
#include <stdint.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

/* The two halves of the 64-bit machine word that a by-value argument became. */
EXPORT int dll_low(long long a) { return (int)a; }
EXPORT int dll_high(long long a) { return (int)(a >> 32); }

/* A float between two integers reaches its own register. */
EXPORT int dll_r4(int a, float f, int b) { return a * 1000 + (int)(f * 10.0f) + b * 100000; }

/* Every element changed in place, n elements. */
EXPORT int dll_neg1(int8_t* p, int n) { for (int i = 0; i < n; ++i) p[i] = (int8_t)-p[i]; return n; }
EXPORT int dll_neg2(int16_t* p, int n) { for (int i = 0; i < n; ++i) p[i] = (int16_t)-p[i]; return n; }
EXPORT int dll_neg4(int32_t* p, int n) { for (int i = 0; i < n; ++i) p[i] = -p[i]; return n; }
EXPORT int dll_neg8(int64_t* p, int n) { for (int i = 0; i < n; ++i) p[i] = -p[i]; return n; }
EXPORT int dll_inc1u(uint8_t* p, int n) { for (int i = 0; i < n; ++i) ++p[i]; return n; }
EXPORT int dll_inc2u(uint16_t* p, int n) { for (int i = 0; i < n; ++i) ++p[i]; return n; }
EXPORT int dll_inc4u(uint32_t* p, int n) { for (int i = 0; i < n; ++i) ++p[i]; return n; }
EXPORT int dll_half4(float* p, int n) { for (int i = 0; i < n; ++i) p[i] /= 2; return n; }
EXPORT int dll_twice8(double* p, int n) { for (int i = 0; i < n; ++i) p[i] *= 2; return n; }

/* Texts: upper-cased up to the NUL (returns the length), or the first
   character replaced. */
EXPORT int dll_upper(char* s) {
  int n = 0;
  for (; s[n] != '\0'; ++n) s[n] = (char)toupper((unsigned char)s[n]);
  return n;
}
EXPORT int dll_putx(char* s) { s[0] = 'X'; return 1; }

/* A record of a 32-bit integer and a 64-bit real, packed. */
struct __attribute__((packed)) rec {
  int32_t a;
  double b;
};
EXPORT int dll_rec(struct rec* r) {
  r->a += 1;
  r->b *= 2;
  return r->a;
}

/* The value given back, and a failure with an error number. */
EXPORT int dll_echo(int a) { return a; }
EXPORT int dll_fail(int e) { errno = e; return 0; }

/* Counts its calls while the library stays loaded. */
static int calls = 0;
EXPORT int dll_counter(void) { return ++calls; }

/* The interface of user libraries: the value store from cell 1, the
   argument count, the positions, lengths and types of the arguments, the
   character store from character 1, and the value 1. */
typedef double Cell;

/* Counts its calls while the library stays loaded. */
static int usrcalls = 0;
EXPORT double usr_count(Cell* z, int* n, int* p, int* l, int* t, char* c, long long o) {
  (void)z; (void)n; (void)p; (void)l; (void)t; (void)c; (void)o;
  return ++usrcalls;
}

/* Numbers doubled, texts upper-cased. */
EXPORT void usr_scale(Cell* z, int* n, int* pos, int* len, int* type, char* c1, long long one) {
  if (one != 1) return;
  for (int i = 0; i < *n; ++i) {
    if (type[i] & 0x40) {
      for (int e = 0; e < len[i]; ++e) c1[pos[i] - 1 + e] = (char)toupper((unsigned char)c1[pos[i] - 1 + e]);
    } else {
      for (int e = 0; e < len[i]; ++e) z[pos[i] - 1 + e] *= 2;
    }
  }
}

/* The sum of every numeric element, plus 1000 times the argument count;
   cell 1 holds the character store's size. */
EXPORT double usr_sum(Cell* z, int* n, int* pos, int* len, int* type, char* c1, long long one) {
  (void)c1;
  double s = 1000.0 * *n;
  for (int i = 0; i < *n; ++i)
    if (!(type[i] & 0x40))
      for (int e = 0; e < len[i]; ++e) s += z[pos[i] - 1 + e];
  return one == 1 && z[0] > 0 ? s : -1;
}

/* Name forms: each returns the number of the form it is exported under.
   A linker takes "name@24" for a symbol version, so the decorated names are
   built under stand-in names of the same length and hash, which the build
   then renames in the finished library (decorate.c). */
EXPORT double usr_plain(Cell* z, int* n, int* p, int* l, int* t, char* c, long long o) {
  (void)z; (void)n; (void)p; (void)l; (void)t; (void)c; (void)o;
  return 0;
}
#define FORM(fn, label, value)                                                        \
  EXPORT double fn(Cell* z, int* n, int* p, int* l, int* t, char* c, long long o)     \
      __asm__(label);                                                                 \
  double fn(Cell* z, int* n, int* p, int* l, int* t, char* c, long long o) {          \
    (void)z; (void)n; (void)p; (void)l; (void)t; (void)c; (void)o;                    \
    return value;                                                                     \
  }
FORM(usr_dec, "_usr_dea_AD", 1)          /* "_usr_dec@24" */
FORM(usr_pick_up, "USR_PICK", 3)
FORM(usr_pick_dec, "_usr_pichlnt", 1)    /* "_usr_pick@24" */
FORM(usr_two_up, "_USR_TWLlnt", 2)       /* "_USR_TWO@24" */
FORM(usr_two_dec, "_usr_twllnt", 1)      /* "_usr_two@24" */
