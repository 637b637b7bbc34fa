local n = tonumber(arg[1])
local max, min = math.max, math.min
local function g(x, y)
  return x * 0.5 - y
end
local t = 0
local y = 3
for i = 1, n do
  t = t + min(g(i, y), 1.5)
  t = t - max(y, g(y, i), 0.25)
end
print(t)
