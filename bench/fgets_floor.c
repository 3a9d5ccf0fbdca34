/* The floor that the conversion is compared with: reads a file's lines three times with fgets
   into a 512-byte buffer, touching each line's first byte, and prints the number of lines. */
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: fgets_floor FILE\n");
    return 2;
  }
  char line[512];
  unsigned long long lines = 0;
  unsigned sum = 0;
  for (int pass = 0; pass < 3; ++pass) {
    FILE* f = fopen(argv[1], "rb");
    if (f == NULL) {
      perror(argv[1]);
      return 1;
    }
    while (fgets(line, sizeof line, f) != NULL) {
      ++lines;
      sum += (unsigned char)line[0];
    }
    fclose(f);
  }
  printf("%llu %u\n", lines, sum);
  return 0;
}
