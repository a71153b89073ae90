BEGIN {
  n = @N@; sum = 0; i = 0
  while (i < n) {
    j = 0
    while (j < n) { sum = sum + i * j; j = j + 1 }
    i = i + 1
  }
  printf("%g\n", sum)
}
