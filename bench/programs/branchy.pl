my $n = @N@;
my ($i, $hits, $aa, $bb) = (0, 0, 0, 0);
while ($i < $n) {
  $aa = ($i > 100 && $i < $n - 100) ? 1 : 0;
  $bb = (!($i == 500) || ($i > 1000 && !$aa)) ? 1 : 0;
  if (($aa && $bb) || !$bb) { $hits = $hits + 1; }
  if (!$aa) { $hits = $hits + 2; }
  $i = $i + 1;
}
printf("%g %g %g\n", $hits, $aa, $bb);
