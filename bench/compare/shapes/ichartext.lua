local n = tonumber(arg[1])
local t = 'Pack my box with five dozen liquor jugs; the quick brown fox jumps over the lazy dog, 0123456789!?()'
local k = 0
for r = 1, n // 100 do
  for j = 1, 100 do
    k = k + t:byte(j) * j
  end
end
print(k)
