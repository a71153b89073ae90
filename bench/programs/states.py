seconds = @N@
big = 4503599627370496.0
seed = 4242.0
k = 0.0
r = 0.0
state = 0.0
nstate = 0.0
t = 0.0
q = 0.0
ped = 0.0
night = 0.0
blink = 0.0
clock = 75600.0
day = 1.0
s = 0.0
cycles = 0.0
walks = 0.0
served = 0.0
waited = 0.0
longest = 0.0
mean = 0.0
while s < seconds:
    seed = seed * 16807
    k = seed / 2147483647
    r = k + big - big
    if r > k:
        r = r - 1
    seed = seed - r * 2147483647

    night = 1 if (clock > 79199 or clock < 21600) else 0
    if (seed < 171798692 and not night) or seed < 21474836:
        q = q + 1
    if seed > 2140000000:
        ped = 1
    waited = waited + q
    if q > longest:
        longest = q

    nstate = state
    if state == 0 and ((t > 20 and (q > 3 or ped)) or (t > 60 and q > 0) or night):
        nstate = 1
    if state == 1 and not (t < 3):
        nstate = 2
    if state == 2 and not (t < 2):
        nstate = 3
        if ped:
            nstate = 6
        if night and not ped:
            nstate = 8
    if state == 3 and q > 0 and t > 1:
        q = q - 1
        served = served + 1
    if state == 3 and ((t > 5 and q == 0) or t > 30 or (ped and t > 10)):
        nstate = 4
    if state == 4 and q > 0 and t < 1:
        q = q - 1
        served = served + 1
    if state == 4 and not (t < 3):
        nstate = 5
    if state == 5 and not (t < 2):
        nstate = 0
        cycles = cycles + 1
    if state == 6 and not (t < 10):
        nstate = 7
    if state == 7 and not (t < 6):
        ped = 0
        walks = walks + 1
        nstate = 5
        if q > 0 and not night:
            nstate = 3
    if state == 8:
        blink = 0 if blink else 1
        if blink and q > 0:
            q = q - 1
            served = served + 1
        if not blink and ped:
            ped = 0
            walks = walks + 1
    if state == 8 and not night and not (t < 5):
        nstate = 5

    t = t + 1
    if not (nstate == state):
        state = nstate
        t = 0
        blink = 0
    clock = clock + 1
    if clock == 86400:
        mean = waited / served
        print("day %g cycles %g walks %g served %g mean wait %g" % (day, cycles, walks, served, mean))
        clock = 0
        day = day + 1
    s = s + 1
mean = 0
if served > 0:
    mean = waited / served
print("after %g seconds: state %g queue %g longest %g" % (s, state, q, longest))
print("cycles %g walks %g served %g mean wait %g" % (cycles, walks, served, mean))
