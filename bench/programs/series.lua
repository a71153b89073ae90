local n = @N@
local k = 1.0
local sum = 0.0
local sign = 1.0
while k < n + 1 do
  sum = sum + sign / (2 * k - 1)
  sign = -sign
  k = k + 1
end
local pi = 4 * sum
print(string.format("%g %g", pi, sum))
