local n = @N@
local i = 0
while i < n do i = i + 1 end
print(string.format("%g", i))
