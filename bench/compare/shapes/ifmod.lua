local n = tonumber(arg[1])
local a, b, c, d = 0, 0, 0, 0
for i = 1, n do
  if i % 15 == 0 then
    a = a + 1
  elseif i % 5 == 0 then
    b = b + 1
  elseif i % 3 == 0 then
    c = c + 1
  else
    d = d + i
  end
end
print(a, b, c, d)
