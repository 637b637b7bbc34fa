local n = tonumber(arg[1])
local fmod, abs = math.fmod, math.abs
local s = 0
local x = 50.5
for i = 1, n do
  s = s + fmod(i, 7) * abs(x - i)
end
print(s)
