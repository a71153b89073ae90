$| = 1;
my $n = @N@;
my $i = 0;
my $x = 0.5;
while ($i < $n) {
  printf("line %g %g\n", $i, $x);
  $i = $i + 1;
  $x = $x + 0.25;
}
