#include <stdio.h>
int main(void) {
  volatile double n = @N@;
  double sum = 0;
  for (double i = 0; i < n; i = i + 1)
    for (double j = 0; j < n; j = j + 1) sum = sum + i * j;
  printf("%g\n", sum);
  return 0;
}
