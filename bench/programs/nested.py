n = @N@
total = 0
i = 0
while i < n:
    j = 0
    while j < n:
        total = total + i * j
        j = j + 1
    i = i + 1
print("%g" % total)
