local rows = @N@
local cols = rows * 2
local max = 200
local dx = 2.5 / cols
local dy = 2.5 / rows
local row, col, cr, ci, x, y, xt, it = 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0
local inside, touches, count, total, slow, iterations, reaching = 0, 0, 0.0, 0.0, 0.0, 0.0, 0.0
while row < rows do
  ci = -1.25 + row * dy
  col = 0.0
  count = 0.0
  slow = 0.0
  iterations = 0.0
  touches = 0
  while col < cols do
    cr = -2 + col * dx
    x = 0.0
    y = 0.0
    it = 0.0
    while (x * x + y * y < 4) and (it < max) do
      xt = x * x - y * y + cr
      y = 2 * x * y + ci
      x = xt
      it = it + 1
    end
    inside = (it == max) and 1 or 0
    if inside ~= 0 then count = count + 1; touches = 1 end
    if inside == 0 and it > 20 then slow = slow + 1 end
    iterations = iterations + it
    col = col + 1
  end
  if touches ~= 0 then reaching = reaching + 1 end
  total = total + count
  print(string.format("row %g y %g inside %g slow %g iterations %g", row, ci, count, slow, iterations))
  row = row + 1
end
local area = total * dx * dy
print(string.format("points inside %g rows reaching the set %g area about %g", total, reaching, area))
