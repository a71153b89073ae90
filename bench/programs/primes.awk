BEGIN {
  limit = @N@; big = 4503599627370496; count = 0; n = 2
  while (n < limit) {
    prime = 1; d = 2
    while (d * d < n + 1 && prime) {
      q = n / d
      if (q + big - big == q) prime = 0
      d = d + 1
    }
    count = count + prime
    n = n + 1
  }
  printf("%g\n", count)
}
