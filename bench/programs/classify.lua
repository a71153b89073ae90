local parcels = @N@
local big = 4503599627370496.0
local seed, k, r = 20250.0, 0.0, 0.0
local w, z, u, e, f = 0.0, 0.0, 0.0, 0.0, 0.0
local air, ground, freight, careful, review, rejected = 0.0, 0.0, 0.0, 0.0, 0.0, 0.0
local i, batch, share = 0.0, 0.0, 0.0
while i < parcels do
  seed = seed * 16807
  k = seed / 2147483647
  r = k + big - big
  if r > k then r = r - 1 end
  seed = seed - r * 2147483647

  k = seed / 214748365
  w = k + big - big
  if w > k then w = w - 1 end
  u = seed - w * 214748365
  k = u / 42949673
  z = k + big - big
  if z > k then z = z - 1 end
  u = u - z * 42949673
  e = (u < 12884902) and 1 or 0
  f = (u > 6442451 and u < 15032385) and 1 or 0

  if (e == 1 and w > 2) or (z < 2 and not (w == 4)) then air = air + 1 end
  if not (w == 0 or z == 0) and e == 0 then ground = ground + 1 end
  if (w > 7 or (z == 4 and w > 5)) and not (e ~= 0 and f ~= 0) then freight = freight + 1 end
  if (f ~= 0 and (w < 3 or e == 0)) or (z == 3 and w == 5) then careful = careful + 1 end
  if (e ~= 0 and f ~= 0 and z > 2) or (w == 9 and not (z < 3) and e == 0) then review = review + 1 end
  if (w == 0 and z == 0) or (not (w < 8 or z < 3) and f ~= 0) then rejected = rejected + 1 end

  i = i + 1
  batch = batch + 1
  if batch == 250000 then
    print(string.format("parcels %g air %g ground %g freight %g careful %g review %g rejected %g",
                        i, air, ground, freight, careful, review, rejected))
    batch = 0
  end
end
print(string.format("total %g air %g ground %g freight %g careful %g review %g rejected %g",
                    i, air, ground, freight, careful, review, rejected))
share = air / i * 100
print(string.format("air %g %%", share))
share = ground / i * 100
print(string.format("ground %g %%", share))
share = freight / i * 100
print(string.format("freight %g %%", share))
share = careful / i * 100
print(string.format("careful %g %%", share))
share = review / i * 100
print(string.format("review %g %%", share))
share = rejected / i * 100
print(string.format("rejected %g %%", share))
