my $n = @N@;
my $sum = 0;
my $i = 0;
while ($i < $n) {
  my $j = 0;
  while ($j < $n) { $sum = $sum + $i * $j; $j = $j + 1; }
  $i = $i + 1;
}
printf("%g\n", $sum);
