local weeks = @N@
local week, s, p, units, price, revenue, vat = 1.0, 0.0, 0.0, 40.0, 0.0, 0.0, 0.0
local subtotal, weektotal, grand = 0.0, 0.0, 0.0
local store, product, status = "", "", ""
local out = io.stdout
while week < weeks + 1 do
  out:write(string.format("== week %g of %g == prices include VAT at 20.0 %% ==\n", week, weeks))
  out:flush()
  weektotal = 0.0
  s = 0.0
  while s < 4 do
    store = "Aberdeen"
    if s == 1 then store = "Bergen" end
    if s == 2 then store = "Cork" end
    if s == 3 then store = "Dundee" end
    subtotal = 0.0
    p = 0.0
    while p < 3 do
      product = "kettle"
      price = 24.5
      if p == 1 then product = "teapot"; price = 12.25 end
      if p == 2 then product = "toaster"; price = 89.75 end
      units = units + 17
      if units > 90 then units = units - 83 end
      revenue = units * price
      vat = revenue / 6
      status = "ok"
      if units < 20 then status = "slow" end
      if units > 80 then status = "reorder" end
      out:write(string.format("| %s | %s | %g x %g | %g | %g | %s |\n", store, product, units, price, revenue, vat, status))
      out:flush()
      subtotal = subtotal + revenue
      p = p + 1
    end
    status = "below target"
    if subtotal > 5000 then status = "on target" end
    out:write(string.format("| %s | subtotal over 3 products | %g EUR | target 5000.00 | %s |\n", store, subtotal, status))
    out:flush()
    weektotal = weektotal + subtotal
    s = s + 1
  end
  grand = grand + weektotal
  out:write(string.format("== week %g total %g EUR, year to date %g EUR ==\n", week, weektotal, grand))
  out:flush()
  week = week + 1
end
