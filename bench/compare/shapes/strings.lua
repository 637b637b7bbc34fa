local n = tonumber(arg[1])
local s = 'hello world'
local k = 0
for i = 1, n do
  local t = s:sub(1, 5) .. '-' .. s:sub(7, 11)
  k = k + #(t:gsub('%s+$', '')) + (t:find('wor', 1, true) or 0)
end
print(k)
