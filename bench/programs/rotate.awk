BEGIN {
  last = @N@; m = 2; prev = 0; cur = 0; t = 0; k = 0; rank = 0
  ones = 0; twos = 0; fours = 0; longest = 0; longest_m = 0; ratio = 0
  steps = 0; shown = 0
  while (m < last + 1) {
    prev = 0
    cur = 1
    k = 0
    rank = 0
    while (k == 0 || !(prev == 0 && cur == 1)) {
      t = prev + cur
      if (!(t < m)) t = t - m
      prev = cur
      cur = t
      k = k + 1
      if (prev == 0 && rank == 0) rank = k
    }
    steps = steps + k
    if (k == rank) ones = ones + 1
    if (k == 2 * rank) twos = twos + 1
    if (k == 4 * rank) fours = fours + 1
    ratio = k / m
    if (ratio > longest) { longest = ratio; longest_m = m }
    shown = shown + 1
    if (m < 25 || shown == 200) {
      printf("m %g period %g rank %g period/m %g\n", m, k, rank, ratio)
      shown = 0
    }
    m = m + 1
  }
  printf("moduli 2 to %g steps %g\n", last, steps)
  printf("period = rank: %g 2 * rank: %g 4 * rank: %g\n", ones, twos, fours)
  printf("longest period %g * m at m = %g\n", longest, longest_m)
}
