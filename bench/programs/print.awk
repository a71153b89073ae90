BEGIN {
  n = @N@; i = 0; x = 0.5
  while (i < n) {
    printf("line %g %g\n", i, x)
    fflush()
    i = i + 1
    x = x + 0.25
  }
}
