local n = tonumber(arg[1])
local i, s = 0, 0
::again::
i = i + 1
if i % 2 == 0 then s = s + i end
if i < n then goto again end
print(s)
