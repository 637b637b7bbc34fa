local n = tonumber(arg[1])
local function f1(x) return x * 1 end
local function f2(x) return x - 4 end
local function f3(x) return x % 4 end
local function f4(x) return x + 4 end
local function f5(x) return x * 5 end
local function f6(x) return x - 12 end
local function f7(x) return x % 8 end
local function f8(x) return x + 8 end
local function f9(x) return x * 9 end
local function f10(x) return x - 20 end
local function f11(x) return x % 12 end
local function f12(x) return x + 12 end
local function f13(x) return x * 13 end
local function f14(x) return x - 28 end
local function f15(x) return x % 16 end
local function f16(x) return x + 16 end
local function f17(x) return x * 17 end
local function f18(x) return x - 36 end
local function f19(x) return x % 20 end
local function f20(x) return x + 20 end
local function f21(x) return x * 21 end
local function f22(x) return x - 44 end
local function f23(x) return x % 24 end
local function f24(x) return x + 24 end
local function f25(x) return x * 25 end
local function f26(x) return x - 52 end
local function f27(x) return x % 28 end
local function f28(x) return x + 28 end
local function f29(x) return x * 29 end
local function f30(x) return x - 60 end
local function f31(x) return x % 32 end
local function f32(x) return x + 32 end
local function f33(x) return x * 33 end
local function f34(x) return x - 68 end
local function f35(x) return x % 36 end
local function f36(x) return x + 36 end
local function f37(x) return x * 37 end
local function f38(x) return x - 76 end
local function f39(x) return x % 40 end
local function f40(x) return x + 40 end
local s = 0
for j = 1, n // 40 do
  s = s + f1(j)
  s = s + f2(j)
  s = s + f3(j)
  s = s + f4(j)
  s = s + f5(j)
  s = s + f6(j)
  s = s + f7(j)
  s = s + f8(j)
  s = s + f9(j)
  s = s + f10(j)
  s = s + f11(j)
  s = s + f12(j)
  s = s + f13(j)
  s = s + f14(j)
  s = s + f15(j)
  s = s + f16(j)
  s = s + f17(j)
  s = s + f18(j)
  s = s + f19(j)
  s = s + f20(j)
  s = s + f21(j)
  s = s + f22(j)
  s = s + f23(j)
  s = s + f24(j)
  s = s + f25(j)
  s = s + f26(j)
  s = s + f27(j)
  s = s + f28(j)
  s = s + f29(j)
  s = s + f30(j)
  s = s + f31(j)
  s = s + f32(j)
  s = s + f33(j)
  s = s + f34(j)
  s = s + f35(j)
  s = s + f36(j)
  s = s + f37(j)
  s = s + f38(j)
  s = s + f39(j)
  s = s + f40(j)
end
print(s)
