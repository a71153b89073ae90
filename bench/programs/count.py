n = @N@
i = 0
while i < n:
    i = i + 1
print("%g" % i)
