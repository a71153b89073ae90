#include <stdio.h>
int main(void) {
  volatile double weeks = @N@;
  double week = 1, s = 0, p = 0, units = 40, price = 0, revenue = 0, vat = 0;
  double subtotal = 0, weektotal = 0, grand = 0;
  const char *store = "", *product = "", *status = "";
  while (week < weeks + 1) {
    printf("== week %g of %g == prices include VAT at 20.0 %% ==\n", week, weeks);
    fflush(stdout);
    weektotal = 0;
    s = 0;
    while (s < 4) {
      store = "Aberdeen";
      if (s == 1) store = "Bergen";
      if (s == 2) store = "Cork";
      if (s == 3) store = "Dundee";
      subtotal = 0;
      p = 0;
      while (p < 3) {
        product = "kettle";
        price = 24.5;
        if (p == 1) { product = "teapot"; price = 12.25; }
        if (p == 2) { product = "toaster"; price = 89.75; }
        units = units + 17;
        if (units > 90) units = units - 83;
        revenue = units * price;
        vat = revenue / 6;
        status = "ok";
        if (units < 20) status = "slow";
        if (units > 80) status = "reorder";
        printf("| %s | %s | %g x %g | %g | %g | %s |\n", store, product, units, price, revenue, vat, status);
        fflush(stdout);
        subtotal = subtotal + revenue;
        p = p + 1;
      }
      status = "below target";
      if (subtotal > 5000) status = "on target";
      printf("| %s | subtotal over 3 products | %g EUR | target 5000.00 | %s |\n", store, subtotal, status);
      fflush(stdout);
      weektotal = weektotal + subtotal;
      s = s + 1;
    }
    grand = grand + weektotal;
    printf("== week %g total %g EUR, year to date %g EUR ==\n", week, weektotal, grand);
    fflush(stdout);
    week = week + 1;
  }
  return 0;
}
