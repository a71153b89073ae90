local n = @N@
local i, hits, a, b = 0, 0, 0, 0
while i < n do
  a = (i > 100 and i < n - 100) and 1 or 0
  b = (not (i == 500) or (i > 1000 and a == 0)) and 1 or 0
  if (a ~= 0 and b ~= 0) or b == 0 then hits = hits + 1 end
  if a == 0 then hits = hits + 2 end
  i = i + 1
end
print(string.format("%g %g %g", hits, a, b))
