limit = @N@
big = 4503599627370496.0
count = 0
n = 2.0
while n < limit:
    prime = 1
    d = 2.0
    while d * d < n + 1 and prime:
        q = n / d
        if q + big - big == q:
            prime = 0
        d = d + 1
    count = count + prime
    n = n + 1
print("%g" % count)
