-- The statement benchmark's loops in Lua: each prints its name and its
-- statements per second, counted as the script loops count them.
local n = tonumber(arg[1]) or 100000
local rounds = tonumber(arg[2]) or 10

local function scalarloop()
  local s = 0
  for i = 1, n do s = s + i end
  return s
end

local function nestedloops()
  local s = 0
  for _ = 1, n // 100 do
    for j = 1, 100 do s = s + j end
  end
  return s
end

local function arrayupdates()
  local a = {}
  for k = 1, 100 do a[k] = 0 end
  local k = 1
  for i = 1, n do
    a[k] = a[k] + i
    k = k + 1
    if k > 100 then k = 1 end
  end
  return a[1]
end

local function twice(q) return q * 2 + 1 end
local function functioncalls()
  local s = 0
  for i = 1, n do s = s + twice(i) end
  return s
end

local function time(name, fn, perpass)
  local best = math.huge
  for _ = 1, rounds do
    local t0 = os.clock()
    fn()
    best = math.min(best, os.clock() - t0)
  end
  print(string.format("%-16s %12.0f statements/s", name, n * perpass / best))
end

time("ScalarLoop", scalarloop, 2)
time("NestedLoops", nestedloops, 2)
time("ArrayUpdates", arrayupdates, 4)
time("FunctionCalls", functioncalls, 4)
