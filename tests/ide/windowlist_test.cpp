// The window list: records made, found, reused, cycled and freed.
#include <gtest/gtest.h>

#include "core/stores.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "toolkit/windows.h"

namespace {

using idetest::IdeTest;

win::HWND secondary() {
  char cls[32];
  std::fill(cls, cls + sizeof cls, ' ');
  const int w = 200, h = 100;
  return toolkit::CREATE_SECONDARY_WINDOW(
      "Second", 6, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr,
      nullptr, &w, &h, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

// A record for a window about to be made, then the window.
ide::wdwrec* newwindow(std::int32_t kindbits) {
  std::int32_t status = -1;
  ide::NEWWINDOW(status, nullptr);
  EXPECT_EQ(status, 0);
  ide::wdwrec* r = ide::wdwcur;
  r->kind = kindbits;
  r->window = secondary();
  return r;
}

TEST_F(IdeTest, TheFirstRecordIsTheHeadAndHandlesFindTheirRecords) {
  ide::reset_windowlist();
  std::int32_t status = -1;
  ide::NEWWINDOW(status, nullptr);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(ide::wdwhead, ide::wdwcur);
  EXPECT_EQ(ide::wdwhead->owner, nullptr);
  EXPECT_EQ(ide::wdwhead->title.trimmed(), "Untitled");
  EXPECT_EQ(ide::wdwhead->cellrow, 1);
  EXPECT_EQ(ide::wdwhead->cellcol, 1);
  EXPECT_EQ(ide::wdwhead->tablescale, 15.0F);
  ide::FINDWINDOW(nullptr);
  EXPECT_EQ(ide::wdwcur, nullptr);
  ide::reset_windowlist();
}

TEST_F(IdeTest, TheWindowUnderConstructionAndDialogsAreFoundByTheirHandles) {
  run("", {[] {
        const win::HWND main = static_cast<win::HWND>(idetest::mainwindow());
        ide::wdwrec* dialog = newwindow(ide::kind::modeless);
        EXPECT_EQ(dialog->owner, main);
        ide::FINDWINDOW(main);
        EXPECT_EQ(ide::wdwcur, ide::wdwhead);
        ide::FINDWINDOW(dialog->window);
        EXPECT_EQ(ide::wdwcur, dialog);
        EXPECT_EQ(ide::wdwprev, ide::wdwhead);
        // A control inside the dialog leads to it through its parent.
        const win::HWND button =
            win::CreateWindowExA(0, "BUTTON", "OK", win::WS_CHILD, 0, 0, 40, 20, dialog->window,
                                 nullptr, nullptr, nullptr);
        ide::FINDWINDOW(button);
        EXPECT_EQ(ide::wdwcur, dialog);
        // While the next window is made, its messages find its record.
        std::int32_t status = 0;
        ide::NEWWINDOW(status, nullptr);
        ide::wdwrec* fresh = ide::wdwcur;
        ide::FINDWINDOW(reinterpret_cast<win::HWND>(0x7777));
        EXPECT_EQ(ide::wdwcur, fresh);
        fresh->window = secondary();
        fresh->kind = ide::kind::text;
        ide::FINDWINDOW(reinterpret_cast<win::HWND>(0x7777));
        EXPECT_EQ(ide::wdwcur, nullptr);
        ide::KILLALLWINDOWS();
        EXPECT_EQ(ide::wdwhead->next, nullptr);
        EXPECT_EQ(ide::wdwcur, ide::wdwhead);
      }});
}

TEST_F(IdeTest, ABlankDialogOfAsManyItemsIsReused) {
  run("", {[] {
        std::int32_t status = -1;
        ide::NEWWINDOW(status, nullptr, 3);
        ide::wdwrec* dialog = ide::wdwcur;
        dialog->kind = ide::kind::modeless;
        dialog->window = secondary();
        ASSERT_EQ(dialog->dialogitems.size(), 3);
        EXPECT_EQ(dialog->dialogitems(3).marker, 0u);
        dialog->title.blank();
        dialog->returncodevar = 1;
        core::z(1) = 5.0;
        ide::NEWWINDOW(status, nullptr, 3);
        EXPECT_EQ(status, 1000);
        EXPECT_EQ(ide::wdwcur, dialog);
        EXPECT_EQ(core::z(1), 0.0);
        ide::NEWWINDOW(status, nullptr, 2);
        EXPECT_EQ(status, 0);
        ide::wdwrec* unmade = ide::wdwcur;
        // A record whose window has gone is freed on the way; the one still
        // waiting for its window is taken again.
        win::DestroyWindow(dialog->window);
        ide::NEWWINDOW(status, nullptr);
        EXPECT_EQ(status, 1000);
        EXPECT_EQ(ide::wdwcur, unmade);
        EXPECT_EQ(ide::wdwhead->next, unmade);
        EXPECT_EQ(unmade->next, nullptr);
      }});
}

TEST_F(IdeTest, CtrlTabCyclesTheWindowsButThoseLeftOut) {
  run("", {[] {
        ide::NEXTWINDOW();
        EXPECT_EQ(ide::wdwcur, ide::wdwhead);
        ide::wdwrec* text = newwindow(ide::kind::text);
        newwindow(ide::kind::text | ide::kind::nocycle);
        ide::wdwcycled = nullptr;
        ide::wdwcur = ide::wdwhead;
        ide::NEXTWINDOW();
        EXPECT_EQ(ide::wdwcur, text);
        EXPECT_EQ(win::GetForegroundWindow(), text->window);
        // Without a new Tab the cycle stays; with one it wraps past the left-out one.
        win::GetAsyncKeyState(win::VK_TAB);
        ide::NEXTWINDOW();
        EXPECT_EQ(ide::wdwcur, text);
        plat::inject_key_press(win::VK_TAB);
        ide::NEXTWINDOW();
        EXPECT_EQ(ide::wdwcur, ide::wdwhead);
        ide::KILLALLWINDOWS();
      }});
}

}  // namespace
