local n = tonumber(arg[1])
local a = {}
for i = 1, 100 do a[i] = 0.0 end
local k = 1
for i = 1, n do
  a[k] = a[k] + i
  k = k + 1
  if k > 100 then k = 1 end
end
print(a[1])
