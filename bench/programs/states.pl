my $seconds = @N@;
my $big = 4503599627370496.0;
my ($seed, $k, $r) = (4242, 0, 0);
my ($state, $nstate, $t, $q, $ped, $night, $blink) = (0, 0, 0, 0, 0, 0, 0);
my ($clock, $day, $s) = (75600, 1, 0);
my ($cycles, $walks, $served, $waited, $longest, $mean) = (0, 0, 0, 0, 0, 0);
while ($s < $seconds) {
  $seed = $seed * 16807;
  $k = $seed / 2147483647;
  $r = $k + $big - $big;
  if ($r > $k) { $r = $r - 1; }
  $seed = $seed - $r * 2147483647;

  $night = ($clock > 79199 || $clock < 21600) ? 1 : 0;
  if (($seed < 171798692 && !$night) || $seed < 21474836) { $q = $q + 1; }
  if ($seed > 2140000000) { $ped = 1; }
  $waited = $waited + $q;
  if ($q > $longest) { $longest = $q; }

  $nstate = $state;
  if ($state == 0 && (($t > 20 && ($q > 3 || $ped)) || ($t > 60 && $q > 0) || $night)) { $nstate = 1; }
  if ($state == 1 && !($t < 3)) { $nstate = 2; }
  if ($state == 2 && !($t < 2)) {
    $nstate = 3;
    if ($ped) { $nstate = 6; }
    if ($night && !$ped) { $nstate = 8; }
  }
  if ($state == 3 && $q > 0 && $t > 1) { $q = $q - 1; $served = $served + 1; }
  if ($state == 3 && (($t > 5 && $q == 0) || $t > 30 || ($ped && $t > 10))) { $nstate = 4; }
  if ($state == 4 && $q > 0 && $t < 1) { $q = $q - 1; $served = $served + 1; }
  if ($state == 4 && !($t < 3)) { $nstate = 5; }
  if ($state == 5 && !($t < 2)) { $nstate = 0; $cycles = $cycles + 1; }
  if ($state == 6 && !($t < 10)) { $nstate = 7; }
  if ($state == 7 && !($t < 6)) {
    $ped = 0;
    $walks = $walks + 1;
    $nstate = 5;
    if ($q > 0 && !$night) { $nstate = 3; }
  }
  if ($state == 8) {
    $blink = $blink ? 0 : 1;
    if ($blink && $q > 0) { $q = $q - 1; $served = $served + 1; }
    if (!$blink && $ped) { $ped = 0; $walks = $walks + 1; }
  }
  if ($state == 8 && !$night && !($t < 5)) { $nstate = 5; }

  $t = $t + 1;
  if (!($nstate == $state)) { $state = $nstate; $t = 0; $blink = 0; }
  $clock = $clock + 1;
  if ($clock == 86400) {
    $mean = $waited / $served;
    printf("day %g cycles %g walks %g served %g mean wait %g\n", $day, $cycles, $walks, $served, $mean);
    $clock = 0;
    $day = $day + 1;
  }
  $s = $s + 1;
}
$mean = 0;
if ($served > 0) { $mean = $waited / $served; }
printf("after %g seconds: state %g queue %g longest %g\n", $s, $state, $q, $longest);
printf("cycles %g walks %g served %g mean wait %g\n", $cycles, $walks, $served, $mean);
