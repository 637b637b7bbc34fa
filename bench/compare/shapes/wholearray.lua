local n = 1000000
local a, b = {}, {}
for i = 1, n do a[i] = 1.0 end
for i = 1, n do a[i] = a[i] * 0.5 + i end
for i = 1, n do b[i] = i % 7 + a[i] * a[i] end
print(a[n] + b[n - 1])
