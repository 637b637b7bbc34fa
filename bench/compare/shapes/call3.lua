local n = tonumber(arg[1])
local function add3(x, y, z)
  return x + y
end
local s, t = 0, 0
for i = 1, n do
  t = add3(i, 2, t)
  s = s + t
end
print(s)
