#include <stdio.h>
int main(void) {
  volatile double n = @N@;
  double i = 0, x = 0.5;
  while (i < n) {
    printf("line %g %g\n", i, x);
    fflush(stdout);
    i = i + 1;
    x = x + 0.25;
  }
  return 0;
}
