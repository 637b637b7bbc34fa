local s = string.rep(' ', 200000)
for i = 1, 20000 do
  local t = s:gsub('%s+$', '') .. 'ab'
  s = t .. string.rep(' ', 200000 - #t)
end
print(#(s:gsub('%s+$', '')))
