// The toolkit's open and save dialogs over the platform's, answered from
// the test queue: the filter built from a list, a cancel that keeps the
// name, the flags kept between calls, a name that fills its buffer, and a
// chosen path too long for the buffer.
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win_commdlg.h"
#include "support/test_support.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/helpers.h"
#include "toolkit_fixture.h"

using namespace toolkit;

namespace {

class FileDialogs : public tktest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    home = std::filesystem::current_path();  // a chosen file's folder becomes the current one
    testing::internal::CaptureStderr();
    plat::reset_common_dialogs();
    testsupport::write_file(dir.file("a.txt"), "x");
  }
  void TearDown() override {
    testing::internal::GetCapturedStderr();
    plat::reset_common_dialogs();
    std::filesystem::current_path(home);
    ToolkitTest::TearDown();
  }
  static void answer(std::string name, bool ok = true) {
    plat::DialogAnswer a;
    a.ok = ok;
    if (!name.empty()) a.fields.emplace_back("File name", std::move(name));
    plat::push_dialog_answer(a);
  }
  int open(std::string& buffer, int* ups, const win::DWORD* flags = nullptr,
           const text_array_t* filter = nullptr, bool save = false) {
    const std::string folder = dir.path().string();
    auto* run = save ? GET_SAVE_FILE_NAME : GET_OPEN_FILE_NAME;
    return run(buffer.data(), static_cast<int>(buffer.size()), "Pick", 4, folder.c_str(),
               static_cast<int>(folder.size()), filter, flags, nullptr, nullptr, 0, nullptr, 0,
               ups);
  }
  testsupport::TempDir dir;
  std::filesystem::path home;
};

TEST_F(FileDialogs, FilterFromTheList) {
  char list[2][10];
  std::memcpy(list[0], "Scripts   ", 10);  // 7 characters
  std::memcpy(list[1], "*.ost     ", 10);  // 5 characters
  const text_array_t filter{list[0], 10, 2, 10};
  std::string name(40, ' ');
  open(name, nullptr, nullptr, &filter);
  EXPECT_EQ(FILE_FILTER(), std::string_view("Scripts\0*.ost\0\0", 15));
  open(name, nullptr);  // no list: the default again
  EXPECT_EQ(FILE_FILTER(), std::string_view("All Files\0*.*\0Text Files\0*.txt\0\0", 32));
  // A blank entry ends the filter early.
  std::memcpy(list[0], "          ", 10);
  open(name, nullptr, nullptr, &filter);
  EXPECT_EQ(FILE_FILTER().substr(0, 2), std::string_view("\0*", 2));
}

TEST_F(FileDialogs, ChosenCancelledAndFlagsKept) {
  std::string name = "a.txt" + std::string(195, ' ');
  int ups = -1;
  answer("");
  EXPECT_EQ(open(name, &ups), 1);
  EXPECT_EQ(trimmed_text(name.data(), 200), dir.file("a.txt"));
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(FILE_DIALOG_RECORD()->Flags, 0x206000u);
  EXPECT_EQ(FILE_DIALOG_RECORD()->lStructSize, 76u);
  // Cancelled: the name as it was, blank-padded, and status 0.
  name = "start.txt" + std::string(191, ' ');
  ups = -1;
  EXPECT_EQ(open(name, &ups, nullptr, nullptr, true), 0);
  EXPECT_EQ(name, "start.txt" + std::string(191, ' '));
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(FILE_DIALOG_RECORD()->Flags, 0x206000u);  // the open dialog's, for the save too
  const win::DWORD given = win::OFN_NOCHANGEDIR;
  open(name, nullptr, &given);
  open(name, nullptr);
  EXPECT_EQ(FILE_DIALOG_RECORD()->Flags, given);
  reset_file_dialogs();
  open(name, nullptr, nullptr, nullptr, true);
  EXPECT_EQ(FILE_DIALOG_RECORD()->Flags, 0x202002u);
}

TEST_F(FileDialogs, FullBuffersAreNeverCut) {
  // A name that fills its buffer is passed whole and comes back whole.
  const std::string path = dir.file("a.txt");
  std::string name = path;
  answer("");
  int ups = 0;
  EXPECT_EQ(open(name, &ups), 1);
  EXPECT_EQ(name, path);
  // A chosen path longer than the buffer fails and leaves the name.
  name = "a.txt" + std::string(path.size() - 6, ' ');
  answer("a.txt");
  EXPECT_EQ(open(name, &ups), 0);
  EXPECT_EQ(ups, static_cast<int>(win::FNERR_BUFFERTOOSMALL));
  EXPECT_EQ(name, "a.txt" + std::string(path.size() - 6, ' '));
}

}  // namespace
