// Files, folders, searches and file times of the kernel layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win_files.h"
#include "platform/win_last_error.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace win;
using testsupport::read_file;
using testsupport::write_file;

class KernelFiles : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  std::string file(const std::string& name) { return dir.file(name); }
};

HANDLE open(const std::string& name, DWORD creation, DWORD share = 0,
            DWORD access = GENERIC_READ | GENERIC_WRITE) {
  return CreateFileA(name.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

TEST_F(KernelFiles, CreationDispositionsAndTheirErrors) {
  const std::string f = file("a.bin");
  EXPECT_EQ(open(f, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(open(file("nofolder/a.bin"), OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  HANDLE h = open(f, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(open(f, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  h = open(f, OPEN_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(h);
  EXPECT_EQ(read_file(f), "hello");
  h = open(f, CREATE_ALWAYS);
  CloseHandle(h);
  EXPECT_EQ(read_file(f), "");
  // A folder opens only for its times.
  EXPECT_EQ(open(dir.path().string(), OPEN_EXISTING, 0, GENERIC_READ), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(KernelFiles, SharingAmongHandlesAndDeletion) {
  const std::string f = file("s.txt");
  write_file(f, "keep me");
  HANDLE reader = open(f, OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  // A writer is refused, and refused before the file is emptied.
  EXPECT_EQ(open(f, CREATE_ALWAYS, FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(read_file(f), "keep me");
  // A second reader that does not share reading with the first is refused.
  EXPECT_EQ(open(f, OPEN_EXISTING, 0, GENERIC_READ), INVALID_HANDLE_VALUE);
  HANDLE second = open(f, OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA(f.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(reader);
  CloseHandle(second);
  EXPECT_TRUE(DeleteFileA(f.c_str()));
  EXPECT_FALSE(DeleteFileA(f.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(KernelFiles, ReadingWritingAndTheFilePointer) {
  const std::string f = file("p.bin");
  write_file(f, "0123456789");
  HANDLE h = open(f, OPEN_EXISTING, 0, GENERIC_READ);
  char buf[16] = {};
  DWORD n = 0;
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
  EXPECT_TRUE(ReadFile(h, buf, 16, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "789");
  EXPECT_TRUE(ReadFile(h, buf, 16, &n, nullptr));
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_CURRENT), 8u);
  EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  // 64-bit positions: 2^32 + 5.
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 5, &high, FILE_BEGIN), 5u);
  EXPECT_EQ(high, 1);
  CloseHandle(h);
}

TEST_F(KernelFiles, FoldersAndTemporaryNames) {
  const std::string sub = file("sub");
  EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA(file("x/y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  const fs::path before = fs::current_path();
  EXPECT_FALSE(SetCurrentDirectoryA(file("none").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(SetCurrentDirectoryA(sub.c_str()));
  EXPECT_EQ(fs::current_path(), fs::path(sub));
  fs::current_path(before);

  char a[MAX_PATH], b[MAX_PATH];
  const UINT na = GetTempFileNameA(sub.c_str(), "abcdef", 0, a);
  const UINT nb = GetTempFileNameA(sub.c_str(), "abcdef", 0, b);
  ASSERT_NE(na, 0u);
  EXPECT_NE(na, nb);
  EXPECT_TRUE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(fs::path(a).filename().string().substr(0, 3), "abc");
  EXPECT_EQ(fs::path(a).extension(), ".TMP");
  EXPECT_EQ(GetTempFileNameA(sub.c_str(), "q", 0x1A2B, a), 0x1A2Bu);
  EXPECT_EQ(fs::path(a).filename(), "q1A2B.TMP");
  EXPECT_EQ(GetTempFileNameA(file("none").c_str(), "q", 0, a), 0u);
  char small[4];
  const DWORD need = GetTempPathA(sizeof small, small);
  char path[MAX_PATH];
  EXPECT_EQ(GetTempPathA(MAX_PATH, path) + 1, need);
  EXPECT_EQ(path[need - 2], '/');
}

std::vector<std::string> found(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(pattern.c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(d.cFileName);
  while (FindNextFileA(h, &d));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  FindClose(h);
  return names;
}

TEST_F(KernelFiles, SearchesIgnoreCaseAndSortTheirNames) {
  static_assert(sizeof(WIN32_FIND_DATAA) == 320);
  write_file(file("b.txt"), "12");
  write_file(file("A.TXT"), "");
  write_file(file("noext"), "");
  fs::create_directory(file("dir"));
  using V = std::vector<std::string>;
  EXPECT_EQ(found(file("*.txt")), (V{"A.TXT", "b.txt"}));
  EXPECT_EQ(found(file("*.")), (V{".", "..", "dir", "noext"}));
  EXPECT_EQ(found(file("*.*")), (V{".", "..", "A.TXT", "b.txt", "dir", "noext"}));
  EXPECT_EQ(found(file("?.TxT")), (V{"A.TXT", "b.txt"}));
  WIN32_FIND_DATAA d;
  EXPECT_EQ(FindFirstFileA(file("zz*").c_str(), &d), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA(file("none/*").c_str(), &d), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  HANDLE h = FindFirstFileA(file("dir").c_str(), &d);
  EXPECT_EQ(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(h);
  // Sizes above 4 GiB: the high word.
  fs::resize_file(file("b.txt"), (std::uintmax_t{5} << 30) + 7);
  h = FindFirstFileA(file("b.txt").c_str(), &d);
  EXPECT_EQ(d.nFileSizeHigh, 1u);
  EXPECT_EQ(d.nFileSizeLow, (1u << 30) + 7);
  FindClose(h);
}

TEST(FindPattern, EveryRule) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*", "x.y", true},       {"*.*", "noext", true},     {"*.", "noext", true},
      {"*.", "a.b", false},     {"*.", ".", true},          {"*.*", "..", true},
      {"a*.txt", ".", false},   {"A?C", "abc", true},       {"a?c", "ac", false},
      {"*.TXT", "x.txt", true}, {"*.txt", "x.txt2", false}, {"rep*.*", "report", true},
      {"d*.*", "dx.y", true},   {"*x*", "abxcd", true},     {"*.c", "a.c.c", true},
      {"\xC4*", "\xE4q", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat::find_pattern_matches(c.pattern, c.name), c.match)
        << c.pattern << " / " << c.name;
}

// Runs with the local time zone set for the test.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

std::uint64_t units(const FILETIME& t) {
  return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}
FILETIME of_units(std::uint64_t u) { return {static_cast<DWORD>(u), static_cast<DWORD>(u >> 32)}; }

TEST(KernelTimes, SystemTimesCalendarAndRefusals) {
  constexpr std::uint64_t kUnix = 116444736000000000ULL;
  SYSTEMTIME s;
  FILETIME f = of_units(kUnix + 12345678);
  ASSERT_TRUE(FileTimeToSystemTime(&f, &s));
  EXPECT_EQ(s.wYear, 1970);
  EXPECT_EQ(s.wDayOfWeek, 4);  // Thursday
  EXPECT_EQ(s.wSecond, 1);
  EXPECT_EQ(s.wMilliseconds, 234);
  SYSTEMTIME leap{2000, 2, 0, 29, 23, 59, 58, 999};
  ASSERT_TRUE(SystemTimeToFileTime(&leap, &f));
  ASSERT_TRUE(FileTimeToSystemTime(&f, &s));
  EXPECT_EQ(s.wDayOfWeek, 2);  // Tuesday
  EXPECT_EQ(s.wDay, 29);
  EXPECT_EQ(s.wMilliseconds, 999);
  SYSTEMTIME bad{1900, 2, 0, 29, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &f));
  bad = {1600, 12, 0, 31, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &f));
  bad = {2001, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &f));
  bad = {2001, 4, 0, 31, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &f));
  bad = {2001, 4, 0, 30, 24, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &f));
}

TEST(KernelTimes, LocalTimeFollowsTheZoneRulesOfThatDate) {
  const TimeZone cet("CET-1CEST,M3.5.0,M10.5.0/3");
  constexpr std::uint64_t kHour = 36000000000ULL;
  SYSTEMTIME summer{2021, 7, 0, 1, 12, 0, 0, 0}, winter{2021, 1, 0, 1, 12, 0, 0, 0};
  FILETIME u, l;
  SystemTimeToFileTime(&summer, &u);
  FileTimeToLocalFileTime(&u, &l);
  EXPECT_EQ(units(l) - units(u), 2 * kHour);
  FILETIME back;
  LocalFileTimeToFileTime(&l, &back);
  EXPECT_EQ(units(back), units(u));
  SystemTimeToFileTime(&winter, &u);
  FileTimeToLocalFileTime(&u, &l);
  EXPECT_EQ(units(l) - units(u), kHour);
  LocalFileTimeToFileTime(&l, &back);
  EXPECT_EQ(units(back), units(u));
  SYSTEMTIME local;
  EXPECT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &summer, &local));
  EXPECT_EQ(local.wHour, 14);
}

TEST_F(KernelFiles, FileTimesRoundTrip) {
  const std::string f = file("t.txt");
  write_file(f, "x");
  HANDLE h = open(f, OPEN_EXISTING);
  SYSTEMTIME s{2010, 6, 0, 15, 8, 30, 5, 250};
  FILETIME write, access, creation, got_w, got_a;
  SystemTimeToFileTime(&s, &write);
  access = of_units(units(write) + 10000000);
  ASSERT_TRUE(SetFileTime(h, nullptr, &access, &write));
  ASSERT_TRUE(GetFileTime(h, &creation, &got_a, &got_w));
  EXPECT_EQ(units(got_w), units(write));
  EXPECT_EQ(units(got_a), units(access));
  // A zero time is left alone.
  const FILETIME zero{};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &zero));
  GetFileTime(h, nullptr, nullptr, &got_w);
  EXPECT_EQ(units(got_w), units(write));
  CloseHandle(h);
}

}  // namespace
