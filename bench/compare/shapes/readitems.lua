local n = tonumber(arg[1])
local format, sub, tonum = string.format, string.sub, tonumber
local t = 'cdefghij'
local f = io.open('items.txt', 'wb')
for i = 1, n do
  f:write(format('%8d%12.3f%8s\r\n', i, i * 0.25, t))
end
f:close()
local s = 'abcdefghijklmnop'
local a = {}
for j = 1, 100 do a[j] = 0 end
local k
local i = 0
for line in io.lines('items.txt') do
  i = i + 1
  k = tonum(sub(line, 1, 8))
  a[i % 100 + 1] = tonum(sub(line, 9, 20))
  s = sub(s, 1, 2) .. sub(line, 21, 28) .. sub(s, 11)
end
