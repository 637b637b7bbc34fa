local n = tonumber(arg[1])
local max, min = math.max, math.min
local s = 0
local x = 500.5
for i = 1, n do
  s = s + max(i, x, 7) - min(i, x)
end
print(s)
