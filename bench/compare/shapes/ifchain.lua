local n = tonumber(arg[1])
local a, b, c = 0, 0, 0
for i = 1, n do
  if i % 3 == 0 then
    a = a + 1
  elseif i % 3 == 1 then
    b = b + 1
  else
    c = c + 1
  end
end
print(a, b, c)
