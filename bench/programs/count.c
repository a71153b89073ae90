#include <stdio.h>
int main(void) {
  volatile double n = @N@;
  double i = 0;
  while (i < n) { i = i + 1; }
  printf("%g\n", i);
  return 0;
}
