local n = @N@
local sum = 0
local i = 0
while i < n do
  local j = 0
  while j < n do sum = sum + i * j; j = j + 1 end
  i = i + 1
end
print(string.format("%g", sum))
