my $limit = @N@;
my $big = 4503599627370496.0;
my $count = 0;
my $n = 2;
while ($n < $limit) {
  my $prime = 1;
  my $d = 2;
  while ($d * $d < $n + 1 && $prime) {
    my $q = $n / $d;
    if ($q + $big - $big == $q) { $prime = 0; }
    $d = $d + 1;
  }
  $count = $count + $prime;
  $n = $n + 1;
}
printf("%g\n", $count);
