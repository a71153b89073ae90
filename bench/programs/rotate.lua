local last = @N@
local m, prev, cur, t, k, rank = 2.0, 0.0, 0.0, 0.0, 0.0, 0.0
local ones, twos, fours, longest, longest_m, ratio = 0.0, 0.0, 0.0, 0.0, 0.0, 0.0
local steps, shown = 0.0, 0.0
while m < last + 1 do
  prev = 0.0
  cur = 1.0
  k = 0.0
  rank = 0.0
  while k == 0 or not (prev == 0 and cur == 1) do
    t = prev + cur
    if not (t < m) then t = t - m end
    prev = cur
    cur = t
    k = k + 1
    if prev == 0 and rank == 0 then rank = k end
  end
  steps = steps + k
  if k == rank then ones = ones + 1 end
  if k == 2 * rank then twos = twos + 1 end
  if k == 4 * rank then fours = fours + 1 end
  ratio = k / m
  if ratio > longest then longest = ratio; longest_m = m end
  shown = shown + 1
  if m < 25 or shown == 200 then
    print(string.format("m %g period %g rank %g period/m %g", m, k, rank, ratio))
    shown = 0
  end
  m = m + 1
end
print(string.format("moduli 2 to %g steps %g", last, steps))
print(string.format("period = rank: %g 2 * rank: %g 4 * rank: %g", ones, twos, fours))
print(string.format("longest period %g * m at m = %g", longest, longest_m))
