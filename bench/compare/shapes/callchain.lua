local n = tonumber(arg[1])
local function c4(x, y) return y + x end
local function c3(x, y) return c4(x, y) end
local function c2(x, y) return c3(x, y) end
local function c1(x, y) return c2(x, y) end
local s = 0
for i = 1, n do
  s = c1(i, s)
end
print(s)
