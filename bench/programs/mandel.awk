BEGIN {
  rows = @N@; cols = rows * 2; max = 200
  dx = 2.5 / cols; dy = 2.5 / rows
  row = 0; col = 0; cr = 0; ci = 0; x = 0; y = 0; xt = 0; it = 0
  inside = 0; touches = 0; count = 0; total = 0; slow = 0; iterations = 0; reaching = 0
  while (row < rows) {
    ci = -1.25 + row * dy
    col = 0
    count = 0
    slow = 0
    iterations = 0
    touches = 0
    while (col < cols) {
      cr = -2 + col * dx
      x = 0
      y = 0
      it = 0
      while ((x * x + y * y < 4) && (it < max)) {
        xt = x * x - y * y + cr
        y = 2 * x * y + ci
        x = xt
        it = it + 1
      }
      inside = (it == max) ? 1 : 0
      if (inside) { count = count + 1; touches = 1 }
      if (!inside && it > 20) slow = slow + 1
      iterations = iterations + it
      col = col + 1
    }
    if (touches) reaching = reaching + 1
    total = total + count
    printf("row %g y %g inside %g slow %g iterations %g\n", row, ci, count, slow, iterations)
    row = row + 1
  }
  area = total * dx * dy
  printf("points inside %g rows reaching the set %g area about %g\n", total, reaching, area)
}
