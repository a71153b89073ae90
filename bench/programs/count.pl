my $n = @N@;
my $i = 0;
while ($i < $n) { $i = $i + 1; }
printf("%g\n", $i);
