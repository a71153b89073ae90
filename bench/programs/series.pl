my $n = @N@;
my $k = 1;
my $sum = 0;
my $sign = 1;
while ($k < $n + 1) {
  $sum = $sum + $sign / (2 * $k - 1);
  $sign = -$sign;
  $k = $k + 1;
}
my $pi = 4 * $sum;
printf("%g %g\n", $pi, $sum);
