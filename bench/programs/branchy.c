#include <stdio.h>
int main(void) {
  volatile double n = @N@;
  double i = 0, hits = 0, a = 0, b = 0;
  while (i < n) {
    a = (i > 100 && i < n - 100) ? 1 : 0;
    b = (!(i == 500) || (i > 1000 && !a)) ? 1 : 0;
    if ((a != 0 && b != 0) || b == 0) hits = hits + 1;
    if (a == 0) hits = hits + 2;
    i = i + 1;
  }
  printf("%g %g %g\n", hits, a, b);
  return 0;
}
