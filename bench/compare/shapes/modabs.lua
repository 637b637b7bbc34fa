local n = tonumber(arg[1])
local s = 0
local x = 50.5
for i = 1, n do
  s = s + math.fmod(i, 7) * math.abs(x - i)
end
print(s)
