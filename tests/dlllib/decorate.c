/* Renames symbols in a finished shared library: decorate FILE OLD NEW ...
   Each OLD name (a whole NUL-terminated string of the file) is overwritten
   by NEW of the same length. The library is linked with the classic symbol
   hash table only, and each OLD has the same hash as its NEW, so the loader
   finds the new names. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) return 2;
  FILE* f = fopen(argv[1], "rb");
  if (f == NULL) return 1;
  fseek(f, 0, SEEK_END);
  const long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  char* data = malloc((size_t)size + 1);
  if (data == NULL || fread(data, 1, (size_t)size, f) != (size_t)size) return 1;
  fclose(f);
  for (int a = 2; a + 1 < argc; a += 2) {
    const size_t n = strlen(argv[a]);
    if (strlen(argv[a + 1]) != n) return 2;
    int found = 0;
    for (long i = 1; i + (long)n < size; ++i) {
      if (data[i - 1] == '\0' && data[i + (long)n] == '\0' && memcmp(data + i, argv[a], n) == 0) {
        memcpy(data + i, argv[a + 1], n);
        ++found;
      }
    }
    if (found == 0) {
      fprintf(stderr, "decorate: %s not found\n", argv[a]);
      return 1;
    }
  }
  f = fopen(argv[1], "wb");
  if (f == NULL || fwrite(data, 1, (size_t)size, f) != (size_t)size) return 1;
  fclose(f);
  free(data);
  return 0;
}
