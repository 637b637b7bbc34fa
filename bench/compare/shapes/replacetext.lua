local n = tonumber(arg[1])
local s = string.rep('the quick brown fox jumps over the lazy dog ', 10)
s = s .. string.rep(' ', 600 - #s)
local gsub = string.gsub
local t = s
for i = 1, n do
  t = gsub(s, 'the', 'THE')
end
print((string.find(t, 'the', 1, true) or 0))
