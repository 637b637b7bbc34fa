// The error status: ups, the Continue box, the diagnosis log; the program
// entry; the platform facts and the volume query.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/dialog_template.h"
#include "platform/win_last_error.h"
#include "platform/win_message_box.h"
#include "platform/win_system_info.h"
#include "support/test_support.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/status.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

TEST_F(ToolkitTest, WithUpsTheFailureIsTheSystemCodeOrTheToolkitsAndNoBoxShows) {
  int ups = -1;
  win::SetLastError(0);
  SET_STATUS_FROM_SYSTEM(&ups, "gone");
  EXPECT_EQ(ups, 0x10000);
  win::SetLastError(win::ERROR_ALREADY_EXISTS);
  SET_STATUS_FROM_SYSTEM(&ups, "gone");
  EXPECT_EQ(ups, 183);
  SET_STATUS(&ups, "mine", 0x10000);
  EXPECT_EQ(ups, 0x10000);
  REPORT_ERROR_CODE(&ups, "code", 12);
  EXPECT_EQ(ups, 12);
  CLEAR_STATUS(&ups);
  EXPECT_EQ(ups, 0);
  EXPECT_TRUE(plat::message_box_log().empty());
}

TEST_F(ToolkitTest, WithoutUpsTheBoxShowsTheMessageCutTo108AndTheCode) {
  diagnosis_mode = 1;
  for (int i = 0; i < 3; ++i) plat::push_message_box_answer(win::IDYES);
  const std::string long_text(120, 'm');
  win::SetLastError(5);
  C_REPORT_SYSTEM_ERROR(long_text.c_str());
  C_REPORT_ERROR(nullptr);
  ASK_CONTINUE(long_text.c_str());
  const auto& log = plat::message_box_log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].title, "Error diagnosed by Fenstra");
  EXPECT_EQ(log[0].style, 0x10004u);
  EXPECT_EQ(log[0].text, std::string(108, 'm') + "#00000005 ... Continue?");
  EXPECT_EQ(log[1].text, "NULL ... Continue?");
  EXPECT_EQ(log[2].text, std::string(108, 'm') + " ... Continue?");
  // Mode 0: silent, and the routine goes on.
  diagnosis_mode = 0;
  C_REPORT_ERROR("quiet");
  EXPECT_EQ(plat::message_box_log().size(), 3u);
}

