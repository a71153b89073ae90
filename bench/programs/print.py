import sys
n = @N@
i = 0
x = 0.5
out = sys.stdout
while i < n:
    out.write("line %g %g\n" % (i, x))
    out.flush()
    i = i + 1
    x = x + 0.25
