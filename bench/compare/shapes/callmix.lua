local n = tonumber(arg[1])
local function sq(x) return x * x end
local function hyp(a, b) return (sq(a) + sq(b)) ^ 0.5 end
local function clamp(v, lo, hi)
  local r = v
  if v < lo then r = lo end
  if v > hi then r = hi end
  return r
end
local function step(i, s)
  local t = hyp(i, 3) + i % 7
  return s + t, t
end
local function scale(s) return s / 2 end
local s, t = 0, 0
for i = 1, n do
  s, t = step(i, s)
  s = s + clamp(t, 5, 500)
  if s > 1e9 then s = scale(s) end
end
print(s)
