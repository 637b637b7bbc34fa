local n = tonumber(arg[1])
local s = 0
for i = 1, n // 100 do
  for j = 1, 100 do
    s = s + j
  end
end
print(s)
