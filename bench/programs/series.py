n = @N@
k = 1.0
total = 0.0
sign = 1.0
while k < n + 1:
    total = total + sign / (2 * k - 1)
    sign = -sign
    k = k + 1
pi = 4 * total
print("%g %g" % (pi, total))
