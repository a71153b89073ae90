last = @N@
m = 2.0
prev = 0.0
cur = 0.0
t = 0.0
k = 0.0
rank = 0.0
ones = 0.0
twos = 0.0
fours = 0.0
longest = 0.0
longest_m = 0.0
ratio = 0.0
steps = 0.0
shown = 0.0
while m < last + 1:
    prev = 0.0
    cur = 1.0
    k = 0.0
    rank = 0.0
    while k == 0 or not (prev == 0 and cur == 1):
        t = prev + cur
        if not (t < m):
            t = t - m
        prev = cur
        cur = t
        k = k + 1
        if prev == 0 and rank == 0:
            rank = k
    steps = steps + k
    if k == rank:
        ones = ones + 1
    if k == 2 * rank:
        twos = twos + 1
    if k == 4 * rank:
        fours = fours + 1
    ratio = k / m
    if ratio > longest:
        longest = ratio
        longest_m = m
    shown = shown + 1
    if m < 25 or shown == 200:
        print("m %g period %g rank %g period/m %g" % (m, k, rank, ratio))
        shown = 0
    m = m + 1
print("moduli 2 to %g steps %g" % (last, steps))
print("period = rank: %g 2 * rank: %g 4 * rank: %g" % (ones, twos, fours))
print("longest period %g * m at m = %g" % (longest, longest_m))
