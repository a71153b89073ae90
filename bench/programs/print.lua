local n = @N@
local i = 0
local x = 0.5
local out = io.stdout
while i < n do
  out:write(string.format("line %g %g\n", i, x))
  out:flush()
  i = i + 1
  x = x + 0.25
end
