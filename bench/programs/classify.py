parcels = @N@
big = 4503599627370496.0
seed = 20250.0
k = 0.0
r = 0.0
w = 0.0
z = 0.0
u = 0.0
e = 0
f = 0
air = 0.0
ground = 0.0
freight = 0.0
careful = 0.0
review = 0.0
rejected = 0.0
i = 0.0
batch = 0.0
share = 0.0
while i < parcels:
    seed = seed * 16807
    k = seed / 2147483647
    r = k + big - big
    if r > k:
        r = r - 1
    seed = seed - r * 2147483647

    k = seed / 214748365
    w = k + big - big
    if w > k:
        w = w - 1
    u = seed - w * 214748365
    k = u / 42949673
    z = k + big - big
    if z > k:
        z = z - 1
    u = u - z * 42949673
    e = 1 if u < 12884902 else 0
    f = 1 if (u > 6442451 and u < 15032385) else 0

    if (e == 1 and w > 2) or (z < 2 and not (w == 4)):
        air = air + 1
    if not (w == 0 or z == 0) and not e:
        ground = ground + 1
    if (w > 7 or (z == 4 and w > 5)) and not (e and f):
        freight = freight + 1
    if (f and (w < 3 or not e)) or (z == 3 and w == 5):
        careful = careful + 1
    if (e and f and z > 2) or (w == 9 and not (z < 3) and not e):
        review = review + 1
    if (w == 0 and z == 0) or (not (w < 8 or z < 3) and f):
        rejected = rejected + 1

    i = i + 1
    batch = batch + 1
    if batch == 250000:
        print("parcels %g air %g ground %g freight %g careful %g review %g rejected %g"
              % (i, air, ground, freight, careful, review, rejected))
        batch = 0
print("total %g air %g ground %g freight %g careful %g review %g rejected %g"
      % (i, air, ground, freight, careful, review, rejected))
share = air / i * 100
print("air %g %%" % share)
share = ground / i * 100
print("ground %g %%" % share)
share = freight / i * 100
print("freight %g %%" % share)
share = careful / i * 100
print("careful %g %%" % share)
share = review / i * 100
print("review %g %%" % share)
share = rejected / i * 100
print("rejected %g %%" % share)
