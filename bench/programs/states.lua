local seconds = @N@
local big = 4503599627370496.0
local seed, k, r = 4242.0, 0.0, 0.0
local state, nstate, t, q, ped, night, blink = 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0
local clock, day, s = 75600.0, 1.0, 0.0
local cycles, walks, served, waited, longest, mean = 0.0, 0.0, 0.0, 0.0, 0.0, 0.0
while s < seconds do
  seed = seed * 16807
  k = seed / 2147483647
  r = k + big - big
  if r > k then r = r - 1 end
  seed = seed - r * 2147483647

  night = (clock > 79199 or clock < 21600) and 1 or 0
  if (seed < 171798692 and night == 0) or seed < 21474836 then q = q + 1 end
  if seed > 2140000000 then ped = 1 end
  waited = waited + q
  if q > longest then longest = q end

  nstate = state
  if state == 0 and ((t > 20 and (q > 3 or ped ~= 0)) or (t > 60 and q > 0) or night ~= 0) then nstate = 1 end
  if state == 1 and not (t < 3) then nstate = 2 end
  if state == 2 and not (t < 2) then
    nstate = 3
    if ped ~= 0 then nstate = 6 end
    if night ~= 0 and ped == 0 then nstate = 8 end
  end
  if state == 3 and q > 0 and t > 1 then q = q - 1; served = served + 1 end
  if state == 3 and ((t > 5 and q == 0) or t > 30 or (ped ~= 0 and t > 10)) then nstate = 4 end
  if state == 4 and q > 0 and t < 1 then q = q - 1; served = served + 1 end
  if state == 4 and not (t < 3) then nstate = 5 end
  if state == 5 and not (t < 2) then nstate = 0; cycles = cycles + 1 end
  if state == 6 and not (t < 10) then nstate = 7 end
  if state == 7 and not (t < 6) then
    ped = 0
    walks = walks + 1
    nstate = 5
    if q > 0 and night == 0 then nstate = 3 end
  end
  if state == 8 then
    blink = (blink == 0) and 1 or 0
    if blink ~= 0 and q > 0 then q = q - 1; served = served + 1 end
    if blink == 0 and ped ~= 0 then ped = 0; walks = walks + 1 end
  end
  if state == 8 and night == 0 and not (t < 5) then nstate = 5 end

  t = t + 1
  if not (nstate == state) then state = nstate; t = 0; blink = 0 end
  clock = clock + 1
  if clock == 86400 then
    mean = waited / served
    print(string.format("day %g cycles %g walks %g served %g mean wait %g", day, cycles, walks, served, mean))
    clock = 0
    day = day + 1
  end
  s = s + 1
end
mean = 0
if served > 0 then mean = waited / served end
print(string.format("after %g seconds: state %g queue %g longest %g", s, state, q, longest))
print(string.format("cycles %g walks %g served %g mean wait %g", cycles, walks, served, mean))
