local n = tonumber(arg[1])
local x, y, s, i = 0.0, 1.0, 0, 0
::again::
i = i + 1
x = x + 0.37
if x > 1.5 then x = x - 1.5 end
if x * y < 0.4 then goto skip end
s = s + 1
::skip::
if x >= 0.905 then y = y * 0.5 + 0.25 end
if x <= 0.205 then y = y + 0.5 end
if i < n then goto again end
print(s, x, y)
