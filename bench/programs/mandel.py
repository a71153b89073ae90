rows = @N@
cols = rows * 2
max_it = 200
dx = 2.5 / cols
dy = 2.5 / rows
row = 0.0
col = 0.0
cr = 0.0
ci = 0.0
x = 0.0
y = 0.0
xt = 0.0
it = 0.0
inside = 0
touches = 0
count = 0.0
total = 0.0
slow = 0.0
iterations = 0.0
reaching = 0.0
while row < rows:
    ci = -1.25 + row * dy
    col = 0.0
    count = 0.0
    slow = 0.0
    iterations = 0.0
    touches = 0
    while col < cols:
        cr = -2 + col * dx
        x = 0.0
        y = 0.0
        it = 0.0
        while (x * x + y * y < 4) and (it < max_it):
            xt = x * x - y * y + cr
            y = 2 * x * y + ci
            x = xt
            it = it + 1
        inside = 1 if it == max_it else 0
        if inside:
            count = count + 1
            touches = 1
        if not inside and it > 20:
            slow = slow + 1
        iterations = iterations + it
        col = col + 1
    if touches:
        reaching = reaching + 1
    total = total + count
    print("row %g y %g inside %g slow %g iterations %g" % (row, ci, count, slow, iterations))
    row = row + 1
area = total * dx * dy
print("points inside %g rows reaching the set %g area about %g" % (total, reaching, area))
