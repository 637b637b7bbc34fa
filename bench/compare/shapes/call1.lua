local n = tonumber(arg[1])
local function twice(q)
  return q * 2 + 1
end
local s = 0
for i = 1, n do
  s = s + twice(i)
end
print(s)
