local n = tonumber(arg[1])
local function f(x)
  return x * x + 1
end
local h = 1 / n
local s = (f(0) + f(1)) / 2
for i = 1, n - 1 do
  s = s + f(i * h)
end
s = s * h
print(s)
