#include <stdio.h>
int main(void) {
  volatile double parcels = @N@;
  double big = 4503599627370496.0, seed = 20250, k = 0, r = 0;
  double w = 0, z = 0, u = 0, e = 0, f = 0;
  double air = 0, ground = 0, freight = 0, careful = 0, review = 0, rejected = 0;
  double i = 0, batch = 0, share = 0;
  while (i < parcels) {
    seed = seed * 16807;
    k = seed / 2147483647;
    r = k + big - big;
    if (r > k) r = r - 1;
    seed = seed - r * 2147483647;

    k = seed / 214748365;
    w = k + big - big;
    if (w > k) w = w - 1;
    u = seed - w * 214748365;
    k = u / 42949673;
    z = k + big - big;
    if (z > k) z = z - 1;
    u = u - z * 42949673;
    e = u < 12884902;
    f = u > 6442451 && u < 15032385;

    if ((e == 1 && w > 2) || (z < 2 && !(w == 4))) air = air + 1;
    if (!(w == 0 || z == 0) && !e) ground = ground + 1;
    if ((w > 7 || (z == 4 && w > 5)) && !(e && f)) freight = freight + 1;
    if ((f && (w < 3 || !e)) || (z == 3 && w == 5)) careful = careful + 1;
    if ((e && f && z > 2) || (w == 9 && !(z < 3) && !e)) review = review + 1;
    if ((w == 0 && z == 0) || (!(w < 8 || z < 3) && f)) rejected = rejected + 1;

    i = i + 1;
    batch = batch + 1;
    if (batch == 250000) {
      printf("parcels %g air %g ground %g freight %g careful %g review %g rejected %g\n",
             i, air, ground, freight, careful, review, rejected);
      batch = 0;
    }
  }
  printf("total %g air %g ground %g freight %g careful %g review %g rejected %g\n",
         i, air, ground, freight, careful, review, rejected);
  share = air / i * 100;
  printf("air %g %%\n", share);
  share = ground / i * 100;
  printf("ground %g %%\n", share);
  share = freight / i * 100;
  printf("freight %g %%\n", share);
  share = careful / i * 100;
  printf("careful %g %%\n", share);
  share = review / i * 100;
  printf("review %g %%\n", share);
  share = rejected / i * 100;
  printf("rejected %g %%\n", share);
  return 0;
}
