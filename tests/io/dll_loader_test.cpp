// The platform's library loader: the forms of a name, counted releases and
// the texts of its failures.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "dll_run.h"
#include "platform/win_last_error.h"
#include "platform/win_library.h"

namespace {

TEST(Loader, ADllNameIsAlsoTriedAsASharedObject) {
  testsupport::TempDir dir;
  std::filesystem::copy_file(dlltest::library(), dir.file("libalpha.so"));
  std::filesystem::copy_file(dlltest::library(), dir.file("beta.so"));
  win::HMODULE a = win::LoadLibraryA(dir.file("alpha.Dll").c_str());
  win::HMODULE b = win::LoadLibraryA(dir.file("beta.DLL").c_str());
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  // Only the ".dll" ending is taken off; other names stand as written.
  EXPECT_EQ(win::LoadLibraryA(dir.file("alpha").c_str()), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(win::LoadLibraryA(".dll"), nullptr);

  // Each load is released once; a further release is refused.
  EXPECT_EQ(win::LoadLibraryA(dir.file("libalpha.so").c_str()), a);
  EXPECT_EQ(plat::library_loads(), 3);
  EXPECT_NE(win::FreeLibrary(a), 0);
  EXPECT_NE(win::FreeLibrary(a), 0);
  EXPECT_EQ(win::FreeLibrary(a), 0);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_NE(win::FreeLibrary(b), 0);
  EXPECT_EQ(plat::library_loads(), 0);
}

TEST(Loader, FailuresKeepTheLoadersText) {
  testsupport::TempDir dir;
  std::array<char, 256> text{};
  EXPECT_EQ(win::LoadLibraryA(dir.file("none.so").c_str()), nullptr);
  win::FormatMessageA(win::FORMAT_MESSAGE_FROM_SYSTEM, nullptr, win::GetLastError(), 0, text.data(),
                      static_cast<win::DWORD>(text.size()), nullptr);
  EXPECT_NE(std::string(text.data()).find("none.so"), std::string::npos);

  win::HMODULE h = win::LoadLibraryA(dlltest::library().c_str());
  ASSERT_NE(h, nullptr);
  EXPECT_NE(win::GetProcAddress(h, "dll_echo"), nullptr);
  EXPECT_EQ(win::GetProcAddress(h, "no_such_procedure"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PROC_NOT_FOUND);
  win::FormatMessageA(0, nullptr, win::ERROR_PROC_NOT_FOUND, 0, text.data(), 256, nullptr);
  EXPECT_NE(std::string(text.data()).find("no_such_procedure"), std::string::npos);
  win::FreeLibrary(h);
  // A handle that was never loaded is looked up in nothing.
  EXPECT_EQ(win::GetProcAddress(h, "dll_echo"), nullptr);

  // The text is cut to the buffer, NUL included.
  std::array<char, 8> small{};
  EXPECT_EQ(win::FormatMessageA(0, nullptr, 2, 0, small.data(), 8, nullptr), 7u);
  EXPECT_EQ(std::string(small.data()), "No such");
}

}  // namespace
