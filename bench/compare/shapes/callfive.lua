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
  s = s + f1(j) + f2(j) + f3(j) + f4(j) + f5(j)
  s = s + f6(j) + f7(j) + f8(j) + f9(j) + f10(j)
  s = s + f11(j) + f12(j) + f13(j) + f14(j) + f15(j)
  s = s + f16(j) + f17(j) + f18(j) + f19(j) + f20(j)
  s = s + f21(j) + f22(j) + f23(j) + f24(j) + f25(j)
  s = s + f26(j) + f27(j) + f28(j) + f29(j) + f30(j)
  s = s + f31(j) + f32(j) + f33(j) + f34(j) + f35(j)
  s = s + f36(j) + f37(j) + f38(j) + f39(j) + f40(j)
end
print(s)
