local limit = @N@
local big = 4503599627370496.0
local count = 0
local n = 2
while n < limit do
  local prime = 1
  local d = 2
  while d * d < n + 1 and prime ~= 0 do
    local q = n / d
    if q + big - big == q then prime = 0 end
    d = d + 1
  end
  count = count + prime
  n = n + 1
end
print(string.format("%g", count))
