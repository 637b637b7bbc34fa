local n = tonumber(arg[1])
local s = 'abcdefghijklmnop'
local a = {}
for j = 1, 100 do a[j] = j * 0.5 end
local format, sub = string.format, string.sub
local z = 0.5
local f = io.open('items.txt', 'wb')
for i = 1, n do
  z = z + 0.25
  f:write(format('%8d%12.3f%8s%8.1f\r\n', i + 1, -z, sub(s, 3, 10), a[i % 100 + 1]))
end
f:close()
