n = @N@
i = 0
hits = 0
a = 0
b = 0
while i < n:
    a = 1 if (i > 100 and i < n - 100) else 0
    b = 1 if (not (i == 500) or (i > 1000 and not a)) else 0
    if (a and b) or not b:
        hits = hits + 1
    if not a:
        hits = hits + 2
    i = i + 1
print("%g %g %g" % (hits, a, b))
