local n = tonumber(arg[1])
local a = {}
for i = 1, 100 do a[i] = 0.0 end
for i = 1, n do
  a[(i * 7) % 100 + 1] = a[(i * 7) % 100 + 1] + i
end
print(a[1])
