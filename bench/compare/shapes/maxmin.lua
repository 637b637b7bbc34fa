local n = tonumber(arg[1])
local s = 0
local x = 500.5
for i = 1, n do
  s = s + math.max(i, x, 7) - math.min(i, x)
end
print(s)
