#include <stdio.h>
int main(void) {
  volatile double limit = @N@, big = 4503599627370496.0;
  double count = 0;
  for (double n = 2; n < limit; n = n + 1) {
    double prime = 1;
    for (double d = 2; d * d < n + 1 && prime != 0; d = d + 1) {
      double q = n / d;
      if (q + big - big == q) prime = 0;
    }
    count = count + prime;
  }
  printf("%g\n", count);
  return 0;
}
