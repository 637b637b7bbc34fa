local n = tonumber(arg[1])
local t = string.rep('the quick brown fox jumps over the lazy dog ', 10) .. 'a grey wolf.'
t = t .. string.rep(' ', 600 - #t)
local p = 'wolf'
local find = string.find
local k = 0
for i = 1, n do
  k = k + find(t, p, 1, true)
end
print(k)
