BEGIN {
  n = @N@; k = 1; sum = 0; sign = 1
  while (k < n + 1) {
    sum = sum + sign / (2 * k - 1)
    sign = -sign
    k = k + 1
  }
  pi = 4 * sum
  printf("%g %g\n", pi, sum)
}