TEST(ToolkitDeathTest, NoInTheContinueBoxEndsTheProgram) {
  EXPECT_EXIT(
      {
        plat::reset_windows();
        reset_toolkit();
        diagnosis_mode = 1;
        plat::push_message_box_answer(win::IDNO);
        C_REPORT_ERROR("broken");
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "");
}

TEST_F(ToolkitTest, LogModeWritesCodedReportsToALogEmptiedWhenOpened) {
  testsupport::TempDir dir;
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  testsupport::write_file("fe_self.tmp", std::string(200, 'x') + "\r\n");
  diagnosis_mode = 0x4001;
  LOG_DIAGNOSIS("first", 0x10000);
  SET_STATUS_WITH_CODE(nullptr, "second", 12);
  const std::string log = testsupport::read_file("fe_self.tmp");
  reset_status();
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(log,
            "Error diagnosed by Fenstra: first#  0x10000\r\n"
            "Error diagnosed by Fenstra: second#      0xc\r\n");
  EXPECT_TRUE(plat::message_box_log().empty());
}

// A link where the log belongs is not written through: the log is
// refused. A log that cannot be written (the file-size limit) is said once.
TEST_F(ToolkitTest, TheLogFollowsNoLinkAndAFailedWriteIsSaidOnce) {
  testsupport::TempDir dir;
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  testsupport::write_file("other.txt", "keep");
  ASSERT_EQ(symlink("other.txt", "fe_self.tmp"), 0);
  diagnosis_mode = 0x4001;
  LOG_DIAGNOSIS("first", 1);
  const std::string kept = testsupport::read_file("other.txt");
  const auto boxes = plat::message_box_log();
  reset_status();
  unlink("fe_self.tmp");
  const std::string report = testsupport::in_child([] {
    if (!testsupport::limit_file_size(100)) return std::string("no limit set");
    plat::reset_message_boxes();
    diagnosis_mode = 0x4001;
    for (int i = 0; i < 3; ++i) LOG_DIAGNOSIS(std::string(60, 'x').c_str(), i);
    const auto& log = plat::message_box_log();
    return log.size() == 1 && log[0].text == "Can't write error file fe_self.tmp"
               ? std::string()
               : std::to_string(log.size()) + " boxes";
  });
  reset_status();
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(kept, "keep");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Can't open error file fe_self.tmp");
  EXPECT_EQ(report, "");
}

TEST_F(ToolkitTest, ADialogTemplateIsDescribedInTheLog) {
  testsupport::TempDir dir;
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  plat::DialogTemplate t(0x80000000u | 0x40u, 5, 6, 200, 100, "Find", "Arial", 9);
  t.add("", 0x0080, 0x50010000u, 10, 20, 50, 14, 1, "OK");
  t.add("msctls_updown32", 0, 0x50000000u, 70, 20, 10, 14, 7, "");
  DisplayDialog(t.get(), 3);
  const std::string log = testsupport::read_file("fe_self.tmp");
  reset_status();
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(log,
            "Title: Find, Style: 80000040, Items: 2, X: 5, Y: 6, Width: 200, Height: 100\r\n"
            "Font - Points: 9, Weight: 400, Italic: 0, Name: Arial\r\n"
            "Error diagnosed by Fenstra: DisplayDialog: number of items disagree# 0xffffffff\r\n"
            "003c: Item 1 Title: OK, Style: 50010000, ID: 1, X: 10, Y: 20, Width: 50, Height: 14, "
            "Class: 0x0080\r\n"
            "0060: Item 2 Title: <NO TITLE>, Style: 50000000, ID: 7, X: 70, Y: 20, Width: 10, "
            "Height: 14, Class: msctls_updown32\r\n");
}

std::string seen_command_line;
void record_start(char* line, int& length) { seen_command_line.assign(line, length); }

TEST_F(ToolkitTest, TheEntryHandsA1024CharacterBlankPaddedCommandLine) {
  application.FE_MAIN = record_start;
  EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
  EXPECT_EQ(seen_command_line, std::string(1024, ' '));
  const std::string long_line = std::string(1023, 'a') + "bc";
  WinMain(nullptr, nullptr, long_line.c_str(), 1);
  EXPECT_EQ(seen_command_line, std::string(1023, 'a') + "b");
  WinMain(nullptr, nullptr, "RUN=x.ost", 1);
  EXPECT_EQ(seen_command_line, "RUN=x.ost" + std::string(1015, ' '));
}

TEST_F(ToolkitTest, InitialisationReadsTheFactsOnceAndSetsTheApplicationsMode) {
  diagnosis_setting = 1;
  INIT_TOOLKIT();
  EXPECT_EQ(diagnosis_mode, 1);
  EXPECT_EQ(facts.nt, 1);
  EXPECT_EQ(facts.nt4up, 1);
  EXPECT_EQ(facts.win32s + facts.win9x + facts.win98up + facts.ntold, 0);
  EXPECT_GT(display_metrics.pixels_per_inch_x, 0);
  EXPECT_GT(display_metrics.base_unit_x, 0);
  EXPECT_NE(cpu_words[0], 0);
  // The accelerator list holds its built-in entry from the first call on.
  diagnosis_mode = 7;
  INIT_TOOLKIT();
  EXPECT_EQ(diagnosis_mode, 7);
}

TEST(PlatformSystemTest, ANamedMutexExistsAlreadyForEveryLaterCreator) {
  const std::string name = "ostrel-test-" + std::to_string(getpid());
  ASSERT_NE(win::CreateMutexA(nullptr, win::FALSE, name.c_str()), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_SUCCESS);
  win::CreateMutexA(nullptr, win::FALSE, name.c_str());
  EXPECT_EQ(win::GetLastError(), win::ERROR_ALREADY_EXISTS);
  // Another process: a second copy of the program.
  EXPECT_EXIT(
      {
        win::CreateMutexA(nullptr, win::FALSE, name.c_str());
        std::exit(win::GetLastError() == win::ERROR_ALREADY_EXISTS ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Without a runtime folder the lock is made in the user's state folder,
// never in the shared temporary folder, and a link planted in its place is
// not followed.
TEST(PlatformSystemTest, ANamedMutexWithoutARuntimeFolderStaysInTheUsersOwnFolder) {
  testsupport::TempDir state, shared;
  const std::string name = "ostrel-test-" + std::to_string(getpid());
  EXPECT_EXIT(
      {
        unsetenv("XDG_RUNTIME_DIR");
        setenv("XDG_STATE_HOME", state.path().c_str(), 1);
        setenv("TMPDIR", shared.path().c_str(), 1);
        const bool made = win::CreateMutexA(nullptr, win::FALSE, name.c_str()) != nullptr;
        const std::filesystem::path lock = state.path() / "ostrel" / ("ostrel-mutex-" + name);
        const bool inside =
            std::filesystem::is_regular_file(lock) && std::filesystem::is_empty(shared.path());
        // Another copy finds it there.
        win::CreateMutexA(nullptr, win::FALSE, name.c_str());
        const bool found = win::GetLastError() == win::ERROR_ALREADY_EXISTS;
        const std::filesystem::path victim = state.path() / "victim";
        const std::filesystem::path link = state.path() / "ostrel" / "ostrel-mutex-linked";
        std::error_code ec;
        std::filesystem::create_symlink(victim, link, ec);
        const bool refused = win::CreateMutexA(nullptr, win::FALSE, "linked") == nullptr &&
                             !std::filesystem::exists(victim);
        std::exit(made && inside && found && refused ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(PlatformSystemTest, ModuleFileNameIsCutToTheBuffer) {
  char full[512] = {};
  const win::DWORD n = win::GetModuleFileNameA(nullptr, full, sizeof full);
  ASSERT_GT(n, 4u);
  EXPECT_EQ(std::strlen(full), n);
  char small[5];
  EXPECT_EQ(win::GetModuleFileNameA(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), std::string(full, 4));
  EXPECT_FALSE(win::WinHelpA(nullptr, "x", win::HELP_QUIT, 0));
}

TEST_F(ToolkitTest, VolumeInformationClearsUpsOnSuccessAndNamesTheFailure) {
  char name[16], system[16];
  int ups = -1, sensitive = -1, compressed = -1, max_length = 0;
  win::SetLastError(5);
  EXPECT_EQ(GET_VOLUME_INFORMATION("/   ", 4, name, sizeof name, nullptr, &max_length, system,
                                   sizeof system, nullptr, &sensitive, nullptr, nullptr, nullptr,
                                   &compressed, &ups),
            1);
  EXPECT_EQ(ups, 0);
  EXPECT_GT(max_length, 0);
  EXPECT_TRUE(sensitive == 0 || sensitive == 1);
  EXPECT_EQ(system[sizeof system - 1], ' ');
  EXPECT_EQ(GET_VOLUME_INFORMATION("/no/such/folder", 15, nullptr, 0, nullptr, nullptr, nullptr, 0,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups),
            0);
  EXPECT_EQ(ups, 3);
}

}  // namespace
