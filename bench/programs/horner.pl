my $steps = @N@;
my ($part, $lo, $hi, $h, $i, $x, $x2, $y, $y2) = (0, 0, 0, 0, 0, 0, 0, 0, 0);
my ($sn, $cs, $ex, $ln, $at) = (0, 0, 0, 0, 0);
my ($ssum, $csum, $esum, $lsum, $asum, $err, $worst) = (0, 0, 0, 0, 0, 0, 0);
while ($part < 4) {
  $lo = $part / 2;
  $hi = $lo + 0.5;
  $h = ($hi - $lo) / $steps;
  $ssum = 0;
  $csum = 0;
  $esum = 0;
  $lsum = 0;
  $asum = 0;
  $worst = 0;
  $i = 0;
  while ($i < $steps) {
    $x = $lo + ($i + 0.5) * $h;
    $x2 = $x * $x;
    $sn = $x * (1 - $x2 / 6 * (1 - $x2 / 20 * (1 - $x2 / 42 * (1 - $x2 / 72 * (1 - $x2 / 110 * (1 - $x2 / 156))))));
    $cs = 1 - $x2 / 2 * (1 - $x2 / 12 * (1 - $x2 / 30 * (1 - $x2 / 56 * (1 - $x2 / 90 * (1 - $x2 / 132 * (1 - $x2 / 182))))));
    $ex = 1 + -$x * (1 + -$x / 2 * (1 + -$x / 3 * (1 + -$x / 4 * (1 + -$x / 5 * (1 + -$x / 6 * (1 + -$x / 7 * (1 + -$x / 8)))))));
    $y = $x / (2 + $x);
    $y2 = $y * $y;
    $ln = 2 * $y * (1 + $y2 * (1 / 3 + $y2 * (1 / 5 + $y2 * (1 / 7 + $y2 * (1 / 9 + $y2 * (1 / 11 + $y2 * (1 / 13 + $y2 / 15)))))));
    $at = $x * (15 + 4 * $x2) / (15 + 9 * $x2);
    $ssum = $ssum + $sn;
    $csum = $csum + $cs;
    $esum = $esum + $ex;
    $lsum = $lsum + $ln;
    $asum = $asum + $at;
    $err = $sn * $sn + $cs * $cs - 1;
    if ($err < 0) { $err = -$err; }
    if ($err > $worst) { $worst = $err; }
    $i = $i + 1;
  }
  $ssum = $ssum * $h;
  $csum = $csum * $h;
  $esum = $esum * $h;
  $lsum = $lsum * $h;
  $asum = $asum * $h;
  printf("from %g to %g sin %g cos %g exp(-x) %g ln(1+x) %g atan %g worst %g\n",
         $lo, $hi, $ssum, $csum, $esum, $lsum, $asum, $worst);
  $part = $part + 1;
}
