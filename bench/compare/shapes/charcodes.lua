local n = tonumber(arg[1])
local s = 'abcdefghijklmnopqrstuvwxyz'
local k = 0
for i = 1, n do
  local j = i % 26 + 1
  k = k + s:byte(j)
end
print(k)
