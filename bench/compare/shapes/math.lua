local n = tonumber(arg[1])
local s = 0.0
for i = 1, n do
  local x = i * 0.001
  s = s + math.sin(x) * math.cos(x) + math.exp(-x)
end
print(s)
