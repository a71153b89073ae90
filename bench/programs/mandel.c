#include <stdio.h>
int main(void) {
  volatile double rows = @N@;
  double cols = rows * 2, max = 200;
  double dx = 2.5 / cols, dy = 2.5 / rows;
  double row = 0, col = 0, cr = 0, ci = 0, x = 0, y = 0, xt = 0, it = 0;
  double inside = 0, touches = 0, count = 0, total = 0, slow = 0, iterations = 0, reaching = 0;
  while (row < rows) {
    ci = -1.25 + row * dy;
    col = 0;
    count = 0;
    slow = 0;
    iterations = 0;
    touches = 0;
    while (col < cols) {
      cr = -2 + col * dx;
      x = 0;
      y = 0;
      it = 0;
      while ((x * x + y * y < 4) && (it < max)) {
        xt = x * x - y * y + cr;
        y = 2 * x * y + ci;
        x = xt;
        it = it + 1;
      }
      inside = it == max;
      if (inside != 0) { count = count + 1; touches = 1; }
      if (inside == 0 && it > 20) slow = slow + 1;
      iterations = iterations + it;
      col = col + 1;
    }
    if (touches != 0) reaching = reaching + 1;
    total = total + count;
    printf("row %g y %g inside %g slow %g iterations %g\n", row, ci, count, slow, iterations);
    row = row + 1;
  }
  double area = total * dx * dy;
  printf("points inside %g rows reaching the set %g area about %g\n", total, reaching, area);
  return 0;
}
