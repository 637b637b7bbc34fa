local n = tonumber(arg[1])
local m = {}
for r = 1, 100 do
  m[r] = {}
  for j = 1, 100 do m[r][j] = 0.0 end
end
local r = 1
for i = 1, n // 100 do
  for j = 1, 100 do
    m[r][j] = m[r][j] + j
  end
  r = r + 1
  if r > 100 then r = 1 end
end
print(m[1][1])
