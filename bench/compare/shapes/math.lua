local n = tonumber(arg[1])
local sin, cos, exp = math.sin, math.cos, math.exp
local s = 0.0
for i = 1, n do
  local x = i * 0.001
  s = s + sin(x) * cos(x) + exp(-x)
end
print(s)
