#include "core/winapi_byname.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

using namespace core;

std::int64_t addr(const void* p) {
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p));
}

class WinApi : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_winapi();
    plat::reset_message_boxes();
  }
  void TearDown() override { reset_winapi(); }
  static std::size_t boxes() { return plat::message_box_log().size(); }
};

TEST_F(WinApi, FailureRules) {
  WinApiArgs a{};
  // "-": never a failure.
  a[0] = 12345;
  EXPECT_EQ(CALLWINAPI("FindNextFileA", a, "K-"), 0);
  EXPECT_EQ(boxes(), 0u);
  // "0": a non-zero result is the error code, returned unchanged.
  EXPECT_EQ(CALLWINAPI("SHGetValueA", a, "S0"), 2);
  ASSERT_EQ(boxes(), 1u);
  EXPECT_EQ(plat::message_box_log().back().title, "APIs error");
  EXPECT_EQ(plat::message_box_log().back().text, "SHGetValueA 2 File not found.");
  EXPECT_EQ(CALLWINAPI("SHGetValueA", a, "S-"), 2);
  EXPECT_EQ(boxes(), 1u);
  // Default: 0 is a failure, the code is the last error.
  a[0] = 999;
  EXPECT_EQ(CALLWINAPI("GetClientRect", a, "U"), 0);
  EXPECT_EQ(plat::message_box_log().back().text, "GetClientRect 1400 Invalid window handle.");
  // "=": a result equal to the number fails and returns 0.
  std::string pattern = "/no/such/folder/*.none";
  WinFindData data;
  a[0] = addr(pattern.c_str());
  a[1] = addr(&data);
  EXPECT_EQ(CALLWINAPI("FindFirstFileA", a, "K=-1"), 0);
  EXPECT_EQ(plat::message_box_log().back().text, "FindFirstFileA 3 Path not found.");
}

TEST_F(WinApi, MissingProcedureAndLibraryLoading) {
  WinApiArgs a{};
  EXPECT_EQ(CALLWINAPI("GetClientRekt   ", a, "U"), 0);
  EXPECT_EQ(plat::message_box_log().back().text,
            "GetClientRekt    127 Procedure not found in the library.");
  std::int64_t t1 = 0;
  a[0] = addr(&t1);
  EXPECT_EQ(CALLWINAPI("QueryPerformanceCounter", a, "K"), 1);
  EXPECT_EQ(winapi_loads, 2);  // USER32, KERNEL32
  std::int64_t t2 = 0;
  a[0] = addr(&t2);
  EXPECT_EQ(CALLWINAPI("QueryPerformanceCounter", a, "K"), 1);
  EXPECT_EQ(winapi_loads, 2);  // not loaded again
  EXPECT_GE(t2, t1);
  EXPECT_NE(winlibhandles[2], 0u);
  // "unload" frees the library after the call; the next call loads it again.
  a[0] = 440;
  a[1] = 10;
  EXPECT_EQ(CALLWINAPI("Beep", a, "K unload"), 1);
  EXPECT_EQ(winlibhandles[2], 0u);
  EXPECT_EQ(CALLWINAPI("Beep", a, "K"), 1);
  EXPECT_EQ(winapi_loads, 3);
  // An unknown initial selects the first slot.
  EXPECT_EQ(CALLWINAPI("CommDlgExtendedError", a, "X-"), 0);
  EXPECT_NE(winlibhandles[0], 0u);
}

TEST_F(WinApi, KernelStandIns) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("a.txt"), "12345");
  testsupport::write_file(dir.file("B.TXT"), "1");
  testsupport::write_file(dir.file("c.dat"), "");
  const std::string pattern = dir.path().string() + "\\*.txt";
  WinFindData data;
  WinApiArgs a{};
  a[0] = addr(pattern.c_str());
  a[1] = addr(&data);
  const std::int32_t h = CALLWINAPI("FindFirstFileA", a, "K");
  ASSERT_GT(h, 0);
  std::set<std::string> names{data.name};
  a[0] = h;
  while (CALLWINAPI("FindNextFileA", a, "K-") != 0) names.insert(data.name);
  EXPECT_EQ(names, (std::set<std::string>{"a.txt", "B.TXT"}));
  EXPECT_EQ(CALLWINAPI("FindClose", a, "K"), 1);
  EXPECT_EQ(boxes(), 0u);

  // 2000-01-01 00:00:00.250 UTC in 100 ns steps since 1601.
  const std::uint64_t ticks = 125911584000000000ULL + 2500000;
  WinFileTime ft{static_cast<std::uint32_t>(ticks & 0xFFFFFFFF),
                 static_cast<std::uint32_t>(ticks >> 32)};
  WinSystemTime st;
  a[0] = addr(&ft);
  a[1] = addr(&st);
  EXPECT_EQ(CALLWINAPI("FileTimeToSystemTime", a, "K"), 1);
  EXPECT_EQ(st.year, 2000);
  EXPECT_EQ(st.month, 1);
  EXPECT_EQ(st.day, 1);
  EXPECT_EQ(st.dayofweek, 6);
  EXPECT_EQ(st.hour, 0);
  EXPECT_EQ(st.millisecond, 250);

  char buf[512] = {};
  a[0] = sizeof buf;
  a[1] = addr(buf);
  const std::int32_t n = CALLWINAPI("GetCurrentDirectoryA", a, "K");
  EXPECT_EQ(n, static_cast<std::int32_t>(std::string(buf).size()));
  EXPECT_GT(n, 0);
  a[0] = 2;  // too small: the size needed
  EXPECT_EQ(CALLWINAPI("GetCurrentDirectoryA", a, "K"), n + 1);
}

// Every address a caller hands over is checked: one that is no memory of
// the program fails the call with 998 (and a read-only one is not written).
TEST_F(WinApi, AddressesAreCheckedBeforeUse) {
  constexpr std::int64_t bad = 16;
  static const char readonly[32] = "x";
  const std::string pattern = "*.none";
  WinFindData data;
  WinFileTime ft;
  WinSystemTime st;
  char buf[64] = {};
  struct Call {
    std::string_view proc;
    WinApiArgs args;
  };
  const Call calls[] = {
      {"QueryPerformanceFrequency", {bad}},
      {"QueryPerformanceCounter", {addr(readonly)}},
      {"GetModuleFileNameA", {0, bad, 64}},
      {"GetCurrentDirectoryA", {64, addr(readonly)}},
      {"FindFirstFileA", {bad, addr(&data)}},
      {"FindFirstFileA", {addr(pattern.c_str()), bad}},
      {"FileTimeToSystemTime", {bad, addr(&st)}},
      {"FileTimeToSystemTime", {addr(&ft), bad}},
      {"SystemTimeToTzSpecificLocalTime", {0, bad, addr(&st)}},
      {"SystemTimeToTzSpecificLocalTime", {0, addr(&st), addr(readonly)}},
  };
  for (const Call& c : calls) {
    SCOPED_TRACE(std::string(c.proc));
    CALLWINAPI(c.proc, c.args, "K-");
    EXPECT_EQ(winapi_lasterror, winerr_noaccess);
    winapi_lasterror = 0;
  }
  EXPECT_STREQ(readonly, "x");
  // A good buffer still takes the text.
  WinApiArgs a{0, addr(buf), sizeof buf};
  EXPECT_GT(CALLWINAPI("GetModuleFileNameA", a, "K"), 0);
  EXPECT_NE(buf[0], '\0');
}

}  // namespace
