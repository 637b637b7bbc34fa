// Creating and changing windows, and the draining pump.
#include <string>

#include "platform/win_dialog_testing.h"
#include "toolkit/loops.h"
#include "toolkit/windows.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

win::RECT outer(win::HWND w) {
  win::RECT r{};
  win::GetWindowRect(w, &r);
  return r;
}

TEST_F(ToolkitTest, FractionsPlaceTheMainWindowOnTheDesktopCutToItsWidth) {
  const float half = 0.5F, over = 1.5F, top = 0.25F;
  const int width = 100, height = 80;
  win::HWND w = CREATE_WINDOW("A", 1, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &half, &top,
                              nullptr, nullptr, &width, &height, nullptr, nullptr, 0, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(outer(w).left, 640);
  EXPECT_EQ(outer(w).top, 256);
  // The usable client area, without the status bar below.
  const win::RECT c = FIND_WINDOW_RECORD(w)->client;
  EXPECT_EQ(c.right - c.left, 100);
  EXPECT_EQ(c.bottom - c.top, 80);
  char cls[32] = {};
  win::GetClassNameA(w, cls, sizeof cls);
  EXPECT_STREQ(cls, "fenstra_MAIN_CLASS");
  EXPECT_EQ(win::GetClassLongPtrA(w, win::GCL_STYLE), 0x300Bu);
  reset_toolkit();
  w = CREATE_WINDOW("B", 1, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &over, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr);
  EXPECT_EQ(outer(w).left, 1280);
}

TEST_F(ToolkitTest, BlankClassNamesAreNumberedAndWrittenBack) {
  tktest::make_main();
  std::string names;
  for (int i = 0; i < 2; ++i) {
    char cls[16];
    std::fill(cls, cls + sizeof cls, ' ');
    const win::HWND w = CREATE_SECONDARY_WINDOW(
        "S", 1, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    names += std::string(cls, sizeof cls) + "|";
  }
  EXPECT_EQ(names, "FENSTRA_CLASS0  |FENSTRA_CLASS1  |");
  // A class named by the caller that exists already is taken as it is.
  char named[] = "FENSTRA_CLASS0";
  EXPECT_EQ(
      REGISTER_SECONDARY_CLASS(nullptr, named, 14, nullptr, nullptr, nullptr, 0, nullptr, nullptr),
      "FENSTRA_CLASS0");
}

TEST_F(ToolkitTest, RedefiningOnlyTheTitleChangesNothingElseAndRepaints) {
  const win::HWND main = tktest::make_main();
  const win::RECT before = outer(main);
  const window_record_t saved = *FIND_WINDOW_RECORD(main);
  win::InvalidateRect(main, nullptr, win::TRUE);
  REDEFINE_WINDOW(main, "New title  ", 11, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr);
  char title[32];
  win::GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "New title");
  const win::RECT after = outer(main);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.bottom, before.bottom);
  const window_record_t* r = FIND_WINDOW_RECORD(main);
  EXPECT_EQ(r->style, saved.style);
  EXPECT_EQ(r->close, saved.close);
  EXPECT_EQ(r->font, saved.font);
  EXPECT_FALSE(win::GetUpdateRect(main, nullptr, win::FALSE));
  // Moving it by pixels and by a fraction of the desktop.
  const int x = 30;
  const float width = 0.5F;
  REDEFINE_WINDOW(main, nullptr, 0, nullptr, nullptr, nullptr, &width, nullptr, &x, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(outer(main).left, 30);
  EXPECT_EQ(outer(main).right - outer(main).left, 640);
  EXPECT_EQ(outer(main).top, before.top);
  int ups = 0;
  REDEFINE_WINDOW(win::handle_from<win::HWND>(0x7777), nullptr, 0, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                  nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
}

TEST_F(ToolkitTest, TheDrainRepostsQuitAndPaintsBeforeItReturns) {
  const win::HWND main = tktest::make_main();
  EXPECT_EQ(PROCESS_MESSAGES(), 1);
  win::InvalidateRect(main, nullptr, win::TRUE);
  EXPECT_EQ(PROCESS_MESSAGES(), 1);
  EXPECT_FALSE(win::GetUpdateRect(main, nullptr, win::FALSE));
  win::PostQuitMessage(7);
  EXPECT_EQ(PROCESS_MESSAGES(), 0);
  EXPECT_EQ(PROCESS_MESSAGES(), 0);
  EXPECT_EQ(MESSAGE_LOOP(), 7);
}

TEST_F(ToolkitTest, TheCurrentModelessDialogTakesItsKeysInBothLoops) {
  tktest::make_main();
  constexpr win::DWORD kButton = win::WS_CHILD | win::WS_VISIBLE | win::WS_TABSTOP;
  plat::DialogTemplate t(win::WS_POPUP | win::WS_VISIBLE, 10, 10, 120, 40, "Tools");
  t.add("", 0x80, kButton, 5, 5, 40, 14, 11, "&One");
  t.add("", 0x80, kButton, 50, 5, 40, 14, 12, "&Two");
  const win::HWND dialog =
      win::CreateDialogIndirectParamA(nullptr, t.get(), nullptr, dlgtest::test_proc, 0);
  ASSERT_NE(dialog, nullptr);
  current_modeless_dialog = dialog;
  win::SetFocus(win::GetDlgItem(dialog, 11));
  plat::inject_key_press(win::VK_TAB);
  PROCESS_MESSAGES();
  EXPECT_EQ(win::GetFocus(), win::GetDlgItem(dialog, 12));
  plat::inject_key_press(win::VK_TAB);
  win::PostQuitMessage(0);
  MESSAGE_LOOP();
  EXPECT_EQ(win::GetFocus(), win::GetDlgItem(dialog, 11));
  // The keys went to the dialog, not to the application.
  EXPECT_TRUE(tktest::codes("control").empty());
}

}  // namespace
